# Orbelune: the two commands of the quick start, and the rest of the developer's tools.
#   make run    install what is missing, build (Release) and start the program
#   make test   the same set-up, then the formatting, every test through ctest, again under the
#               sanitizers, and 10 s of each fuzz target
#   make check  the quick loop: the Release build and the unit and window tests only
#   make format / make format-check   format the C++ sources, or only check that they are
#   make bench  the speed figures as one table, in its own Release build
#   make debug  the Debug build (build-debug/), for a debugger; built, not run
#   make fuzz   every fuzz target for FUZZ_SECONDS (60) each, in its own clang build
#   make install PREFIX=/usr/local   install the program, desktop entry, icons and metainfo
#   make package   the Debian package (debian/, dpkg-buildpackage), checked by lintian, in
#                  build-deb/
#   make artwork   redraw the pictures in resources/ whose text is outlined, from resources/artwork/
#   make windows   the Windows program as a zip and an installer, cross-built with MinGW-w64
#                  against a Qt for Windows that is built once into ~/.cache/orbelune (about
#                  15 minutes)
#   make check-reproducible   the .deb built twice from two clones of the commit, compared bit
#                  for bit; make check-reproducible-windows the same for the zip and installer
#   make release   every artifact of the commit's version and SHA256SUMS in build-release/
#                  (the .deb of Debian 12 and 13, the Windows zip and installer, the source)
#   make test-windows   the suite cross-built and run under Wine, then the zip's program, then
#                  the installer: install, start, uninstall
#   make test-debian RELEASE=13   the quick start on a clean clone in a fresh Debian 13 (or 12,
#                  or testing) built by debootstrap once into ~/.cache/orbelune; AS=root to run
#                  it as root rather than as a user with sudo; DEB=<file> only installs and
#                  starts that package there
#
# Each build is a preset of CMakePresets.json (release, debug, asan, fuzz, bench), which Qt
# Creator and VS Code read as well; the targets here only add the set-up and chain the presets.
#   cmake --preset release && cmake --build --preset release && ctest --preset check

FUZZ_SECONDS ?= 60
# How long `make test` fuzzes each target.
FUZZ_TEST_SECONDS ?= 10
# Extra arguments for the Release configure, e.g. CMAKE_FLAGS=-DWARNINGS_AS_ERRORS=ON.
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX ?= /usr/local
WINDOWS_DIR ?= build-windows
ORBELUNE_CACHE ?= $(HOME)/.cache/orbelune
QT_WINDOWS ?= $(ORBELUNE_CACHE)/qt-6.4.2-mingw64
RELEASE ?= 13
VERSION := $(shell sed -n 's/^ *VERSION \([0-9.]*\)$$/\1/p' CMakeLists.txt | head -n 1)
export ORBELUNE_CACHE QT_WINDOWS

# The build folder of each preset, as CMakePresets.json names it.
BUILD_DIR := build
ASAN_DIR := build-asan
FUZZ_DIR := build-fuzz
BENCH_DIR := build-bench
DEBUG_DIR := build-debug
DEB_DIR := build-deb
ARTWORK_DIR := build-artwork

# $(call configure,<preset>,<folder>[,<arguments>]): configures quietly, keeping the whole
# output in <folder>/configure.log. A failure prints that log; so does a success that warns.
configure_preset = mkdir -p $(2) && \
	if cmake --preset $(1) $(3) >$(2)/configure.log 2>&1; then \
		if grep -q 'CMake Warning' $(2)/configure.log; then cat $(2)/configure.log; fi; \
	else \
		cat $(2)/configure.log >&2; \
		echo "make: configuring the $(1) preset failed (log: $(2)/configure.log)" >&2; \
		exit 1; \
	fi

# The set-up installs the second CJK face the window tests lay the windows out with: where the
# tests run after it, a missing face fails them rather than skipping them.
check test test-asan: export ORBELUNE_REQUIRE_TEST_FONTS = 1

.PHONY: all setup configure build run check test test-asan fuzz install package bench debug artwork format format-check clean \
	setup-windows windows-host-tools windows test-windows test-debian check-reproducible \
	check-reproducible-windows release

all: build

setup:
	@./tools/setup-deps.sh

configure: setup
	@$(call configure_preset,release,$(BUILD_DIR),$(CMAKE_FLAGS))

build: configure
	@cmake --build --preset release --parallel $(JOBS)

run: build
	@$(BUILD_DIR)/orbelune

# The edit-compile-test loop: the core's tests, the fuzz corpora's replays and the widget tests,
# not the soak walk nor the install and package checks.
check: build
	@ctest --preset check --parallel $(JOBS)

test: format-check build
	@ctest --preset release --parallel $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_TEST_SECONDS)

# The whole suite again, built with AddressSanitizer (LeakSanitizer on) and UBSan: the first
# report ends the test that made it, and fails it.
test-asan: setup
	@$(call configure_preset,asan,$(ASAN_DIR))
	@cmake --build --preset asan --parallel $(JOBS)
	@ctest --preset asan --parallel $(JOBS)

