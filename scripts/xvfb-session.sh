# Sourced by the scripts that drive the real program under an X server of
# their own: a work folder and the clean-up of the program ($PID) and the
# server, the server on the first free display, and the waits. Every wait
# polls with a deadline: a loaded machine is slow.

WORK=$(mktemp -d)
PID=
XVFB=
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill "$PID" 2>/dev/null || true; fi
    if [ -n "$XVFB" ]; then kill "$XVFB" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

# Starts Xvfb with a screen of $1 (WxHxDEPTH) and exports DISPLAY. Other runs
# may have their servers at the same time. Without -noreset the server resets
# whenever its last client leaves, and a program starting in that moment
# cannot connect.
start_xvfb() {
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$WORK/display" \
        2>"$WORK/xvfb.log" &
    XVFB=$!
    for _ in $(seq 300); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || { cat "$WORK/xvfb.log" >&2; echo "FAIL: Xvfb did not start" >&2; exit 1; }
    DISPLAY=":$(head -1 "$WORK/display")"
    export DISPLAY
}

# Runs "$@" until it succeeds, for up to 20 seconds.
poll() {
    for _ in $(seq 200); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Prints the id of the visible window whose name is exactly $1, waiting up
# to 20 seconds for it.
wait_window() {
    local id
    for _ in $(seq 200); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}

# Visible windows of the program.
windows_open() { xdotool search --onlyvisible --pid "$PID" 2>/dev/null | wc -l; }
more_windows_than() { [ "$(windows_open)" -gt "$1" ]; }
windows_exactly() { [ "$(windows_open)" -eq "$1" ]; }

# Opens the Finestra menu with Alt+N and chooses the item of mnemonic $1
# (the caller's fail reports a menu that does not open or close).
choose_window_menu() {
    local before
    before=$(windows_open)
    xdotool key --clearmodifiers alt+n
    poll more_windows_than "$before" || fail "Alt+N opened no Finestra menu"
    xdotool key "$1"
    poll windows_exactly "$before" || fail "the Finestra menu did not close"
}
