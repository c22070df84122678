#!/usr/bin/env bash
# Starting the real program where it may fail: without a display, with a
# file name that is not UTF-8, with a settings file that is a pipe, killed
# after opening a file (the recent-file list must be on disk), and printing
# with no printer (the error, then a failure status).
# Usage: e2e_startup.sh path/to/tracelo
set -euo pipefail

TRACELO=$(realpath "$1")
HERE=$(cd "$(dirname "$0")" && pwd)
GRAPH="$HERE/../data/sin-red.grf"
WORK=$(mktemp -d)
PID=
XVFB=
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill -9 "$PID" 2>/dev/null || true; fi
    if [ -n "$XVFB" ]; then kill "$XVFB" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() { echo "--- $*"; }

export XDG_CONFIG_HOME="$WORK/config"
export LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset QT_QPA_PLATFORM
SETTINGS="$XDG_CONFIG_HOME/Local AppWizard-Generated Applications/Tracelo.conf"
NO_DISPLAY="Tracelo: impossibile aprire lo schermo. Avviare il programma in una sessione grafica (variabile DISPLAY o WAYLAND_DISPLAY)."
cd "$WORK"

# --- No display: the program's own message and status 1, no abort
for display in "" ":4242"; do
    step "display '${display}'"
    status=0
    env -u WAYLAND_DISPLAY DISPLAY="$display" timeout 60 "$TRACELO" 2>"$WORK/err" || status=$?
    [ "$status" -eq 1 ] || fail "without a display the status is $status, expected 1"
    grep -qxF "$NO_DISPLAY" "$WORK/err" || fail "no Italian message on stderr: $(cat "$WORK/err")"
    if grep -q "Reinstalling" "$WORK/err"; then fail "Qt's own fatal message was shown"; fi
done

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB=$!
for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$WORK/display")"

# Waits up to 15 seconds for a visible window of process $1 whose name
# begins with $2; fails at once when one is named exactly $3 (a message box).
wait_named() {
    local id name
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null || true); do
            name=$(xdotool getwindowname "$id" 2>/dev/null || true)
            if [ -n "${3:-}" ] && [ "$name" = "$3" ]; then return 2; fi
            if [ "${name#"$2"}" != "$name" ]; then return 0; fi
        done
        sleep 0.1
    done
    return 1
}

stop() {
    kill -9 "$PID" 2>/dev/null || true
    wait "$PID" 2>/dev/null || true
    PID=
}

# --- A file name that is not UTF-8 opens the file of exactly those bytes
step "file name in Latin-1"
NAME=$(printf 'seno-\351t\351')
cp "$GRAPH" "$NAME"
"$TRACELO" "$NAME" &
PID=$!
rc=0
wait_named "$PID" "Tracelo - seno-" "Tracelo" || rc=$?
[ "$rc" -ne 2 ] || fail "the file named in Latin-1 was reported as an error"
[ "$rc" -eq 0 ] || fail "no graph window for the file named in Latin-1"
stop

# --- The recent-file list is on disk as soon as a file is opened
step "recent-file list after kill -9"
rm -f "$SETTINGS"
cp "$GRAPH" seno
"$TRACELO" seno &
PID=$!
wait_named "$PID" "Tracelo - seno" "Tracelo" || fail "no graph window for seno"
for _ in $(seq 50); do
    grep -qF "File1=$WORK/seno" "$SETTINGS" 2>/dev/null && break
    sleep 0.1
done
stop
grep -qF "File1=$WORK/seno" "$SETTINGS" || fail "the recent-file list was lost with the program"

# --- A settings file that is a pipe is ignored
step "settings file that is a pipe"
rm -f "$SETTINGS"
mkfifo "$SETTINGS"
"$TRACELO" &
PID=$!
wait_named "$PID" "Tracelo - Tracel1" || fail "the program did not start with a pipe as settings"
stop
[ -p "$SETTINGS" ] || fail "the pipe was replaced"

# --- /p with no printer: the printing error, then exit status 1
step "/p without a printer"
if lpstat -d 2>/dev/null | grep -q ':'; then
    echo "skipped: a default printer is installed"
else
    "$TRACELO" /p seno &
    PID=$!
    wait_named "$PID" "Tracelo" || fail "/p without a printer showed no message"
    BOX=$(xdotool search --onlyvisible --pid "$PID" 2>/dev/null | head -1)
    xdotool windowfocus --sync "$BOX" 2>/dev/null || true
    xdotool key Return
    status=0
    for _ in $(seq 100); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
    wait "$PID" || status=$?
    PID=
    [ "$status" -eq 1 ] || fail "/p that could not print ended with status $status, expected 1"
fi

echo "PASS"
