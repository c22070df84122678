#!/usr/bin/env bash
# The real program under Xvfb, driven with xdotool as a person would: start,
# look at the graph, save it, right-click it and choose from the context
# menu, close with the save prompt answered; then a file that cannot be
# opened, and /Unregister.
# Usage: e2e_shell.sh path/to/tracelo
set -euo pipefail

TRACELO=$(realpath "$1")
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
PID=
XVFB=
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill "$PID" 2>/dev/null || true; fi
    if [ -n "$XVFB" ]; then kill "$XVFB" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

# An X server of our own on the first free display: other runs may have
# theirs at the same time.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB=$!
for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
done
[ -s "$WORK/display" ] || { cat "$WORK/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$WORK/display")"
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

# Prints the id of the visible window whose name is exactly $1, waiting up
# to 10 seconds for it.
wait_window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}

wait_exit() {
    for _ in $(seq 100); do
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

# --- A new graph: the window, the square, the axes
step "start"
"$TRACELO" &
PID=$!
WID=$(wait_window 'Tracelo - Tracel1') || fail "no main window titled 'Tracelo - Tracel1'"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
sleep 1
read -r LEFT TOP SIDE YAXIS XAXIS <<<"$(find_plot "$WID")"
[ "$LEFT" != none ] || fail "no square plot frame on the screen"
[ "$SIDE" -ge 100 ] || fail "plot square too small: $SIDE"
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
BEFORE=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | wc -l)
xdotool mousemove $((WX + LEFT + SIDE / 4)) $((WY + TOP + SIDE / 4)) click 3
sleep 0.7
AFTER=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | wc -l)
[ "$AFTER" -gt "$BEFORE" ] || fail "a right click on the graph opened no menu"
xdotool key Down Down Return
MODIFIED=0
if DLG=$(wait_window 'Proprietà della Funzione...'); then
    xdotool windowfocus --sync "$DLG" 2>/dev/null || true
    xdotool type --delay 20 'SIN(X)'
    xdotool key Return
    MODIFIED=1
    wait_window 'Tracelo - grafico' >/dev/null || fail "the function dialog did not close"
    sleep 0.5
    BLACK_AFTER=$(count_black "$WID" "$PLOT")
    [ "$BLACK_AFTER" -gt $((BLACK_BEFORE + SIDE / 2)) ] ||
        fail "no curve drawn: $BLACK_BEFORE black pixels before, $BLACK_AFTER after"
else
    echo "(no function dialog: adding functions is not part of this build yet)"
fi
sleep 0.5
[ "$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | wc -l)" -eq "$BEFORE" ] ||
    fail "a menu or dialog is still open"

# --- Exit, answering the save prompt
step "exit"
xdotool windowfocus --sync "$WID" 2>/dev/null || true
xdotool key --clearmodifiers alt+f
sleep 0.3
xdotool key e
if [ "$MODIFIED" = 1 ]; then
    BOX=$(wait_window 'Tracelo') || fail "no save prompt for the modified graph"
    xdotool windowfocus --sync "$BOX" 2>/dev/null || true
    xdotool key Return # "Sì": the graph has its file, so it is saved there
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
