#!/bin/sh
# Runs the README's quick start in a clean Debian of the given release, as a new user would:
#   tools/test-debian.sh 12|13|testing
# The Debian itself (debootstrap, minbase, with git, make and sudo, and a user "user" who may
# sudo) is built once into ~/.cache/orbelune/chroot-<release> and kept; each run starts from it
# untouched, through an overlay that is thrown away afterwards, so the set-up installs every
# package itself. The packages it downloads are kept in ~/.cache/orbelune/debs-<release>, the
# .deb it builds in ~/.cache/orbelune/package-<release>.
# In the overlay, on a clean clone of the current commit with ../shared beside it:
#   make build              make run's set-up and build (through sudo when AS=user)
#   make run                on a virtual X display; it must still be running after 10 s
#   make test               every test, the sanitizers and the fuzzers; no compiler warning
#   make package            the .deb by dpkg-buildpackage, lintian clean with this release's
#                           lintian; then it is installed by apt into a second fresh overlay,
#                           where the program must answer --version and start
# DEB=<file.deb> only installs that package into a fresh overlay and starts it there (a
# package built on another release). PACKAGE=<folder> only builds the package there, as make
# package does, then installs and starts it as above and copies it into <folder> (make release). AS=root runs the commands as root instead of as the
# user. LOOK=<folder> grabs the windows
# into <folder>/<release> after make run (tools/grab-look.sh, with this machine's Xvfb).
# Needs root (sudo otherwise), and debootstrap. The mirror is the one this machine's apt
# takes Debian from.
set -eu
# The whole script is one command, read before it runs: a run takes many minutes, and sh reads
# a script as it goes, so a checkout or an edit meanwhile would otherwise change what it does.
{

release=${1:-}
case "$release" in
    12 | bookworm) name=12 suite=bookworm ;;
    13 | trixie) name=13 suite=trixie ;;
    testing) name=testing suite=testing ;;
    *)
        echo "test-debian: which release? 12, 13 or testing" >&2
        exit 2
        ;;
esac
as=${AS:-user}
case "$as" in
    user) user=user home=/home/user ids=1000:1000 ;;
    root) user=root home=/root ids=0:0 ;;
    *)
        echo "test-debian: AS is user or root" >&2
        exit 2
        ;;
esac

if [ "$(id -u)" -ne 0 ]; then
    exec sudo env ORBELUNE_CACHE="${ORBELUNE_CACHE:-$HOME/.cache/orbelune}" AS="$as" \
        LOOK="${LOOK:-}" DEB="${DEB:-}" PACKAGE="${PACKAGE:-}" "$0" "$@"
