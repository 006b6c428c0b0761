#!/bin/bash
# The real game's window enlarged under Xvfb: at 1600 x 1200 it shows the
# same picture at twice the size (each pixel a 2 x 2 block; reduced back, the
# golden frame), the mouse at window (800, 600) puts the red marker at
# picture (400, 300), and Alt+Enter covers the screen with the picture
# enlarged and then gives the window back at its size; EL_SCALE=3 opens the
# window at three times the picture. There is no window
# manager: xdotool sizes the window itself. The screen is 2400 x 1800, so the
# window, which opens in its middle, stays on it at 1600 x 1200, and the
# whole screen holds the picture three times enlarged.
# Usage: scale.sh <game executable> <build folder>
set -u
game=$1
source "$(dirname "$0")/lib.bash"
export E2E_SCREEN=${E2E_SCREEN:-2400x1800x24}
run_under_xvfb "$0" "$@"
: "${PNG_DIFF:?}" "${GOLDEN_DIR:?}"

start_game "$game"

geometry() {
    xdotool getwindowgeometry --shell "$win" | awk -F= '/WIDTH|HEIGHT/ {printf "%s%s", sep, $2; sep="x"}'
}

# Waits for a picture that stays the same and is a whole enlargement of the
# golden frame: the region (WxH+X+Y) of the window, every pixel a block of
# `times` x `times`, reduced back to 5:6:5 equal to the golden frame.
check_enlarged() {
    local what=$1 region=$2 times=$3 previous="" shot
    for i in $(seq 1 40); do
        sleep 0.25
        shot="$work/$what.$i.png"
        capture "$shot" || continue
        if [ -n "$previous" ] && [ "$("$PNG_DIFF" "$previous" "$shot")" = "0" ]; then
            local size=${region%%+*}
            local width=${size%x*} height=${size#*x}
            convert "$shot" -crop "$region" +repage -sample "$((width / times))x$((height / times))!" "$work/reduced.png"
            convert "$work/reduced.png" -sample "${size}!" "$work/again.png"
            convert "$shot" -crop "$region" +repage "$work/region.png"
            [ "$("$PNG_DIFF" "$work/region.png" "$work/again.png")" = "0" ] ||
                { cp "$shot" "/tmp/e2e-$what.png"; fail "$what: not sharp $times x $times blocks (/tmp/e2e-$what.png)"; }
            differ=$("$PNG_DIFF" "$GOLDEN_DIR/screen_0_0.png" "$work/reduced.png") || fail "$what: cannot compare"
            [ "$differ" = "0" ] ||
                { cp "$shot" "/tmp/e2e-$what.png"; fail "$what: $differ pixels differ from the golden frame (/tmp/e2e-$what.png)"; }
            echo "$what: the golden frame at ${times}x"
            return 0
        fi
        previous=$shot
    done
    fail "$what: the picture never came to rest"
}

# The marker hides behind the frame picture at the window's corner.
xdotool mousemove --window "$win" 0 0
xdotool windowsize --sync "$win" 1600 1200
[ "$(geometry)" = "1600x1200" ] || fail "the window is $(geometry), not 1600x1200"
check_enlarged twice 1600x1200+0+0 2

# The marker: a 10 x 10 square, black outline and red inside, at the mouse,
# in picture pixels: window (800, 600) is picture (400, 300).
xdotool mousemove --window "$win" 800 600
sleep 0.5
capture "$work/mouse.png" || fail "no screenshot"
pixel() { convert "$work/mouse.png" -format "%[hex:p{$1,$2}]" info:; }
inside=$(pixel 810 610)
outline=$(pixel 801 601)
[ "${inside:0:6}" = "FF0000" ] || fail "marker inside is $inside"
[ "${outline:0:6}" = "000000" ] || fail "marker outline is $outline"
echo "mouse: window (800, 600) is picture (400, 300)"

# Alt+Enter: the whole screen, the picture at the largest whole multiple
# (3x on 2400 x 1800); then the window again at its size.
xdotool mousemove --window "$win" 0 0
xdotool key alt+Return
sleep 0.5
screen=$(xdotool getdisplaygeometry | tr ' ' 'x')
[ "$(geometry)" = "$screen" ] || fail "after Alt+Enter the window is $(geometry), not the screen's $screen"
check_enlarged full_screen 2400x1800+0+0 3
xdotool key alt+Return
sleep 0.5
[ "$(geometry)" = "1600x1200" ] || fail "after Alt+Enter twice the window is $(geometry), not 1600x1200"
check_enlarged back 1600x1200+0+0 2

xdotool key Escape
wait_for_exit "$pid" 20 || fail "the game did not end after Escape"
[ "$exit_code" -eq 0 ] || fail "the game exited with $exit_code"

# The player's initial scale: the window opens at three times the picture.
EL_SCALE=3 "$game" 2> "$work/game.err" &
pid=$!
win=$(wait_for_window "$pid") || fail "no window appeared at scale 3"
[ "$(geometry)" = "2400x1800" ] || fail "EL_SCALE=3 opened a window of $(geometry)"
xdotool mousemove --window "$win" 0 0
check_enlarged scale_3 2400x1800+0+0 3
xdotool windowfocus --sync "$win"
xdotool key Escape
wait_for_exit "$pid" 20 || fail "the game did not end after Escape"
echo "scale: ok"
