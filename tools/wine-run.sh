#!/bin/sh
# Runs a Windows program of the cross build under Wine, finding the DLLs of Qt for Windows and
# of the MinGW runtime without copying them:
#   tools/wine-run.sh <program.exe> [arguments...]
# ctest calls it for every test of the Windows build (CMAKE_CROSSCOMPILING_EMULATOR). Wine
# keeps its own C: drive in the cache, made once; it is told not to offer to install Mono or
# Gecko, which nothing here uses.
set -eu

cache=${ORBELUNE_CACHE:-$HOME/.cache/orbelune}
qt=${QT_WINDOWS:-$cache/qt-6.4.2-mingw64}
triplet=x86_64-w64-mingw32
gcc_runtime=$(dirname "$($triplet-gcc-posix -print-libgcc-file-name)")

export WINEPREFIX="${WINEPREFIX:-$cache/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
# QtTest and qDebug write to the debugger, not to stdout, when Windows shows no console:
# under Wine there is none, and ctest reads stdout.
export QT_FORCE_STDERR_LOGGING=1
# Qt's offscreen platform, which the window tests use, reads its fonts from one folder on
# Windows rather than asking the system: the Chinese faces the Linux tests get from
# fontconfig.
export QT_QPA_FONTDIR="Z:\\usr\\share\\fonts\\opentype\\noto"
# Wine keeps every QT_ variable from Windows programs, and hands WINEQT_… on as QT_…: so the
# tests' QT_QPA_PLATFORM=offscreen reaches them.
for name in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$name=\"\$$name\""
done
# Z: is the root of this machine's file system.
dos() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
export WINEPATH="$(dos "$qt/bin");$(dos "$gcc_runtime");$(dos "/usr/$triplet/lib")"
wine=/usr/lib/wine/wine64

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
    wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -w
fi
exec "$wine" "$@"
