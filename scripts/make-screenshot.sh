#!/usr/bin/env bash
# Makes the README's picture from the real program: under an X server of its
# own (Xvfb) it opens a graph of four coloured curves, adds a second window
# on it with Finestra > Nuova finestra, tiles the two, zooms the second one
# with a dragged rectangle, points at a curve so that the status bar shows
# the read-out, and takes the main window, reduced to a small palette.
# Usage: scripts/make-screenshot.sh [path/to/tracelo [out.png]]
# (by default the optimised tree of `make build` and docs/screenshot.png).
# Needs Xvfb, xdotool and ImageMagick (the [test] packages of
# scripts/packages.txt) and the it_IT.UTF-8 locale.
set -euo pipefail

TOP=$(cd "$(dirname "$0")/.." && pwd)
TRACELO=$(realpath "${1:-$TOP/build/src/app/tracelo}")
OUT=$(realpath -m "${2:-$TOP/docs/screenshot.png}")
[ -x "$TRACELO" ] || { echo "no program at $TRACELO: run 'make build' first" >&2; exit 1; }
source "$TOP/scripts/xvfb-session.sh"
fail() { echo "make-screenshot: $*" >&2; exit 1; }

# The main window's size; the picture is this size.
WIDTH=960
HEIGHT=640

start_xvfb 1280x1024x24
export XDG_CONFIG_HOME="$WORK/config"
export LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8
unset QT_QPA_PLATFORM

visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }

# The graph file: the window -2π to 2π by -3 to 3, 500 divisions, the grid
# on, then each function's text (a length byte and its characters) and
# colour (0x00BBGGRR).
perl -e '
    my @f = (["SIN(X)", 0x0000FF], ["COS(X)", 0xFF0000],
             ["X^2/8-2", 0x00FF00], ["2*SIN(5*X)*EXP(-ABS(X)/2)", 0x800080]);
    print pack("d<4 l<3", -2 * 3.141592653589793, 2 * 3.141592653589793, -3, 3, 500, 1,
               scalar @f);
    print pack("C/a* L<", @$_) for @f;
' >"$WORK/esempio.grf"

cd "$WORK"
"$TRACELO" esempio.grf &
PID=$!
poll visible '^Tracelo - esempio' || fail "no main window titled 'Tracelo - esempio'"
WID=$(xdotool search --onlyvisible --name '^Tracelo - esempio' | head -1)
xdotool windowmove --sync "$WID" 0 0 windowsize --sync "$WID" "$WIDTH" "$HEIGHT"
xdotool windowfocus --sync "$WID" 2>/dev/null || true

# Runs of at least 40 white pixels along column $1 (or, with "row", along
# row $2) of the main window, as "first last" lines: the graph windows'
# client areas.
white_runs() {
    import -window "$WID" "$WORK/shot.png"
    if [ "$1" = row ]; then
        convert "$WORK/shot.png" -crop "${WIDTH}x1+0+$2" +repage txt:-
    else
        convert "$WORK/shot.png" -crop "1x${HEIGHT}+$1+0" +repage txt:-
    fi | awk -F'[ ,:]+' -v axis="$1" '
        NR == 1 { next }
        { i = (axis == "row") ? $1 : $2; w = ($0 ~ /white|#FFFFFF/) }
        w && start < 0 { start = i }
        !w && start >= 0 { if (i - start >= 40) print start, i - 1; start = -1 }
        BEGIN { start = -1 }
        END { if (start >= 0 && i - start >= 40) print start, i }'
}
# Drags with the left button from ($1, $2) to ($3, $4), main-window
# coordinates, in small steps as a hand would.
drag() {
    xdotool mousemove --window "$WID" "$1" "$2" mousedown 1
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --window "$WID" $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8))
        sleep 0.05
    done
    xdotool mouseup 1
    sleep 0.3
}

