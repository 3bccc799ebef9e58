# Set-up, build and tests on Debian 12. `make run` and `make test` install what the
# build needs when it is missing.
BUILD         ?= build
ASAN_BUILD    ?= build-asan
TSAN_BUILD    ?= build-tsan
RELEASE_BUILD ?= build-release
FUZZ_BUILD    ?= build-fuzz
PACKAGE_BUILD ?= build-package
JOBS          ?= $(shell nproc)
# The window needs Qt 6 (with its SVG plug-ins for the icons), an icon theme and a font.
PACKAGES      := build-essential cmake pkg-config libgtest-dev libicu-dev nlohmann-json3-dev \
                 libxxhash-dev libzstd-dev libmimalloc-dev \
                 qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-tools-dev qt6-l10n-tools \
                 adwaita-icon-theme fonts-dejavu-core
BENCH_PACKAGES := findutils ncdu tree xxhash plocate wamerican
# The tools the tests run: the desktop's validators and MIME tools, man, the
# bash-completion framework the completions are run in (zsh and fish are optional),
# and an X server with the tools that drive the real window and read its hints.
# ncdu reads the reports' export, python3 their JSON and CSV.
TEST_PACKAGES := appstream desktop-file-utils xdg-utils shared-mime-info libglib2.0-bin \
                 bash-completion man-db xvfb xauth xdotool x11-utils ncdu python3
# dpkg-shlibdeps (dpkg-dev, with file) finds the package's dependencies; lintian checks it.
PACKAGE_PACKAGES := dpkg-dev file lintian
# The package is built with the flags Debian builds its own with, hardening included.
BUILDFLAGS    := DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
SUDO          := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
# Every build made here, and so CI, treats warnings as errors.
CMAKE_FLAGS   := -DQVL_WERROR=ON
# The tests that start threads: the walk's read-ahead, the search workers, and the
# qvl commands that run them (dupes reads catalogues on several threads).
TSAN_TESTS    := ^(LinuxDirectory|WalkFixture|ParallelWalk|SearchFilesAhead|SearchCatalogueFile|SearchCatalogues|QvlFind|QvlSearch|QvlList|PlainListCommand|CatalogueAppend|QvlDupes|QvlUnique)\.

.PHONY: all deps build build-asan build-tsan build-release run test package bench fuzz screenshots clean

all: build

deps:
	@missing=""; for p in $(PACKAGES) $(EXTRA_PACKAGES); do \
	  dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Debug -DQVL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

build-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVL_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS)

# What users get from a plain Release build: -O3, and the warnings GCC finds only there.
build-release: deps
	cmake -S . -B $(RELEASE_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/quorvalen

# Pictures of each tab, taken of the real window under Xvfb, into docs/screenshots;
# the Browse view also at twice the usual scale and in a dark palette.
screenshots: EXTRA_PACKAGES = xvfb xauth
screenshots: build
	mkdir -p docs/screenshots
	xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/bin/quorvalen_screenshots docs/screenshots
	xvfb-run -a -s "-screen 0 1600x1200x24" env QT_SCALE_FACTOR=2 \
	  $(BUILD)/bin/quorvalen_screenshots docs/screenshots --browse-only --suffix -scale2
	xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/bin/quorvalen_screenshots docs/screenshots \
	  --browse-only --dark --suffix -dark

# Each build is made just before its tests, so a failure shows the build that has it.
test:
	$(MAKE) build EXTRA_PACKAGES="$(TEST_PACKAGES)"
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)
	$(MAKE) build-tsan
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'
	$(MAKE) build-release
	cd $(RELEASE_BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package, from a Release build of its own with the window:
# $(PACKAGE_BUILD)/quorvalen_VERSION_ARCH.deb.
package: EXTRA_PACKAGES = $(PACKAGE_PACKAGES)
package: deps
	cmake -S . -B $(PACKAGE_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release -DQVL_GUI=ON -DQVL_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$($(BUILDFLAGS) CPPFLAGS) $$($(BUILDFLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(BUILDFLAGS) LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	@[ -x $(PACKAGE_BUILD)/bin/quorvalen ] || { echo "Qt 6 was not found: the package would have no window" >&2; exit 1; }
	cd $(PACKAGE_BUILD) && cpack -G DEB

bench: EXTRA_PACKAGES = $(BENCH_PACKAGES)
bench: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVL_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)
	bench/list_bench.sh $(BUILD)
	bench/companion_bench.sh $(BUILD)

fuzz: EXTRA_PACKAGES = clang libclang-rt-14-dev
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVL_FUZZ=ON -DQVL_TESTS=OFF -DQVL_GUI=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(RELEASE_BUILD) $(FUZZ_BUILD) $(PACKAGE_BUILD)
