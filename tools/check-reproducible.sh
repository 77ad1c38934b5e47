#!/bin/sh
# Builds the current commit twice, from two clones in different folders, one after the other,
# the second under another time zone, umask and locale, and checks that the artifacts are the
# same bit for bit:
#   tools/check-reproducible.sh deb       the .deb of this machine's release (make package)
#   tools/check-reproducible.sh windows   the Windows zip and installer (make windows)
# Only what is committed is built. Where they differ, diffoscope shows what and where, into
# build-reproducible/<kind>.diffoscope.txt. The clones stay in build-reproducible/ for a look.
set -eu

kind=${1:-}
case "$kind" in
    deb | windows) ;;
    *)
        echo "check-reproducible: deb or windows?" >&2
        exit 2
        ;;
esac
here=$(cd "$(dirname "$0")/.." && pwd)
work=$here/build-reproducible
commit=$(git -C "$here" rev-parse HEAD)
rm -rf "$work/$kind-a" "$work/$kind-b"
mkdir -p "$work"
if [ -n "$(git -C "$here" status --porcelain --untracked-files=no)" ]; then
    echo "check-reproducible: uncommitted changes are left out; building $commit" >&2
fi

# build <folder> [env assignments…]: a clone of the commit in <folder>, and its artifacts.
build() {
    folder=$1
    shift
    git clone -q --no-hardlinks "$here" "$folder"
    git -C "$folder" checkout -q --detach "$commit"
    # A worktree's shared/ stands beside the main clone; the clone needs it beside itself.
    shared=$here/../shared
    if [ ! -d "$shared" ]; then
        shared=$(dirname "$(git -C "$here" rev-parse --path-format=absolute --git-common-dir)")/../shared
    fi
    [ -e "$(dirname "$folder")/shared" ] || ln -s "$(cd "$shared" && pwd)" "$(dirname "$folder")/shared"
    case "$kind" in
        deb) (cd "$folder" && env "$@" sh -c 'umask ${UMASK:-022}; LINTIAN=no ./tools/build-deb.sh build-deb') ;;
        windows) (cd "$folder" && env "$@" sh -c 'umask ${UMASK:-022}; make --no-print-directory windows') ;;
    esac
}

started=$(date +%s)
build "$work/$kind-a/orbelune" >"$work/$kind-a.log" 2>&1 || {
    tail -n 40 "$work/$kind-a.log" >&2
    exit 1
}
# The second: another folder (deeper, another name), another time, zone, umask and locale.
build "$work/$kind-b/elsewhere/orbelune-again" TZ=Asia/Shanghai UMASK=002 LC_ALL=C.UTF-8 \
    >"$work/$kind-b.log" 2>&1 || {
    tail -n 40 "$work/$kind-b.log" >&2
    exit 1
}
echo "check-reproducible: two builds of $(git -C "$here" rev-parse --short HEAD), $(($(date +%s) - started)) s"

case "$kind" in
    deb) files="build-deb/orbelune_*.deb" ;;
    windows) files="build-windows/orbelune-*-windows-x64.zip build-windows/orbelune-*-windows-x64-setup.exe" ;;
esac
status=0
report=$work/$kind.diffoscope.txt
rm -f "$report"
for pattern in $files; do
    a=$(ls "$work/$kind-a/orbelune/"$pattern)
    b=$(ls "$work/$kind-b/elsewhere/orbelune-again/"$pattern)
    sum_a=$(sha256sum <"$a" | cut -d ' ' -f 1)
    sum_b=$(sha256sum <"$b" | cut -d ' ' -f 1)
    if [ "$sum_a" = "$sum_b" ]; then
        echo "  same      $sum_a  $(basename "$a")"
    else
        echo "  DIFFERENT $sum_a $sum_b  $(basename "$a")"
        status=1
        "$here/tools/setup-deps.sh" diffoscope-minimal
        diffoscope --text - "$a" "$b" >>"$report" 2>&1 || true
    fi
done
[ "$status" -eq 0 ] || echo "check-reproducible: what differs, by diffoscope: $report" >&2
exit "$status"
