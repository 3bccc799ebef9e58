# Set-up, build and tests on Debian 12. `make run` and `make test` install what the
# build needs when it is missing.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
# The window needs Qt 6 (with its SVG plug-ins for the icons), an icon theme and a font.
PACKAGES   := build-essential cmake pkg-config libgtest-dev libicu-dev \
              qt6-base-dev qt6-svg-dev qt6-qpa-plugins adwaita-icon-theme fonts-dejavu-core
BENCH_PACKAGES := findutils ncdu tree
SUDO       := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build build-asan run test bench fuzz screenshots clean

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
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQVL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/quorvalen

# Pictures of each tab, taken of the real window under Xvfb, into docs/screenshots.
screenshots: EXTRA_PACKAGES = xvfb xauth
screenshots: build
	mkdir -p docs/screenshots
	xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD)/bin/quorvalen_screenshots docs/screenshots

test: build build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: EXTRA_PACKAGES = $(BENCH_PACKAGES)
bench: build
	bench/list_bench.sh $(BUILD)

fuzz: EXTRA_PACKAGES = clang libclang-rt-14-dev
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVL_FUZZ=ON -DQVL_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
