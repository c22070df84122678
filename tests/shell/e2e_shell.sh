#!/usr/bin/env bash
# The real program under Xvfb, driven with xdotool as a person would: start,
# look at the graph, save it, right-click it and choose from the context
# menu, open two more graphs and cascade and tile them, close with the save
# prompt answered from the keyboard; then a file that cannot be opened, and
# /Unregister. Every wait polls with a deadline: a loaded machine is slow.
# Usage: e2e_shell.sh path/to/tracelo
set -euo pipefail

TRACELO=$(realpath "$1")
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../../scripts/xvfb-session.sh"
start_xvfb 1280x1024x24
export XDG_CONFIG_HOME="$WORK/config"
export LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8
# A sanitizer build reports leaks at exit; those of the system's libraries
# are not ours.
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset QT_QPA_PLATFORM # our X server
SETTINGS="$XDG_CONFIG_HOME/Local AppWizard-Generated Applications/Tracelo.conf"
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${SHOT_DIR:-}" ]; then import -window root "$SHOT_DIR/e2e-failure.png" || true; fi
    exit 1
}
step() { echo "--- $*"; }

wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# "left top side xaxis yaxis" of the plot's black square in window $1.
find_plot() {
    import -window "$1" "$WORK/shot.png"
    convert "$WORK/shot.png" -fill white +opaque black -compress none pbm:- |
        awk -f "$HERE/find_plot.awk"
}

