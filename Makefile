# Two commands set everything up on a fresh Debian 12 machine:
#   make run   - install what is missing, build, start Tankometer
#   make test  - the same set-up, build, run every test headless
.PHONY: run test slow-checks a11y faults deps configure build bench screenshots format asan fuzz fuzz-ci clean

BUILD ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc)
PACKAGES := cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-charts-dev libsqlite3-dev \
            fonts-dejavu-core fonts-liberation2 python3
# Qt's own words (standard buttons, the file dialog) in French and Dutch.
PACKAGES += qt6-translations-l10n
# The .deb (dpkg-shlibdeps, file) and the cross compile of the Windows-only sources.
PACKAGES += dpkg-dev file g++-mingw-w64-x86-64-win32
# The accessibility check: a virtual X server, a D-Bus session, the AT-SPI
# registry and its Python bindings, through which it reads the windows as a
# screen reader does.
PACKAGES += xvfb dbus-daemon at-spi2-core python3-pyatspi
# The package's checks: lintian on the .deb, the AppStream metainfo and the
# desktop entry validated as software centres and desktops read them.
PACKAGES += lintian appstream desktop-file-utils
# The store on a PostgreSQL server: libpq to build, and the server the tests
# start for themselves (initdb, pg_ctl).
PACKAGES += libpq-dev postgresql
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_ARGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "tankometer: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2; \
	  exit 1; \
	fi
	@$(BUILD)/tankometer

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -LE slow

# Long checks no fault of the program's logic can make fail (the .deb, the
# Windows sources under MinGW); CI runs them as a step of their own.
slow-checks: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -L slow

# Every window by keyboard and through AT-SPI, as a screen reader meets it
# (also part of `make test`).
a11y: build
	@cd $(BUILD) && ctest --output-on-failure -L a11y

# Does a one-line mistake in the rules that matter make a test fail? (tools/faults.txt)
faults: deps
	@python3 tools/faults.py build-faults

# A .deb of the program in $(BUILD)/; install it with: sudo apt install ./$(BUILD)/tankometer_*.deb
.PHONY: package
package: build
	@cmake --build $(BUILD) --target package

# The tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	@$(MAKE) --no-print-directory test BUILD=build-asan BUILD_TYPE=Debug CMAKE_ARGS=-DTANKO_SANITIZE=ON

bench: build
	@cmake --build $(BUILD) --target benchmarks
	@for b in $$(find $(BUILD)/benchmarks -maxdepth 1 -name 'bench_*' -type f -executable | sort); do \
	  QT_QPA_PLATFORM=offscreen $$b || exit 1; done

screenshots: build
	@cmake --build $(BUILD) --target tanko_screenshots
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tools/tanko_screenshots $(BUILD)/screenshots
	@echo "Screenshots in $(BUILD)/screenshots"

# The conversions under libFuzzer (clang), with ASan and UBSan.
FUZZ_SECONDS ?= 120
fuzz-build:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) clang libclang-rt-14-dev"
	@cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
	@cmake --build build-fuzz

fuzz: fuzz-build
	@mkdir -p build-fuzz/corpus
	@build-fuzz/fuzz_conversions -max_total_time=$(FUZZ_SECONDS) -max_len=4096 build-fuzz/corpus fuzz/corpus

# A short pass for CI: the committed corpus, then a bounded number of mutations.
fuzz-ci: fuzz-build
	@build-fuzz/fuzz_conversions -runs=0 fuzz/corpus/*
	@rm -rf build-fuzz/ci-corpus && mkdir -p build-fuzz/ci-corpus
	@build-fuzz/fuzz_conversions -runs=200000 -max_len=512 -seed=1 build-fuzz/ci-corpus fuzz/corpus

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-asan build-fuzz build-faults
