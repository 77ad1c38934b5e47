#!/bin/sh
# Takes the README's pictures of the installer's pages as a Chinese Windows shows them: under
# Wine, in a fresh C: drive of its own, on a virtual X display with Openbox:
#   tools/screenshots-windows-setup.sh <orbelune-…-setup.exe> <pictures folder>
# writes windows-setup-{welcome,folder,components,finish,uninstall}.png into the folder.
set -eu

setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
pictures=$(cd "$2" && pwd)
display=${SHOT_DISPLAY:-:44}

work=$(mktemp -d)
xvfb_pid=
wm_pid=
finish() {
    wineserver -k 2>/dev/null || true
    for pid in $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "screenshots-windows-setup: $*" >&2
    exit 1
}

# Wine takes its language from the Unix locale, and needs it to exist to name files in Chinese:
# one built here for this run, so that the system's own locales stay as they are.
localedef -i zh_CN -f UTF-8 "$work/zh_CN.UTF-8" 2>/dev/null || [ -d "$work/zh_CN.UTF-8" ] \
    || fail "localedef cannot build zh_CN.UTF-8"
export LOCPATH="$work" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "no X display $display (set SHOT_DISPLAY to a free one)"
openbox >/dev/null 2>&1 &
wm_pid=$!

/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
wineserver -w
find "$WINEPREFIX/drive_c/users" -type l | while read -r link; do rm "$link" && mkdir "$link"; done
folder=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public)
folder=$folder/AppData/Local/Programs/Orbelune

# Waits for a window whose title matches, and for its pages to settle.
window() {
    found=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1)
    [ -n "$found" ] || fail "no window \"$1\" within 30 s"
    sleep 2
    echo "$found"
}
shoot() {
    import -frame -window "$1" "$pictures/windows-setup-$2.png"
}
wait_for() {
    for _ in $(seq 300); do eval "$1" && return 0; sleep 0.1; done
    fail "waited 30 s for: $1"
}

/usr/lib/wine/wine64 "$setup" >/dev/null 2>&1 &
setup_window=$(window 'Orbelune .* 安装')
for page in welcome folder components; do
    shoot "$setup_window" "$page"
    xdotool key --window "$setup_window" Return
    sleep 1
done
wait_for '[ -f "$folder/uninstall.exe" ]'
sleep 3
shoot "$setup_window" finish
# Finish, with 运行 Orbelune unticked by the space bar first (it has the focus).
xdotool key --window "$setup_window" space Return
timeout 30 wineserver -w || fail "the installer did not end"

/usr/lib/wine/wine64 "$folder/uninstall.exe" >/dev/null 2>&1 &
uninstall_window=$(window 'Orbelune .* 卸载')
shoot "$uninstall_window" uninstall
echo "screenshots-windows-setup: pictures in $pictures"