# Finestra > Nuova finestra, then Finestra > Affianca: the new window above,
# the first below, both the whole width.
choose_window_menu n
sleep 1
choose_window_menu a
sleep 1
read -r -a RUNS <<<"$(white_runs 40 | tr '\n' ' ')"
[ "${#RUNS[@]}" -eq 4 ] || fail "after Affianca, not two windows one above the other: ${RUNS[*]}"
read -r CX0 CX1 <<<"$(white_runs row $((RUNS[0] + 2)) | head -1)"

# Side by side instead: the upper window (the new one, active) takes the
# left half by its lower right corner; the lower one goes up by its title
# bar and takes the right half by its left and lower edges.
HALF=$((WIDTH / 2))
QUARTER=$((WIDTH * 3 / 4))
drag $((CX1 + 2)) $((RUNS[1] + 2)) "$HALF" $((RUNS[3] + 2))
drag "$QUARTER" $((RUNS[2] - 10)) "$QUARTER" $((RUNS[0] - 10))
drag $((CX0 - 2)) $(((RUNS[0] + RUNS[1]) / 2)) $((HALF + 2)) $(((RUNS[0] + RUNS[1]) / 2))
drag "$QUARTER" $((RUNS[1] + 2)) "$QUARTER" $((RUNS[3] + 2))
sleep 0.5

# "left top side" of the plot's black square in the columns $1 to $2 of the
# main window.
plot_in() {
    import -window "$WID" "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "$(($2 - $1))x${HEIGHT}+$1+0" +repage \
        -fill white +opaque black -compress none pbm:- |
        awk -f "$TOP/tests/shell/find_plot.awk" | awk -v x0="$1" '{ print $1 + x0, $2, $3 }'
}
read -r -a LEFTPLOT <<<"$(plot_in 0 "$HALF")"
read -r -a RIGHTPLOT <<<"$(plot_in "$HALF" "$WIDTH")"
if [ "${#LEFTPLOT[@]}" -ne 3 ] || [ "${#RIGHTPLOT[@]}" -ne 3 ] || [ "${LEFTPLOT[2]}" -lt 200 ] ||
    [ "${RIGHTPLOT[2]}" -lt 200 ]; then
    fail "no two graphs side by side: '${LEFTPLOT[*]}' and '${RIGHTPLOT[*]}'"
fi
echo "plots: ${LEFTPLOT[*]} / ${RIGHTPLOT[*]}"

# World (x, y) to the pixel of a plot "left top side" with the graph's
# window, -2π to 2π by -3 to 3.
pixel() {
    awk -v l="$1" -v t="$2" -v s="$3" -v x="$4" -v y="$5" 'BEGIN {
        pi = 3.141592653589793
        printf "%d %d\n", l + (x + 2 * pi) * s / (4 * pi), t + (3 - y) * s / 6 }'
}
# The right window zooms to 0.4 .. 3.4 by -1.5 .. 1.5 with a dragged
# rectangle.
read -r PL PT PS <<<"${RIGHTPLOT[*]}"
read -r X1 Y1 <<<"$(pixel "$PL" "$PT" "$PS" 0.4 1.5)"
read -r X2 Y2 <<<"$(pixel "$PL" "$PT" "$PS" 3.4 -1.5)"
drag "$X1" "$Y1" "$X2" "$Y2"
sleep 1
# The pointer on the sine in the left window, for the read-out.
read -r PL PT PS <<<"${LEFTPLOT[*]}"
read -r X1 Y1 <<<"$(pixel "$PL" "$PT" "$PS" 1.5708 1)"
xdotool mousemove --window "$WID" "$X1" "$Y1"
sleep 0.5
xdotool mousemove --window "$WID" "$((X1 + 1))" "$Y1"
sleep 1

import -window "$WID" "$WORK/shot.png"
mkdir -p "$(dirname "$OUT")"
convert "$WORK/shot.png" -strip -dither None -colors 48 PNG8:"$OUT"
echo "$OUT: $(stat -c %s "$OUT") bytes"
