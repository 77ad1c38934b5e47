# Orbelune: the two commands of the quick start, and the rest of the developer's tools.
#   make run    install what is missing, build (Release) and start the program
#   make test   the same set-up, then every test through ctest, again under the sanitizers,
#               and 10 s of each fuzz target
#   make check  the quick loop: the Release build and the unit and window tests only
#   make bench  the speed figures as one table, in its own Release build
#   make fuzz   every fuzz target for FUZZ_SECONDS (60) each, in its own clang build
#   make install PREFIX=/usr/local   install the program, desktop entry, icons and metainfo
#   make package   a Debian package of the same, in the build folder

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

.PHONY: all setup configure build run check test test-asan fuzz install package bench format clean

all: build

setup:
	@./tools/setup-deps.sh

configure: setup
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	@$(BUILD_DIR)/orbelune

# The edit-compile-test loop: the core's tests, the fuzz corpora's replays and the widget tests,
# not the soak walk nor the install and package checks.
check: build
	@cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS) -L '^(unit|window)$$'

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

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(BENCH_DIR) $(ASAN_DIR) $(FUZZ_DIR)
