#!/bin/sh
# Every artifact of the version at the current commit, in one folder, with their checksums:
#   tools/release.sh [<folder>]        (make release; build-release/orbelune-<version> by default)
#   orbelune_<version>_debian-12_amd64.deb   built here, on Debian 12, by make package
#   orbelune_<version>_debian-13_amd64.deb   built in a fresh Debian 13 (make test-debian)
#   orbelune-<version>-windows-x64.zip and …-windows-x64-setup.exe   make windows
#   orbelune-<version>.tar.gz                the source, git archive of the commit
#   SHA256SUMS                               over all of them
# Refuses a tree with uncommitted changes: what is released must be a commit anyone can build
# again. Each .deb is installed and started in a fresh Debian of its release on the way.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
if [ -n "$(git status --porcelain)" ]; then
    git status --short >&2
    echo "release: the tree has uncommitted changes (above); commit or stash them first" >&2
    exit 1
fi
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n 1)
commit=$(git rev-parse HEAD)
out=${1:-$here/build-release/orbelune-$version}
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/orbelune* "$out/SHA256SUMS"
host=$(. /etc/os-release && echo "${ID:-}-${VERSION_ID:-}")
[ "$host" = debian-12 ] || { echo "release: the host must be Debian 12 (it is $host)" >&2; exit 1; }
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
step() { echo "release: $*"; }

step "source tarball of $(git rev-parse --short HEAD)"
git archive --format=tar.gz --prefix="orbelune-$version/" -o "$out/orbelune-$version.tar.gz" "$commit"

step "Debian 12 package (here)"
./tools/build-deb.sh build-deb "$commit" >/dev/null
cp "build-deb/orbelune_${version}_$arch.deb" "$out/orbelune_${version}_debian-12_$arch.deb"
# A fresh Debian 12 when one is cached already; the host's own set-up has built it already.
if [ -f "${ORBELUNE_CACHE:-$HOME/.cache/orbelune}/chroot-12/.configured" ]; then
    DEB="$out/orbelune_${version}_debian-12_$arch.deb" ./tools/test-debian.sh 12
fi

step "Debian 13 package (in a fresh Debian 13)"
./tools/setup-deps.sh debootstrap
deb13=$(mktemp -d)
PACKAGE=$deb13 ./tools/test-debian.sh 13
cp "$deb13/orbelune_${version}_$arch.deb" "$out/orbelune_${version}_debian-13_$arch.deb"
rm -rf "$deb13"

step "Windows zip and installer"
make --no-print-directory windows
cp "build-windows/orbelune-$version-windows-x64.zip" "build-windows/orbelune-$version-windows-x64-setup.exe" "$out/"

(cd "$out" && sha256sum orbelune* >SHA256SUMS)
step "$out"
ls -l "$out"
