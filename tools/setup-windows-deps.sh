#!/bin/sh
# Installs the Debian packages that only the Windows build and its test run need, and only
# when one of them is missing. `make test` never calls this: the Linux build needs none of them.
set -eu

packages="
g++-mingw-w64-x86-64-posix
gcc-mingw-w64-x86-64-posix
mingw-w64-x86-64-dev
binutils-mingw-w64-x86-64
wine64
wine
dpkg-dev
xz-utils
python3
unzip
nsis
qt6-translations-l10n
qt6-base-dev
qt6-base-dev-tools
qt6-svg-dev
libqt6svg6
xvfb
xauth
openbox
xdotool
wmctrl
x11-utils
imagemagick
fonts-noto-cjk
"

# shellcheck disable=SC2086
exec "$(dirname "$0")/setup-deps.sh" $packages
