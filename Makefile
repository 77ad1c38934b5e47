# Orbelune: the two commands of the quick start, and the rest of the developer's tools.
#   make run    install what is missing, build (Release) and start the program
#   make test   the same set-up, then every test through ctest
#   make bench  the timings of the sweep and of a whole run, in its own Release build
#   make install PREFIX=/usr/local   install the program, desktop entry, icons and metainfo
#   make package   a Debian package of the same, in the build folder

BUILD_DIR ?= build
BENCH_DIR ?= build-bench
BUILD_TYPE ?= Release
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local

.PHONY: all setup configure build run test install package bench format clean

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

bench: setup
	@cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_BENCHMARKS=ON -DORBELUNE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_DIR) --parallel $(JOBS) --target orbelune_bench
	@QT_QPA_PLATFORM=offscreen $(BENCH_DIR)/orbelune_bench

# DESTDIR, when set, is honoured by cmake --install as by any make install.
install: build
	@cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD_DIR) && cpack

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD_DIR) $(BENCH_DIR)
