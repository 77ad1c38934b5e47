#!/bin/sh
# Builds the Debian package as make package does (dpkg-buildpackage, lintian clean) into a
# temporary folder and checks it without installing it: its files, its Depends, what apt would
# make of it, and that the program in it starts and paints its main window offscreen.
#   check-package.sh <source folder> <list of installed files>
set -eu
source=$1
expected=$2
tmp=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

"$source/tools/build-deb.sh" "$tmp/out" || fail "the package was not built"
deb=$(ls "$tmp"/out/orbelune_*.deb)
echo "package: $(basename "$deb")"

# Files: exactly the installed tree, under /usr, the manual page compressed, and Debian's
# copyright and changelog.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' | LC_ALL=C sort \
    >"$tmp/packaged.txt"
{
    sed 's|^\(share/man/.*\)|\1.gz|' "$expected"
    printf '%s\n' share/doc/orbelune/copyright share/doc/orbelune/changelog.gz
} | LC_ALL=C sort >"$tmp/expected.txt"
diff -u "$tmp/expected.txt" "$tmp/packaged.txt" || fail "the packaged files differ (- expected, + packaged)"

# Depends: what the binary links (libqt6svg6 among them) and a CJK face, under this release's
# names (from Debian 13 on, libqt6core6t64 after the 64-bit time_t transition).
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 fonts-noto-cjk; do
    echo "$depends" | tr ',' '\n' | grep -Eq "^ *$package(t64)?( |\$)" \
        || fail "Depends lacks $package"
done

# What apt would do, without doing it.
if command -v apt-get >/dev/null 2>&1; then
    apt-get install --simulate "$deb" >"$tmp/apt.log" 2>&1 || {
        cat "$tmp/apt.log"
        fail "apt-get install --simulate failed"
    }
    grep -q '^Inst orbelune ' "$tmp/apt.log" || {
        cat "$tmp/apt.log"
        fail "apt-get would not install orbelune"
    }
fi

# The program as packaged: it must start, show and paint its main window, and keep running
# until it is told to end. Qt's own painting log says when the window has been painted.
dpkg -x "$deb" "$tmp/root"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.widgets.painting=true" \
    "$tmp/root/usr/bin/orbelune" >"$tmp/run.log" 2>&1 &
pid=$!
waited=0
until grep -q 'Drawing QRegion(0,0 662x[0-9]*) of orbelune::MainWindow' "$tmp/run.log"; do
    kill -0 "$pid" 2>/dev/null || {
        cat "$tmp/run.log"
        fail "the program ended before it painted its window"
    }
    [ "$waited" -lt 300 ] || fail "the program painted no window within 30 s"
    sleep 0.1
    waited=$((waited + 1))
done
if grep -Eiv '^qt\.widgets\.painting' "$tmp/run.log" | grep -Ei 'cannot|could not|failed|error'; then
    fail "the program complained while starting"
fi
kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "check-package: passed"
