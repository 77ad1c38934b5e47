#!/bin/sh
# Retakes the README's pictures of the program, under Xvfb, from the Release build:
#   tools/screenshots.sh [build folder]
# Needs xvfb-run, xdotool and ImageMagick's import and convert, and qt6ct for the picture of
# a dark desktop (none of them needed for building or testing). Without a window manager the
# windows have no title bars; the main window sits at the top-left corner of the screen.
set -eu
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
program="$here/$build/orbelune"
docs="$here/docs"

if [ -z "${ORBELUNE_IN_XVFB:-}" ]; then
    export ORBELUNE_IN_XVFB=1
    exec xvfb-run -a -s '-screen 0 1400x1100x24' "$0" "$@"
fi

shoot() { # shoot <file> <width> <height>
    import -window root -crop "$2x$3+0+0" +repage "$docs/$1"
}

"$program" &
pid=$!
sleep 2
window=$(xdotool search --sync --name 'Orbelune Ver1.2' | head -n 1)
size=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
width=${size%x*}
height=${size#*x}
# No window manager gives the window the keyboard: take it directly.
xdotool windowfocus --sync "$window"

# In the middle of an analysis: the badge, the pools filling, the balls drawn so far.
xdotool key Return
sleep 2.2
shoot running.png "$width" "$height"
# The ticket, once the run has ended by itself.
sleep 4
shoot main-window.png "$width" "$height"
# The about window, opened from the keyboard: Alt, over to 帮助, down to 关于.
xdotool key alt
xdotool key Right Right Down Return
sleep 1
shoot about.png "$width" "$height"
kill "$pid"

# The same window at scale 2, for the comparison in the README.
QT_SCALE_FACTOR=2 "$program" &
pid=$!
sleep 2
shoot scale-2.png "$((width * 2))" "$((height * 2))"
kill "$pid"
"$program" &
pid=$!
sleep 2
shoot scale-1.png "$width" "$height"
kill "$pid"

# At 125 %, the scale many laptops start with: every border still one crisp line.
QT_SCALE_FACTOR=1.25 "$program" &
pid=$!
sleep 2
shoot scale-125.png "$((width * 5 / 4))" "$((height * 5 / 4))"
kill "$pid"

# Under a dark desktop: qt6ct with its "darker" colour scheme and the Fusion style, as a
# KDE Breeze Dark or dark GNOME desktop would give it. qt6ct's own window, on the right,
# shows the desktop's colours; Orbelune keeps its own.
if command -v qt6ct >/dev/null 2>&1; then
    config=$(mktemp -d)
    mkdir -p "$config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' \
        /usr/share/qt6ct/colors/darker.conf >"$config/qt6ct/qt6ct.conf"
    XDG_CONFIG_HOME="$config" QT_QPA_PLATFORMTHEME=qt6ct qt6ct &
    tool=$!
    XDG_CONFIG_HOME="$config" QT_QPA_PLATFORMTHEME=qt6ct "$program" &
    pid=$!
    sleep 3
    xdotool windowmove "$(xdotool search --sync --name 'Qt6 Configuration Tool' | head -n 1)" \
        "$((width + 16))" 0
    sleep 1
    shoot dark-desktop.png "$((width + 16 + 420))" "$height"
    kill "$pid" "$tool"
    rm -rf "$config"
else
    echo "screenshots: qt6ct is not installed; docs/dark-desktop.png is left as it was" >&2
fi

# A detail of both at the same size on the page: scale 1 enlarged pixel by pixel above,
# scale 2 as drawn below.
convert "$docs/scale-1.png" -crop 330x130+0+360 +repage -filter point -resize 200% /tmp/detail-1.png
convert "$docs/scale-2.png" -crop 660x260+0+720 +repage /tmp/detail-2.png
convert /tmp/detail-1.png /tmp/detail-2.png -background white -splice 0x8 -append \
    "$docs/scale-detail.png"
rm -f /tmp/detail-1.png /tmp/detail-2.png
