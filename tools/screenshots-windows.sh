#!/bin/sh
# Takes the README's pictures of the Windows program's Tab stops, its save dialog and its
# question before a file is replaced, under Wine on Xvfb with Openbox, in a Chinese locale,
# from the folder that `make windows` zips:
#   tools/screenshots-windows.sh [build-windows/orbelune-<version>-windows-x64]
# Wine runs in a prefix of its own, made anew in a temporary folder (a minute or two). Needs
# Xvfb, openbox, xdotool, wmctrl, ImageMagick, and the zh_CN locale (made from Debian's
# locales package into the temporary folder when the system lacks it).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
folder=$(cd "${1:-$(ls -d "$here"/build-windows/orbelune-*-windows-x64 | head -n 1)}" && pwd)
docs="$here/docs"
display=${SCREENSHOT_DISPLAY:-:47}

work=$(mktemp -d)
pids=
finish() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

# Wine speaks the language of the locale it starts in.
if ! locale -a | grep -qix 'zh_CN.utf-\?8'; then
    mkdir -p "$work/locale"
    localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8"
    export LOCPATH="$work/locale"
fi
export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
export WINEPREFIX="$work/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset QT_QPA_PLATFORM QT_PLUGIN_PATH QT_QPA_PLATFORM_PLUGIN_PATH WINEPATH
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids="$!"
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids="$! $pids"

# A result file already there, in a folder of its own, for the question.
mkdir "$work/results"
printf 'old\r\n' >"$work/results/result.txt"
results=$(printf 'Z:%s' "$work/results" | sed 's|/|\\|g')

(cd "$folder" && exec /usr/lib/wine/wine64 ./orbelune.exe) >/dev/null 2>&1 &
pids="$! $pids"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Orbelune Ver' | head -n 1)
sleep 3
xdotool windowactivate --sync "$window"

# Each Tab stop from the history list on: the seven pools, the start button, the list again;
# a sheet of the part of the window around each, enlarged twice.
for stop in 1 2 3 4 5 6 7 8 9; do
    xdotool key Tab
    sleep 0.5
    case $stop in
    8) area=300x165+362+22 ;;
    9) area=300x165+4+22 ;;
    *) area=300x165+362+198 ;;
    esac
    import -window "$window" "$work/window.png"
    convert "$work/window.png" -crop "$area" +repage -scale 200% "$work/stop$stop.png"
done
montage "$work/stop9.png" "$work"/stop[1-8].png -tile 3x3 -geometry +8+8 \
    "$docs/windows-focus-stops.png"

# 菜单 → 保存结果 from the keyboard: Alt, Down opens the menu, Down again reaches the item.
xdotool key alt
xdotool key Down Down Return
dialog=$(timeout 30 xdotool search --sync --onlyvisible --name '^保存运算出来的彩球结果$' | head -n 1)
sleep 3
import -frame -window "$dialog" "$docs/windows-save-dialog.png"

# The folder typed and entered, then the name of the file there, without its ending.
xdotool type --delay 20 "$results"
xdotool key Return
sleep 2
xdotool key --repeat 120 BackSpace
xdotool type --delay 20 'result'
xdotool key Return
question=$(timeout 30 xdotool search --sync --onlyvisible --name '^确认另存为$' | head -n 1)
sleep 1
# The screen: the dialog and its question over the main window, trimmed of the empty rest.
import -window root -trim +repage "$docs/windows-replace-question.png"
# "否" keeps the file and the dialog; Esc then cancels it.
xdotool key n
sleep 1
xdotool key Escape
sleep 1
[ "$(cat "$work/results/result.txt")" = "$(printf 'old\r')" ] \
    || { echo "screenshots-windows: result.txt was replaced" >&2; exit 1; }
wmctrl -i -c "$window"
sleep 2
echo "screenshots-windows: docs/windows-focus-stops.png, docs/windows-save-dialog.png," \
    "docs/windows-replace-question.png"
