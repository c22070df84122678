#!/usr/bin/env bash
# The real program under Xvfb on screens scaled to 100%, 150% and 200% (by
# QT_SCALE_FACTOR, and once by Xft.dpi alone): a graph of a smooth and a
# steep curve keeps its curves unbroken and its frame one logical pixel
# thick, and the About box's letters grow with the screen.
# Usage: e2e_scale.sh path/to/tracelo path/to/scale_shot_check
set -euo pipefail

TRACELO=$(realpath "$1")
CHECK=$(realpath "$2")
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../../scripts/xvfb-session.sh"
start_xvfb 1600x1200x24
export XDG_CONFIG_HOME="$WORK/config"
export LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8
export LSAN_OPTIONS="suppressions=$HERE/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING
cd "$WORK"

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${SHOT_DIR:-}" ]; then import -window root "$SHOT_DIR/e2e-scale-failure.png" || true; fi
    exit 1
}

# The window 1 to 3 on both axes, so that no axis crosses the plot: a smooth
# red curve in one piece and a green one in two pieces, steep beside its pole
# at X = 2. Doubles, divisions, grid, count, then text and colour a function.
perl -e 'print pack("d<4 l<3", 1, 3, 1, 3, 500, 1, 2);
         for (["SQRT(X)/4+1.2", 0x0000FF], ["0.05/(X-2)^2+2.2", 0x008000]) {
             print pack("C", length $$_[0]), $$_[0], pack("L<", $$_[1]) }' >curves.grf

SHOT=$WORK/shot.png
plot_found() {
    import -window "$1" "$SHOT"
    read -r SIDE THICK RED GREEN <<<"$("$CHECK" plot "$SHOT" || echo none)"
    [ "$SIDE" != none ] && [ "$RED" -ge 1 ] && [ "$GREEN" -ge 2 ]
}

# The median letter height of the About box at this scale.
about_letters() {
    xdotool key --clearmodifiers alt+question
    sleep 0.3
    xdotool key Return
    local id
    id=$(wait_window 'Informazioni su Tracelo') || fail "no About box at $1"
    sleep 0.5
    import -window "$id" "$WORK/about.png"
    "$CHECK" glyphs "$WORK/about.png"
    xdotool key Escape
}

# Runs the program with the environment "$@" and checks what it shows.
BASE_LETTERS=
check_scale() {
    local label=$1 thickness=$2 ratio=$3
    shift 3
    env "$@" "$TRACELO" curves.grf &
    PID=$!
    local wid
    wid=$(wait_window 'Tracelo - curves.grf') || fail "no main window at $label"
    xdotool windowfocus --sync "$wid" 2>/dev/null || true
    poll plot_found "$wid" || fail "at $label the curves are broken or missing: side ${SIDE:-?}, red ${RED:-?} pieces, green ${GREEN:-?}"
    [ -n "${SHOT_DIR:-}" ] && cp "$SHOT" "$SHOT_DIR/e2e-scale-$label.png"
    echo "$label: plot side $SIDE, frame $THICK px, red $RED piece(s), green $GREEN"
    [ "$RED" -eq 1 ] || fail "at $label the smooth curve is in $RED pieces"
    [ "$GREEN" -eq 2 ] || fail "at $label the steep curve is in $GREEN pieces, not 2"
    [ "$THICK" -eq "$thickness" ] || fail "at $label the frame is $THICK device pixels thick, not $thickness"
    local letters
    letters=$(about_letters "$label")
    echo "$label: letters $letters px high"
    if [ -z "$BASE_LETTERS" ]; then
        BASE_LETTERS=$letters
    else
        # About r times as tall as at 1x.
        awk -v n="$letters" -v b="$BASE_LETTERS" -v r="$ratio" \
            'BEGIN { exit !(n >= 0.75 * r * b && n <= 1.35 * r * b) }' ||
            fail "at $label the About box's letters are $letters px high, $BASE_LETTERS at 1x"
    fi
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
}

check_scale 1x 1 1 QT_SCALE_FACTOR=1
check_scale 1.5x 2 1.5 QT_SCALE_FACTOR=1.5
check_scale 2x 2 2 QT_SCALE_FACTOR=2
echo 'Xft.dpi: 192' | xrdb -merge
check_scale xft192 2 2 QT_ENABLE_HIGHDPI_SCALING=1
echo "PASS"
