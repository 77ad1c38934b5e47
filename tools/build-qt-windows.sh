#!/bin/sh
# Builds Qt 6.4.2 (qtbase and qtsvg) for 64-bit Windows with MinGW-w64, into a cache outside
# the repository, and only when the cache lacks it:
#   tools/build-qt-windows.sh
# qtbase comes from Debian's own qt6-base source package, fetched through a private apt
# configuration so that the system's sources stay untouched; qtsvg from the vendored tarball,
# since Debian's qt6-svg source cannot be downloaded here. About a quarter of an hour on two idle cores.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ORBELUNE_CACHE:-$HOME/.cache/orbelune}
prefix=$cache/qt-6.4.2-mingw64
# shared/ stands beside the clone; a git worktree finds it beside the main clone instead.
shared=$here/../shared
if [ ! -d "$shared" ]; then
    common=$(git -C "$here" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
    [ -n "$common" ] && shared=$(dirname "$common")/../shared
fi
qtsvg_tarball=${QTSVG_TARBALL:-$shared/vendor/qtsvg-everywhere-src-6.4.2.tar.xz}
qtsvg_sha256=522dad4b3cf6d01d0c00e414b0df9691e0a96b78d019d4e8a092f1892721a271
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}

# The stamp is written last. A build that was stopped part-way (a time limit, a closed terminal)
# goes on where it stopped: each step leaves a stamp in the build folder when it is done, and
# Ninja itself rebuilds only what the stopped build had not finished.
if [ -f "$prefix/.complete" ]; then
    exit 0
fi

src=$cache/src
mkdir -p "$src"

# --- qtbase: Debian's source package, through apt with a configuration of its own ------------
apt_root=$cache/apt
# Each unpacked source is stamped once whole, so a fetch or an unpacking that was stopped is done
# again rather than built from half a tree.
qtbase_dir=$(find "$src" -maxdepth 1 -type d -name 'qt6-base-6.4.2*' | head -n 1)
if [ ! -f "$src/qtbase.unpacked" ] || [ -z "$qtbase_dir" ]; then
    find "$src" -maxdepth 1 -name 'qt6-base*' -exec rm -rf {} +
    mkdir -p "$apt_root/lists/partial" "$apt_root/cache/archives/partial"
    # The same mirror and keyring as the system's own Debian entry, as a deb-src line only: the
    # mirror is whatever this machine's apt configuration names for bookworm's main component.
    mirror=$(apt-get indextargets --format '$(REPO_URI)' \
        'Codename: bookworm' 'Label: Debian' 'Component: main' 2>/dev/null | head -n 1)
    if [ -z "$mirror" ]; then
        echo "qt-windows: apt knows no Debian bookworm main archive; run apt-get update first" >&2
        exit 1
    fi
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
        >"$apt_root/sources.list"
    apt_options="-o Dir::Etc::sourcelist=$apt_root/sources.list -o Dir::Etc::sourceparts=-
        -o Dir::State::Lists=$apt_root/lists -o Dir::Cache=$apt_root/cache
        -o APT::Sandbox::User=root"
    echo "qt-windows: fetching Debian's qt6-base source"
    # shellcheck disable=SC2086
    apt-get $apt_options -qq update
    # shellcheck disable=SC2086
    (cd "$src" && apt-get $apt_options -qq source qt6-base >/dev/null)
    qtbase_dir=$(find "$src" -maxdepth 1 -type d -name 'qt6-base-6.4.2*' | head -n 1)
    [ -n "$qtbase_dir" ] || { echo "qt-windows: qt6-base source not unpacked" >&2; exit 1; }
    touch "$src/qtbase.unpacked"
fi

# --- qtsvg: the vendored tarball, checked before it is unpacked ---------------------------------
qtsvg_dir=$src/qtsvg-everywhere-src-6.4.2
if [ ! -f "$src/qtsvg.unpacked" ]; then
    rm -rf "$qtsvg_dir"
    echo "$qtsvg_sha256  $qtsvg_tarball" | sha256sum -c --quiet - \
        || { echo "qt-windows: $qtsvg_tarball does not have the expected sha256" >&2; exit 1; }
    tar -C "$src" -xJf "$qtsvg_tarball"
    touch "$src/qtsvg.unpacked"
fi

# --- qtbase for Windows -------------------------------------------------------------------------
# The host tools (moc, rcc, uic) are Debian's own 6.4.2 ones. ICU is off, as Qt for Windows has
# it by default; the third-party libraries are Qt's bundled ones, so the DLLs need nothing else.
# Debian's source lacks src/3rdparty/wintab, hence no tablet events; OpenGL stays on because the
# Windows platform plugin of 6.4.2 does not compile without it.
build=$cache/build
toolchain=$prefix/mingw-w64-x86_64.cmake
mkdir -p "$build" "$prefix"
if [ ! -f "$build/qtbase.installed" ]; then
    if [ ! -f "$build/qtbase.configured" ]; then
        echo "qt-windows: configuring qtbase"
        rm -rf "$build/qtbase"
        mkdir -p "$build/qtbase"
        # Qt's qt-cmake loads the toolchain file it was built with: a copy kept with Qt, so
        # that the cache serves any clone of the repository.
        cp "$here/cmake/mingw-w64-x86_64.cmake" "$toolchain"
        cmake -S "$qtbase_dir" -B "$build/qtbase" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
            -DBUILD_SHARED_LIBS=ON \
            -DFEATURE_icu=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
            -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
            -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
            -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
            -DFEATURE_tabletevent=OFF \
            >"$build/qtbase-configure.log" 2>&1 \
            || { tail -n 40 "$build/qtbase-configure.log" >&2; exit 1; }
        touch "$build/qtbase.configured"
    fi
    left=$(ninja -C "$build/qtbase" -n 2>/dev/null | grep -c '^\[' || true)
    echo "qt-windows: building qtbase, $left steps left (some 14 minutes for all on two idle cores)"
    cmake --build "$build/qtbase" --parallel "$jobs" >>"$build/qtbase-build.log" 2>&1 \
        || { tail -n 40 "$build/qtbase-build.log" >&2; exit 1; }
    cmake --install "$build/qtbase" >/dev/null
    touch "$build/qtbase.installed"
fi

# --- qtsvg for Windows, against the qtbase just installed ---------------------------------------
if [ ! -f "$build/qtsvg.configured" ]; then
    echo "qt-windows: configuring qtsvg"
    rm -rf "$build/qtsvg"
    "$prefix/bin/qt-cmake" -S "$qtsvg_dir" -B "$build/qtsvg" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        >"$build/qtsvg-configure.log" 2>&1 \
        || { tail -n 40 "$build/qtsvg-configure.log" >&2; exit 1; }
    touch "$build/qtsvg.configured"
fi
echo "qt-windows: building qtsvg"
cmake --build "$build/qtsvg" --parallel "$jobs" >>"$build/qtsvg-build.log" 2>&1 \
    || { tail -n 40 "$build/qtsvg-build.log" >&2; exit 1; }
cmake --install "$build/qtsvg" >/dev/null

# The build trees are only needed to build; the sources stay for the licence texts.
rm -rf "$build"
touch "$prefix/.complete"
echo "qt-windows: Qt 6.4.2 for Windows is in $prefix"
