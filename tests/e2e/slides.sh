#!/bin/bash
# The real game under Xvfb: real arrow keys slide the view over the six
# screens; a screenshot of each screen at rest must match its golden frame.
# The red marker follows a real mouse move. Escape ends the game with 0.
# Usage: slides.sh <game executable> <build folder>
set -u
game=$1
source "$(dirname "$0")/lib.bash"
run_under_xvfb "$0" "$@"
: "${PNG_DIFF:?}" "${GOLDEN_DIR:?}"

start_game "$game"
# The marker hides behind the frame picture at the window's corner.
xdotool mousemove --window "$win" 0 0


# Waits until two screenshots a moment apart are the same picture, then
# compares it with the golden frame.
check_screen() {
    local name=$1 previous="" shot
    for i in $(seq 1 40); do
        sleep 0.25
        shot="$work/$name.$i.png"
        capture "$shot" || continue
        if [ -n "$previous" ] && [ "$("$PNG_DIFF" "$previous" "$shot")" = "0" ]; then
            differ=$("$PNG_DIFF" "$GOLDEN_DIR/$name.png" "$shot") || fail "$name: cannot compare"
            [ "$differ" = "0" ] || { cp "$shot" "/tmp/e2e-$name.png"; fail "$name: $differ pixels differ from the golden frame (screenshot in /tmp/e2e-$name.png)"; }
            echo "$name: identical to the golden frame"
            return 0
        fi
        previous=$shot
    done
    fail "$name: the picture never came to rest"
}

check_screen screen_0_0
for step in "Right screen_1_0" "Right screen_2_0" "Down screen_2_1" "Left screen_1_1" "Left screen_0_1"; do
    set -- $step
    # A press a human would make: the scene polls keys once a frame, so the
    # key must still be down when the next frame looks.
    xdotool keydown "$1"
    sleep 0.15
    xdotool keyup "$1"
    check_screen "$2"
done

# The marker: a 10 x 10 square, black outline and red inside, at the mouse.
xdotool mousemove --window "$win" 400 300
sleep 0.5
capture "$work/mouse.png" || fail "no screenshot"
inside=$(convert "$work/mouse.png" -format '%[hex:p{405,305}]' info:)
outline=$(convert "$work/mouse.png" -format '%[hex:p{400,300}]' info:)
[ "${inside:0:6}" = "FF0000" ] || fail "marker inside is $inside"
[ "${outline:0:6}" = "000000" ] || fail "marker outline is $outline"

xdotool key Escape
wait_for_exit "$pid" 20 || fail "the game did not end after Escape"
[ "$exit_code" -eq 0 ] || fail "the game exited with $exit_code"
echo "slides: ok"
