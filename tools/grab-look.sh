#!/bin/sh
# Grabs the idle main window, the same with the keyboard on its start button, and the about
# window at scales 1, 1.25 and 2, to compare the look of one build (or one Debian release) with
# another's:
#   tools/grab-look.sh <folder> [command that starts the program]
# The command defaults to build/orbelune; a program inside a chroot is started through it
# (chroot ... /path/orbelune), drawing on this machine's Xvfb. Writes main-<scale>.png,
# focus-<scale>.png and about-<scale>.png into <folder>. Needs xvfb-run, xdotool and
# ImageMagick's import here.
#   compare -metric AE a/main-1.png b/main-1.png diff.png    counts the pixels that differ
set -eu
out=${1:?folder for the pictures}
shift
[ "$#" -gt 0 ] || set -- "$(cd "$(dirname "$0")/.." && pwd)/build/orbelune"

if [ -z "${ORBELUNE_IN_XVFB:-}" ]; then
    export ORBELUNE_IN_XVFB=1
    # -ac: a program in a chroot reaches the display through its abstract socket but cannot
    # read the cookie xvfb-run keeps here; the display lives only as long as the grabs.
    exec xvfb-run -a -s '-ac -screen 0 1600x1200x24' "$0" "$out" "$@"
fi
mkdir -p "$out"

# A window that never shows ends the grabs (xdotool's --sync would wait for it for ever).
for scale in 1 1.25 2; do
    # A HOME of its own: nothing the program or Qt keeps is read from another run.
    env HOME=/tmp QT_SCALE_FACTOR="$scale" "$@" &
    pid=$!
    main=$(timeout 30 xdotool search --sync --name '^Orbelune Ver1.2$' | head -n 1)
    [ -n "$main" ] || { echo "grab-look: no main window at scale $scale" >&2; exit 1; }
    sleep 2
    # No window manager gives the window the keyboard: take it directly.
    xdotool windowfocus --sync "$main"
    import -window "$main" "$out/main-$scale.png"
    # The keyboard's marks: Tab from the history list over the seven pools to the start button.
    xdotool key --delay 50 Tab Tab Tab Tab Tab Tab Tab Tab
    sleep 1
    import -window "$main" "$out/focus-$scale.png"
    # The about window, opened from the keyboard: Alt, over to 帮助, down to 关于.
    xdotool key alt
    xdotool key Right Right Down Return
    about=$(timeout 30 xdotool search --sync --name '^关于 Orbelune$' | head -n 1)
    [ -n "$about" ] || { echo "grab-look: no about window at scale $scale" >&2; exit 1; }
    sleep 1
    import -window "$about" "$out/about-$scale.png"
    kill "$pid"
    wait "$pid" || true
done