# Black pixels in the rectangle $2 (WxH+X+Y) of window $1.
count_black() {
    import -window "$1" "$WORK/count.png"
    convert "$WORK/count.png" -crop "$2" -fill white +opaque black -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

near() { [ $(($1 - $2)) -le 2 ] && [ $(($2 - $1)) -le 2 ]; }

# White pixels in the rectangle $2 (WxH+X+Y) of window $1.
count_white() {
    import -window "$1" "$WORK/white.png"
    convert "$WORK/white.png" -crop "$2" -fill black +opaque white \
        -format '%[fx:round(mean*w*h)]' info:
}

plot_found() {
    read -r LEFT TOP SIDE YAXIS XAXIS <<<"$(find_plot "$1")"
    [ "$LEFT" != none ] && [ "$SIDE" -ge 100 ]
}
more_black_than() { [ "$(count_black "$1" "$2")" -gt "$3" ]; }
white_at_least() { [ "$(count_white "$1" "$2")" -ge "$3" ]; }
white_at_most() { [ "$(count_white "$1" "$2")" -le "$3" ]; }

# --- A new graph: the window, the square, the axes
step "start"
"$TRACELO" &
PID=$!
WID=$(wait_window 'Tracelo - Tracel1') || fail "no main window titled 'Tracelo - Tracel1'"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
poll plot_found "$WID" || fail "no square plot frame of at least 100 pixels on the screen"
near "$YAXIS" $((TOP + SIDE / 2)) || fail "X axis at row $YAXIS, expected the middle of $TOP+$SIDE"
near "$XAXIS" $((LEFT + SIDE / 2)) || fail "Y axis at column $XAXIS, expected the middle of $LEFT+$SIDE"
echo "plot square $SIDE at $LEFT,$TOP; axes at row $YAXIS, column $XAXIS"
eval "$(xdotool getwindowgeometry --shell "$WID")"
WX=$X
WY=$Y

# --- Save: a new graph goes through "Salva con nome"
step "save"
xdotool mousemove $((WX + LEFT + SIDE / 2)) $((WY + TOP + SIDE / 3))
xdotool key --clearmodifiers ctrl+s
SAVE=$(wait_window 'Salva con nome') || fail "Ctrl+S opened no 'Salva con nome' dialog"
xdotool windowfocus --sync "$SAVE" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 20 "$WORK/grafico"
xdotool key Return
wait_window 'Tracelo - grafico' >/dev/null || fail "the graph did not take its file's name"
[ "$(stat -c %s grafico)" = 44 ] || fail "a new graph is 44 bytes, got $(stat -c %s grafico)"

# --- The context menu at the pointer; "Nuova Funzione"
step "context menu"
PLOT="$((SIDE - 3))x$((SIDE - 3))+$((LEFT + 2))+$((TOP + 2))"
BLACK_BEFORE=$(count_black "$WID" "$PLOT")
BEFORE=$(windows_open)
xdotool mousemove $((WX + LEFT + SIDE / 4)) $((WY + TOP + SIDE / 4)) click 3
poll more_windows_than "$BEFORE" || fail "a right click on the graph opened no menu"
xdotool key Down Down Return
MODIFIED=0
if DLG=$(wait_window 'Proprietà della Funzione...'); then
    xdotool windowfocus --sync "$DLG" 2>/dev/null || true
    xdotool type --delay 20 'SIN(X)'
    xdotool key Return
    MODIFIED=1
    wait_window 'Tracelo - grafico' >/dev/null || fail "the function dialog did not close"
    poll more_black_than "$WID" "$PLOT" $((BLACK_BEFORE + SIDE / 2)) ||
        fail "no curve drawn: $BLACK_BEFORE black pixels before, $(count_black "$WID" "$PLOT") after"
else
    echo "(no function dialog: adding functions is not part of this build yet)"
fi
poll windows_exactly "$BEFORE" || fail "a menu or dialog is still open"

# --- Two more graphs, cascaded and tiled: every window keeps its graph
step "window arrangement"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key --clearmodifiers ctrl+n
wait_window 'Tracelo - Tracel2' >/dev/null || fail "Ctrl+N opened no Tracel2"
xdotool key --clearmodifiers ctrl+n
wait_window 'Tracelo - Tracel3' >/dev/null || fail "Ctrl+N opened no Tracel3"
eval "$(xdotool getwindowgeometry --shell "$WID")"
# A strip along the bottom left of the window area, clear of the status bar,
# and a column at the right: what the arrangement covers there tells it.
CORNER="$((WIDTH / 8))x$((HEIGHT / 12))+4+$((HEIGHT - 40 - HEIGHT / 12))"
RIGHT="$((WIDTH / 12))x$((HEIGHT / 2))+$((WIDTH - 8 - WIDTH / 12))+$((HEIGHT / 4))"
# Window menu, "Sovrapponi": the staggered windows leave the bottom left
# and the right free, and the one in front shows its whole graph.
choose_window_menu s
poll white_at_most "$WID" "$CORNER" 0 || fail "Sovrapponi left a window over the bottom left"
poll plot_found "$WID" || fail "after Sovrapponi no graph of at least 100 pixels is visible"
CASCADE_SIDE=$SIDE
[ "$(count_white "$WID" "${WIDTH}x${HEIGHT}+0+0")" -gt 100000 ] ||
    fail "after Sovrapponi the graph windows show almost no plot area"
[ -n "${SHOT_DIR:-}" ] && import -window root "$SHOT_DIR/e2e-cascade.png"
# "Affianca": three windows one above the other over the whole width.
choose_window_menu a
poll white_at_least "$WID" "$CORNER" $((WIDTH / 8 * HEIGHT / 12 * 8 / 10)) ||
    fail "Affianca left the bottom left of the area uncovered"
poll white_at_least "$WID" "$RIGHT" $((WIDTH / 12 * HEIGHT / 2 * 6 / 10)) ||
    fail "Affianca did not give the windows the whole width"
plot_found "$WID" || fail "after Affianca no graph of at least 100 pixels is visible"
[ "$SIDE" -lt "$CASCADE_SIDE" ] || fail "three tiled windows are as tall as cascaded ones"
[ -n "${SHOT_DIR:-}" ] && import -window root "$SHOT_DIR/e2e-tile.png"
echo "cascade: graph $CASCADE_SIDE pixels; tile: $SIDE pixels"

# --- Exit, answering the save prompt
step "exit"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
BEFORE=$(windows_open)
xdotool key --clearmodifiers alt+f
poll more_windows_than "$BEFORE" || fail "Alt+F opened no File menu"
xdotool key e
if [ "$MODIFIED" = 1 ]; then
    BOX=$(wait_window 'Tracelo') || fail "no save prompt for the modified graph"
    # Centred over the main window.
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    MAIN_CX=$((X + WIDTH / 2)) MAIN_CY=$((Y + HEIGHT / 2))
    eval "$(xdotool getwindowgeometry --shell "$BOX")"
    near $((X + WIDTH / 2)) "$MAIN_CX" && near $((Y + HEIGHT / 2)) "$MAIN_CY" ||
        fail "the save prompt is not centred over the main window"
    xdotool windowfocus --sync "$BOX" 2>/dev/null || true
    xdotool key s # "&Sì": the graph has its file, so it is saved there
fi
wait_exit "$PID" || fail "the program did not end"
wait "$PID" || fail "the program ended with status $?"
PID=
if [ "$MODIFIED" = 1 ]; then
    [ "$(stat -c %s grafico)" = 55 ] || fail "the saved graph with SIN(X) is 55 bytes"
fi
grep -q "File1=$WORK/grafico" "$SETTINGS" || fail "the recent-file list was not written"

# --- A file that cannot be opened: its message, then the end
step "refused file"
# A graph of one function cut inside the function's record.
printf '\0\0\0\0\0\0\0\300\0\0\0\0\0\0\0\100\0\0\0\0\0\0\0\300\0\0\0\0\0\0\0\100' >cut
printf '\364\1\0\0\1\0\0\0\1\0\0\0\6SI' >>cut
[ "$(stat -c %s cut)" = 47 ] || fail "the cut file is not as meant"
"$TRACELO" cut &
PID=$!
BOX=$(wait_window 'Tracelo') || fail "no message for a cut file"
xdotool windowfocus --sync "$BOX" 2>/dev/null || true
xdotool key Return
wait_exit "$PID" || fail "the program did not end after the message"
STATUS=0
wait "$PID" || STATUS=$?
PID=
[ "$STATUS" != 0 ] || fail "a refused file ends the program with a failure status"

# --- /Unregister: the settings go
step "unregister"
"$TRACELO" /Unregister &
PID=$!
BOX=$(wait_window 'Tracelo') || fail "no message for /Unregister"
xdotool windowfocus --sync "$BOX" 2>/dev/null || true
xdotool key Return
wait_exit "$PID" || fail "the program did not end after /Unregister"
wait "$PID" || true
PID=
[ ! -e "$SETTINGS" ] || fail "the settings are still there after /Unregister"

echo "e2e: all steps passed"
