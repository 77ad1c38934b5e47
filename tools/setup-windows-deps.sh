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
zip
unzip
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

# One dpkg-query for all of them: it prints a line for every package it knows of.
# shellcheck disable=SC2086
installed=" $(dpkg-query -W -f='${db:Status-Status} ${Package}\n' $packages 2>/dev/null \
    | sed -n 's/^installed //p' | tr '\n' ' ')"
missing=""
for package in $packages; do
    case "$installed" in
        *" $package "*) ;;
        *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
    echo "setup-windows: these packages are missing and this system has no apt-get:$missing" >&2
    exit 1
fi

echo "setup-windows: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "setup-windows: installing packages needs root, and sudo is not available." >&2
    exit 1
fi
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
