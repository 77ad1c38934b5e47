# Orbelune: the two commands of the quick start, and the rest of the developer's tools.
#   make run    install what is missing, build (Release) and start the program
#   make test   the same set-up, then every test through ctest, again under the sanitizers,
#               and 10 s of each fuzz target
#   make bench  the speed figures as one table, in its own Release build
#   make fuzz   every fuzz target for FUZZ_SECONDS (60) each, in its own clang build
#   make install PREFIX=/usr/local   install the program, desktop entry, icons and metainfo
#   make package   a Debian package of the same, in the build folder
#   make windows   the Windows program as a zip, cross-built with MinGW-w64 against a Qt for
#                  Windows that is built once into ~/.cache/orbelune (about 25 minutes)
#   make test-windows   the suite cross-built and run under Wine, then the zip's program

BUILD_DIR ?= build
BENCH_DIR ?= build-bench
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
# How long `make test` fuzzes each target.
FUZZ_TEST_SECONDS ?= 10
BUILD_TYPE ?= Release
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
WINDOWS_DIR ?= build-windows
ORBELUNE_CACHE ?= $(HOME)/.cache/orbelune
QT_WINDOWS ?= $(ORBELUNE_CACHE)/qt-6.4.2-mingw64
VERSION := $(shell sed -n 's/^ *VERSION \([0-9.]*\)$$/\1/p' CMakeLists.txt | head -n 1)
export ORBELUNE_CACHE QT_WINDOWS

.PHONY: all setup configure build run test test-asan fuzz install package bench format clean \
	setup-windows windows test-windows

all: build

setup:
	@./tools/setup-deps.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	@$(BUILD_DIR)/orbelune

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_TEST_SECONDS)

# The whole suite again, built with AddressSanitizer (LeakSanitizer on) and UBSan: the first
# report ends the test that made it, and fails it. Debug keeps Qt's assertions on; -O1 runs
# the suite in half the time of -O0 and still reports exact lines.
test-asan: setup
	@cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		"-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" \
		-DENABLE_SANITIZER_ADDRESS=ON -DENABLE_SANITIZER_UNDEFINED_BEHAVIOR=ON >/dev/null
	@cmake --build $(ASAN_DIR) --parallel $(JOBS)
	@cd $(ASAN_DIR) && ctest --output-on-failure --parallel $(JOBS)

# libFuzzer needs clang; only the core and the fuzz targets are built with it.
fuzz: setup
	@CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBELUNE_BUILD_FUZZERS=ON \
		-DORBELUNE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) --parallel $(JOBS) --target orbelune_fuzzers
	@./tools/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: setup
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_BENCHMARKS=ON -DORBELUNE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) --parallel $(JOBS) --target orbelune_bench
	@QT_QPA_PLATFORM=offscreen $(BENCH_DIR)/orbelune_bench -silent

# DESTDIR, when set, is honoured by cmake --install as by any make install.
install: build
	@cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD_DIR) && cpack

# Windows: none of this is part of `make test`. The packages only Windows work needs, then
# Qt for Windows, built only when the cache lacks it.
setup-windows:
	@./tools/setup-windows-deps.sh
	@./tools/build-qt-windows.sh

# The icon render tool runs on this machine: a build of it for Linux comes first.
$(WINDOWS_DIR)/host/orbelune_render_icon: tools/render-icon/main.cpp
	@cmake -S . -B $(WINDOWS_DIR)/host -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(WINDOWS_DIR)/host --parallel $(JOBS) --target orbelune_render_icon

windows: setup-windows $(WINDOWS_DIR)/host/orbelune_render_icon
	@$(QT_WINDOWS)/bin/qt-cmake -S . -B $(WINDOWS_DIR)/app -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_TESTS=OFF \
		-DORBELUNE_HOST_RENDER_ICON=$(CURDIR)/$(WINDOWS_DIR)/host/orbelune_render_icon >/dev/null
	@cmake --build $(WINDOWS_DIR)/app --parallel $(JOBS)
	@./tools/package-windows.sh $(WINDOWS_DIR)/app $(QT_WINDOWS) $(VERSION)

# The suite, cross-built (Release, as make test) and run by ctest through Wine; then the
# zip's own program, unzipped, on a virtual X display.
test-windows: windows
	@$(QT_WINDOWS)/bin/qt-cmake -S . -B $(WINDOWS_DIR)/tests -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tools/wine-run.sh \
		-DORBELUNE_HOST_RENDER_ICON=$(CURDIR)/$(WINDOWS_DIR)/host/orbelune_render_icon >/dev/null
	@cmake --build $(WINDOWS_DIR)/tests --parallel $(JOBS)
	@cd $(WINDOWS_DIR)/tests && ctest --output-on-failure --parallel $(JOBS)
	@./tools/smoke-windows.sh $(WINDOWS_DIR)/orbelune-$(VERSION)-windows-x64.zip

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(BENCH_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
