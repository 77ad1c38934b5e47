#!/bin/sh
# Builds the Debian package from debian/ with dpkg-buildpackage, on this machine's release,
# and checks it with lintian:
#   tools/build-deb.sh <output folder> [<commit>]
# The source is a copy, in <output folder>/orbelune-<version>: of the given commit (git
# archive), or else of the working tree as it is (the files git tracks or would track, edits
# included). dpkg-buildpackage writes the .deb, its -dbgsym package, the source package (.dsc
# and .tar.xz), .buildinfo and .changes in <output folder>. The tests are not run (nocheck)
# unless DEB_BUILD_OPTIONS is set.
# LINTIAN=no skips lintian; otherwise any error or warning fails the build.
set -eu

out=${1:?output folder}
commit=${2:-}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -n "$commit" ]; then
    version=$(git -C "$here" show "$commit:debian/changelog" | sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p')
else
    version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$here/debian/changelog")
fi
source=$out/orbelune-$version
rm -rf "$source"
mkdir -p "$source"
if [ -n "$commit" ]; then
    git -C "$here" archive --format=tar "$commit" | tar -x -C "$source"
elif git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
    (cd "$here" && git ls-files -z --cached --others --exclude-standard \
        | xargs -0 -r sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh \
        | tar --null -T - -c) | tar -x -C "$source"
else
    (cd "$here" && tar --exclude='./build*' --exclude='./.git' -c .) | tar -x -C "$source"
fi

arch=$(dpkg-architecture -qDEB_HOST_ARCH)
rm -f "$out"/orbelune_"$version"_* "$out"/orbelune-dbgsym_"$version"_*
echo "build-deb: dpkg-buildpackage in $source"
options=${DEB_BUILD_OPTIONS-nocheck}
profiles=""
case " $options " in *" nocheck "*) profiles=-Pnocheck ;; esac
(cd "$source" && DEB_BUILD_OPTIONS="$options parallel=$(nproc)" \
    dpkg-buildpackage -us -uc $profiles) >"$out/build.log" 2>&1 || {
    tail -n 60 "$out/build.log" >&2
    echo "build-deb: dpkg-buildpackage failed (log: $out/build.log)" >&2
    exit 1
}
deb=$out/orbelune_${version}_$arch.deb
[ -f "$deb" ] || { echo "build-deb: no $deb" >&2; exit 1; }
rm -rf "$source"

if [ "${LINTIAN:-yes}" != no ]; then
    # The tags of every level are listed; only errors and warnings fail.
    lintian --display-info --display-experimental --pedantic --fail-on error,warning \
        "$out/orbelune_${version}_$arch.changes" >"$out/lintian.log" 2>&1 || {
        cat "$out/lintian.log" >&2
        echo "build-deb: lintian found errors or warnings" >&2
        exit 1
    }
    grep -v 'running with root privileges' "$out/lintian.log" | sed 's/^/  lintian: /' || true
fi
echo "build-deb: $deb"
