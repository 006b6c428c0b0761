#!/usr/bin/env bash
# The examples draw the same frames on a 32-bit desktop as on a 16-bit one:
# each runs headless on both (EL_DISPLAY=565 and 32) and every presented
# frame, reduced to 5:6:5, must be equal. The frame logs of the headless
# mode (EL_FRAME_LOG) hold one hash per present.
#   same_on_32bit_desktop.sh EXAMPLES_FOLDER
set -u
examples=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$examples" || exit 1
export EL_HEADLESS=1 SDL_AUDIODRIVER=dummy
failed=0

# same NAME PROGRAM ARGUMENTS...
same() {
    local name=$1
    shift
    for display in 565 32; do
        EL_DISPLAY=$display EL_FRAME_LOG="$work/$name.$display" "$@" > /dev/null 2> "$work/$name.$display.err" ||
            { echo "FAIL: $name on $display bits exited with $?"; cat "$work/$name.$display.err"; failed=1; return; }
    done
    local frames
    frames=$(wc -l < "$work/$name.565")
    if [ "$frames" -lt 10 ]; then
        echo "FAIL: $name presented only $frames frames"
        failed=1
    elif ! cmp -s "$work/$name.565" "$work/$name.32"; then
        echo "FAIL: $name differs on a 32-bit desktop from the first differing present on:"
        diff "$work/$name.565" "$work/$name.32" | head -4
        failed=1
    else
        echo "ok: $name, $frames frames the same"
    fi
}

# The gallery shows each of its screens for ten frames, random numbers fixed.
same effects_gallery ./effects_gallery --headless --frames 180 --cycle 10 --seed 7
same message_window_sprite ./message_window --frames 200 sprite
same message_window_smooth ./message_window --frames 200 smooth
same draw_demo ./draw_demo 1
exit $failed
