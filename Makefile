# Set-up, build and tests on Debian 12. `make run` and `make test` install what the
# build needs when it is missing.
BUILD         ?= build
ASAN_BUILD    ?= build-asan
TSAN_BUILD    ?= build-tsan
RELEASE_BUILD ?= build-release
FUZZ_BUILD    ?= build-fuzz
JOBS          ?= $(shell nproc)
# The window needs Qt 6 (with its SVG plug-ins for the icons), an icon theme and a font.
PACKAGES      := build-essential cmake pkg-config libgtest-dev libicu-dev libxxhash-dev libzstd-dev \
                 qt6-base-dev qt6-svg-dev qt6-qpa-plugins adwaita-icon-theme fonts-dejavu-core
BENCH_PACKAGES := findutils ncdu tree xxhash
SUDO          := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
# Every build made here, and so CI, treats warnings as errors.
CMAKE_FLAGS   := -DQVL_WERROR=ON
# The tests that start threads: the walk's read-ahead, the search workers, and the
# qvl commands that run them.
TSAN_TESTS    := ^(LinuxDirectory|WalkFixture|SearchFilesAhead|SearchCatalogueFile|SearchCatalogues|QvlFind|QvlSearch|QvlList|PlainListCommand|CatalogueAppend)\.

.PHONY: all deps build build-asan build-tsan build-release run test bench fuzz screenshots clean

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

# Pictures of each tab, taken of the real window under Xvfb, into docs/screenshots.
screenshots: EXTRA_PACKAGES = xvfb xauth
screenshots: build
	mkdir -p docs/screenshots
	xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/bin/quorvalen_screenshots docs/screenshots

# Each build is made just before its tests, so a failure shows the build that has it.
test:
	$(MAKE) build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)
	$(MAKE) build-tsan
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'
	$(MAKE) build-release
	cd $(RELEASE_BUILD) && ctest --output-on-failure -j $(JOBS)

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
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(RELEASE_BUILD) $(FUZZ_BUILD)
