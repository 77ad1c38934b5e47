#!/bin/sh
# Installs the Debian packages that building, running and testing Orbelune need, and only
# when one of them is missing: with everything present this takes a few milliseconds and
# never calls apt-get. Root runs apt-get directly; anyone else goes through sudo.
set -eu

# fonts-wqy-zenhei is not for the program: the tests lay the windows out with it as the only
# CJK face, a different one from fonts-noto-cjk. Nor is acl: a test gives a file an ACL with
# setfacl, to see that a save keeps it. debhelper and lintian build the Debian package
# (make package) and check it.
packages="
build-essential
cmake
ninja-build
qt6-base-dev
qt6-svg-dev
libqt6svg6
fonts-noto-cjk
fonts-wqy-zenhei
xvfb
xauth
qt6-translations-l10n
desktop-file-utils
appstream
dpkg-dev
debhelper
lintian
file
clang-format
acl
clang
libclang-rt-dev
llvm
"
# clang, libclang-rt-dev (the sanitizers' and libFuzzer's runtime) and llvm (the symbolizer) name
# each release's default LLVM, whatever its number. Qt's SVG icon engine, which the icon test
# draws through, is a package of its own from Debian 13 on; on 12 libqt6svg6 holds it.
release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_ID:-}")
case "$release" in
    12) ;;
    *) packages="$packages qt6-svg-plugins" ;;
esac
[ "$#" -gt 0 ] && packages="$*"

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
    echo "setup: these packages are missing and this system has no apt-get:$missing" >&2
    echo "setup: install their equivalents by hand, then run make again." >&2
    exit 1
fi

echo "setup: installing$missing"
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "setup: installing packages needs root, and sudo is not available." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