fi

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ORBELUNE_CACHE:-$HOME/.cache/orbelune}
base=$cache/chroot-$name
debs=$cache/debs-$name
run=$cache/run-$name
# A package alone is tried in overlays of its own, beside a run of the same release.
[ -n "${DEB:-}" ] && run=$cache/deb-$name
logs=$cache/logs-$name
# shared/ stands beside the clone; a git worktree finds it beside the main clone instead.
shared=$here/../shared
if [ ! -d "$shared" ]; then
    common=$(git -C "$here" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
    [ -n "$common" ] && shared=$(dirname "$common")/../shared
fi
[ -d "$shared" ] || { echo "test-debian: no shared/ beside the repository" >&2; exit 1; }
shared=$(cd "$shared" && pwd)
commit=$(git -C "$here" rev-parse HEAD)
mkdir -p "$cache" "$debs" "$logs"

# One run of a release at a time: they share the chroot and the overlay's folders.
exec 9>"$run.lock"
flock -n 9 || { echo "test-debian: another run of Debian $name is going on" >&2; exit 1; }
if [ -n "${DEB:-}" ] && [ ! -f "$base/.configured" ]; then
    echo "test-debian: no Debian $name yet: run make test-debian RELEASE=$name first" >&2
    exit 1
fi

# --- what each step took, printed at the end ---------------------------------------------------
times=""
clock=$(date +%s)
took() {
    now=$(date +%s)
    times="$times$(printf '  %-44s %4d s' "$1" "$((now - clock))")
"
    clock=$now
}
fail() {
    echo "test-debian: Debian $name: $1" >&2
    [ -n "${2:-}" ] && [ -f "$2" ] && tail -n 60 "$2" >&2
    exit 1
}

# --- the mounts of an overlay, undone whatever happens ----------------------------------------
# Every mount below a folder, deepest first; a folder is never deleted while anything is
# mounted in it (a bind mount of shared/ would otherwise lose its files to rm).
unmount_below() {
    for point in $(awk -v top="$1" 'index($2, top) == 1 { print $2 }' /proc/mounts | sort -r); do
        umount "$point" 2>/dev/null || umount -l "$point"
    done
}
remove_overlay() {
    unmount_below "$1"
    if awk -v top="$1" 'index($2, top) == 1 { found = 1 } END { exit !found }' /proc/mounts; then
        echo "test-debian: $1 is still mounted; left as it is" >&2
        return 1
    fi
    rm -rf "$1"
}
trap 'remove_overlay "$run" || true; remove_overlay "$run-package" || true' EXIT
trap 'exit 130' INT TERM HUP

# A fresh overlay over the cached Debian: the system's folders mounted, apt's downloads kept.
new_overlay() {
    remove_overlay "$1"
    mkdir -p "$1/upper" "$1/work" "$1/root"
    mount -t overlay overlay -o "lowerdir=$base,upperdir=$1/upper,workdir=$1/work" "$1/root"
    mount -t proc proc "$1/root/proc"
    mount -t sysfs sysfs "$1/root/sys"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$1/root/dev/pts"
    mount -t tmpfs -o mode=1777,nosuid,nodev shm "$1/root/dev/shm"
    mount --bind "$debs" "$1/root/var/cache/apt/archives"
}

# in_chroot <overlay> <command>: as the user of the run, with a login's environment.
in_chroot() {
    chroot --userspec="$ids" "$1/root" env -i HOME="$home" USER="$user" LOGNAME="$user" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        sh -c "$2" </dev/null
}

# --- the Debian, built once ------------------------------------------------------------------
# Each step leaves a stamp when it is done; a stopped debootstrap is begun again from nothing,
# the packages it had fetched kept.
if [ ! -f "$base/.debootstrap-done" ]; then
    mirror=$(apt-get indextargets --format '$(REPO_URI)' 'Label: Debian' 'Component: main' \
        2>/dev/null | head -n 1)
    [ -n "$mirror" ] || fail "apt knows no Debian main archive; run apt-get update first"
    echo "test-debian: building a Debian $name ($suite) in $base"
    remove_overlay "$base"
    debootstrap --variant=minbase --include=git,make,sudo,ca-certificates \
        --cache-dir="$debs" "$suite" "$base" "$mirror" >"$logs/debootstrap.log" 2>&1 \
        || fail "debootstrap failed" "$logs/debootstrap.log"
    touch "$base/.debootstrap-done"
    took "debootstrap"
fi
if [ ! -f "$base/.configured" ]; then
    # Testing's package lists are often older than the validity their Release file gives.
    if [ "$name" = testing ]; then
        echo 'Acquire::Check-Valid-Until "false";' >"$base/etc/apt/apt.conf.d/99valid-until"
    fi
    # No service starts inside the chroot when a package is installed.
    printf '#!/bin/sh\nexit 101\n' >"$base/usr/sbin/policy-rc.d"
    chmod 755 "$base/usr/sbin/policy-rc.d"
    chroot "$base" id user >/dev/null 2>&1 || chroot "$base" useradd -m -u 1000 -s /bin/bash user
    echo 'user ALL=(ALL) NOPASSWD: ALL' >"$base/etc/sudoers.d/user"
    chmod 440 "$base/etc/sudoers.d/user"
    touch "$base/.configured"
fi

# install_package <.deb>: in a Debian that has never seen the build; apt brings what the
# package depends on, and the program must answer --version and start.
install_package() {
    new_overlay "$run-package"
    cp "$1" "$run-package/root/tmp/"
    in_chroot "$run-package" "sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
        && sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$1") \
        && orbelune --version \
        && { QT_QPA_PLATFORM=offscreen timeout 5 orbelune; [ \$? -eq 124 ]; }" \
        >"$logs/package-install.log" 2>&1 \
        || fail "the package did not install or start" "$logs/package-install.log"
    took "$(basename "$1") installed and started"
}

if [ -n "${DEB:-}" ]; then
    [ -f "$DEB" ] || fail "no package $DEB"
    install_package "$DEB"
    echo "test-debian: Debian $name: $(basename "$DEB") installed and started"
    printf '%s' "$times"
    exit 0
fi

# --- the quick start, on a clean clone -------------------------------------------------------
echo "test-debian: Debian $name, commit $(git -C "$here" rev-parse --short HEAD), as $user"
new_overlay "$run"
work=$run/root$home/work
mkdir -p "$work/shared"
git clone -q --no-hardlinks "$here" "$work/orbelune"
git -C "$work/orbelune" checkout -q --detach "$commit"
chown -R "$ids" "$work"
mount --bind "$shared" "$work/shared"
mount -o remount,bind,ro "$work/shared"
took "overlay and clone"

# make package's set-up and build only, the .deb then installed and started in a fresh overlay.
package_only() {
    in_chroot "$run" "cd ~/work/orbelune && make package" >"$logs/package.log" 2>&1 \
        || fail "make package failed" "$logs/package.log"
    deb=$(find "$work/orbelune/build-deb" -maxdepth 1 -name 'orbelune_*.deb' | head -n 1)
    [ -n "$deb" ] || fail "make package made no .deb" "$logs/package.log"
    took "set-up and make package"
    mkdir -p "$PACKAGE"
    cp "$deb" "$work/orbelune/build-deb/lintian.log" "$PACKAGE/"
    install_package "$PACKAGE/$(basename "$deb")"
    echo "test-debian: Debian $name: $(basename "$deb") built, installed and started"
    echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
    grep -E '^[EWIPXO]: ' "$PACKAGE/lintian.log" | sed 's/^/  lintian: /' || true
    printf '%s' "$times"
    exit 0
}
[ -n "${PACKAGE:-}" ] && package_only

in_chroot "$run" "cd ~/work/orbelune && make build" >"$logs/build.log" 2>&1 \
    || fail "make build failed" "$logs/build.log"
took "set-up and Release build (make build)"

# make run waits for its window to be closed: still running after 10 s is a program that
# started and stayed up. Exit code 124 is timeout's own.
status=0
in_chroot "$run" "cd ~/work/orbelune && timeout -k 5 10 xvfb-run -a make run" \
    >"$logs/run.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "make run ended by itself (exit code $status)" "$logs/run.log"
took "make run (10 s on Xvfb)"

if [ -n "${LOOK:-}" ]; then
    "$here/tools/grab-look.sh" "$LOOK/$name" chroot --userspec="$ids" "$run/root" \
        "$home/work/orbelune/build/orbelune" >"$logs/look.log" 2>&1 \
        || fail "the grabs failed" "$logs/look.log"
    took "the grabs (LOOK)"
fi

in_chroot "$run" "cd ~/work/orbelune && make test" >"$logs/test.log" 2>&1 \
    || fail "make test failed" "$logs/test.log"
took "make test"

# Any compiler or CMake warning of the three builds fails the run, deprecations included.
warnings=$(cat "$logs/build.log" "$logs/test.log" | grep -cE 'warning:|CMake (Deprecation )?Warning' || true)
[ "$warnings" -eq 0 ] || {
    grep -E -A3 'warning:|CMake (Deprecation )?Warning' "$logs/build.log" "$logs/test.log" >&2
    fail "$warnings warnings"
}

in_chroot "$run" "cd ~/work/orbelune && make package" >"$logs/package.log" 2>&1 \
    || fail "make package failed" "$logs/package.log"
deb=$(find "$work/orbelune/build-deb" -maxdepth 1 -name 'orbelune_*.deb' | head -n 1)
[ -n "$deb" ] || fail "make package made no .deb" "$logs/package.log"
mkdir -p "$cache/package-$name"
cp "$deb" "$work/orbelune/build-deb/lintian.log" "$cache/package-$name/"
deb=$cache/package-$name/$(basename "$deb")
took "make package"

install_package "$deb"

echo "test-debian: Debian $name passed"
grep -E 'tests passed|^fuzz:' "$logs/test.log" | sed 's/^/  /'
echo "  package: $(basename "$deb") Depends: $(dpkg-deb -f "$deb" Depends)"
grep -E '^[EWIPXO]: ' "$cache/package-$name/lintian.log" | sed 's/^/  lintian: /' || true
printf '%s' "$times"
exit 0
}