# libFuzzer needs clang; only the core and the fuzz targets are built with it.
fuzz: setup
	@$(call configure_preset,fuzz,$(FUZZ_DIR))
	@cmake --build --preset fuzz --parallel $(JOBS)
	@./tools/run-fuzzers.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: setup
	@$(call configure_preset,bench,$(BENCH_DIR))
	@cmake --build --preset bench --parallel $(JOBS)
	@QT_QPA_PLATFORM=offscreen $(BENCH_DIR)/orbelune_bench -silent

# Built only: the tests it builds are the Release suite's, which make test runs.
debug: setup
	@$(call configure_preset,debug,$(DEBUG_DIR))
	@cmake --build --preset debug --parallel $(JOBS)

# The pictures that carry text are drawn from resources/artwork/ with the text as outlines, so
# that they look the same whatever fonts a machine has. Needs the face the artwork names.
artwork: setup
	@mkdir -p $(ARTWORK_DIR) && cmake -S . -B $(ARTWORK_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_TESTS=OFF -DORBELUNE_BUILD_ARTWORK_TOOLS=ON >$(ARTWORK_DIR)/configure.log 2>&1 \
		|| { cat $(ARTWORK_DIR)/configure.log >&2; exit 1; }
	@cmake --build $(ARTWORK_DIR) --target orbelune_outline_text
	@for source in resources/artwork/*.svg; do \
		$(ARTWORK_DIR)/tools/outline-text/orbelune_outline_text "$$source" \
			"resources/$$(basename "$$source")" || exit 1; \
	done

# DESTDIR, when set, is honoured by cmake --install as by any make install.
install: build
	@cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# Built from a copy of the tree as it is, by dpkg-buildpackage on this machine's release, the
# tests left out (they are make test's); lintian's errors and warnings fail it.
package: setup
	@./tools/build-deb.sh $(DEB_DIR)

# Windows: none of this is part of `make test`. The packages only Windows work needs, then
# Qt for Windows, built only when the cache lacks it.
setup-windows:
	@./tools/setup-windows-deps.sh
	@./tools/build-qt-windows.sh

# The build-time tools (the icon renderer, the picture drawer) run on this machine: a build of
# them for Linux comes first.
windows-host-tools:
	@cmake -S . -B $(WINDOWS_DIR)/host -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(WINDOWS_DIR)/host --parallel $(JOBS) \
		--target orbelune_render_icon orbelune_draw_pictures

# The same commit gives the same zip and installer: rcc stamps the embedded files with the
# commit's time rather than their own, the build folder is mapped out of the program, and the
# linker writes no time into it.
windows windows-host-tools test-windows: export SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
WINDOWS_REPRODUCIBLE := -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$(CURDIR)=." \
	-DCMAKE_EXE_LINKER_FLAGS="-Wl,--no-insert-timestamp"

windows: setup-windows windows-host-tools
	@$(QT_WINDOWS)/bin/qt-cmake -S . -B $(WINDOWS_DIR)/app -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DORBELUNE_BUILD_TESTS=OFF -DORBELUNE_HOST_TOOLS=$(CURDIR)/$(WINDOWS_DIR)/host \
		$(WINDOWS_REPRODUCIBLE) >/dev/null
	@cmake --build $(WINDOWS_DIR)/app --parallel $(JOBS)
	@./tools/package-windows.sh $(WINDOWS_DIR)/app $(QT_WINDOWS) $(VERSION)

# The suite, cross-built (Release, as make test) and run by ctest through Wine; then the
# zip's own program, unzipped, on a virtual X display; then the installer in a fresh Wine C:
# drive: installed over an older version, started from its shortcut, uninstalled.
test-windows: windows
	@$(QT_WINDOWS)/bin/qt-cmake -S . -B $(WINDOWS_DIR)/tests -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_CROSSCOMPILING_EMULATOR=$(CURDIR)/tools/wine-run.sh \
		-DORBELUNE_HOST_TOOLS=$(CURDIR)/$(WINDOWS_DIR)/host >/dev/null
	@cmake --build $(WINDOWS_DIR)/tests --parallel $(JOBS)
	@cd $(WINDOWS_DIR)/tests && ctest --output-on-failure --parallel $(JOBS)
	@./tools/smoke-windows.sh $(WINDOWS_DIR)/orbelune-$(VERSION)-windows-x64.zip
	@./tools/installer-test-windows.sh $(WINDOWS_DIR)/orbelune-$(VERSION)-windows-x64-setup.exe \
		$(WINDOWS_DIR)/orbelune-$(VERSION)-windows-x64.zip

# The README's quick start, as a new user on another Debian release would run it: see
# tools/test-debian.sh. Needs root or sudo; not part of make test, but .ci/run runs Debian 13.
test-debian:
	@./tools/setup-deps.sh debootstrap
	@./tools/test-debian.sh $(RELEASE)

# Refuses a tree with uncommitted changes. Needs root or sudo (the Debian 13 chroot).
release: setup
	@./tools/release.sh

check-reproducible: setup
	@./tools/check-reproducible.sh deb

check-reproducible-windows: setup-windows
	@./tools/check-reproducible.sh windows

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i

# Fails on any tracked C++ file that clang-format (.clang-format) would change, naming the lines.
format-check: setup
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run -Werror

clean:
	@rm -rf $(BUILD_DIR) $(DEBUG_DIR) $(BENCH_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(ARTWORK_DIR) $(WINDOWS_DIR) \
		$(DEB_DIR) build-reproducible build-release
