#!/bin/sh
# One run of the real Windows program from its zip, under Wine on a virtual X display with
# Qt's windows platform, as a user would start it:
#   tools/smoke-windows.sh <orbelune-…-windows-x64.zip | Orbelune.lnk> [pictures folder]
# A shortcut is one an installer made in $WINEPREFIX, started as Explorer starts it.
# Checks the window's title, that the history list shows rows, and that the program ends with
# exit code 0 when its window is closed. Nothing of Qt for Windows outside the zip is on the
# DLL path, so a DLL missing from the zip fails the run. Given a folder, it also runs an
# analysis and takes the README's pictures of the main window and the about window.
set -eu

given=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
pictures=${2:-}
cache=${ORBELUNE_CACHE:-$HOME/.cache/orbelune}
display=${SMOKE_DISPLAY:-:43}

work=$(mktemp -d)
xvfb_pid=
wm_pid=
program_pid=
finish() {
    for pid in $program_pid $wm_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap finish EXIT

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
kill -0 "$xvfb_pid" 2>/dev/null && xdpyinfo >/dev/null 2>&1 \
    || { echo "smoke-windows: no X display $display (set SMOKE_DISPLAY to a free one)" >&2; exit 1; }
openbox >/dev/null 2>&1 &
wm_pid=$!

# Wine's C: drive is the one the tests use; the DLL path is left as Windows has it. Wine's menu
# builder, which would make this machine's menu entries for a shortcut it starts, stays off.
unset QT_QPA_PLATFORM QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH WINEPATH
export WINEPREFIX="${WINEPREFIX:-$cache/wine}" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# A Wine still up in this prefix (the tests kill programs at their time limit, which leaves
# its server running) would show the window on the display it started on: end it first.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
[ -f "$WINEPREFIX/system.reg" ] || { /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1; wineserver -w; }
case "$given" in
    *.lnk)
        # start /wait waits for the program the shortcut names and ends with its exit code.
        /usr/lib/wine/wine64 start /wait /unix "$given" >"$work/program.log" 2>&1 &
        ;;
    *)
        unzip -q "$given" -d "$work"
        folder=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
        (cd "$folder" && exec /usr/lib/wine/wine64 ./orbelune.exe) >"$work/program.log" 2>&1 &
        ;;
esac
program_pid=$!

fail() {
    echo "smoke-windows: $*" >&2
    exit 1
}
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Orbelune Ver' | head -n 1)
[ -n "$window" ] || fail "no window appeared within 60 s"
title=$(xdotool getwindowname "$window")
[ "$title" = "Orbelune Ver1.2" ] || fail "window title is \"$title\""

# The history list lies at 19..348 x 34..324 pixels of the client area, under the menu bar:
# once drawn, its inner part holds the dark pixels of the rows' digits; empty, it is white.
sleep 3
import -window "$window" "$work/window.png"
dark=$(convert "$work/window.png" -crop 290x220+35+80 +repage -colorspace Gray \
    -threshold 75% -negate -format '%[fx:round(mean*w*h)]' info:)
[ "$dark" -gt 1000 ] || fail "the history list looks empty ($dark dark pixels)"

if [ -n "$pictures" ]; then
    xdotool windowactivate --sync "$window"
    xdotool key --window "$window" Return
    sleep 10
    import -frame -window "$window" "$pictures/windows-main-window.png"
    # The about window, from the keyboard: Alt, over to 帮助, down to 关于.
    xdotool key alt
    xdotool key Right Right Down Return
    about=$(timeout 20 xdotool search --sync --onlyvisible --name '^关于 Orbelune' | head -n 1)
    [ -n "$about" ] || { import -window root /tmp/smoke-failed.png; fail "the about window did not open"; }
    sleep 2
    import -frame -window "$about" "$pictures/windows-about.png"
    xdotool key Escape
    sleep 1
fi

# Closed by its close box, through the window manager.
wmctrl -i -c "$window" 2>/dev/null || xdotool key --window "$window" alt+F4
for _ in $(seq 300); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program_pid" 2>/dev/null && fail "the program did not end within 30 s of closing"
code=0
wait "$program_pid" || code=$?
program_pid=
[ "$code" -eq 0 ] || fail "the program ended with exit code $code"
echo "smoke-windows: passed: title \"$title\", $dark dark pixels in the history list, exit code 0"
