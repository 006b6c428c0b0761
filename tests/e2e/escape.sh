#!/bin/bash
# Starts the real game on a virtual display, presses Escape with a real key
# event and expects one shutdown and exit code 0. A second copy started while
# the first runs must leave at once with exit code 0 and no window.
# Usage: escape.sh <game executable> <build folder>
set -u
game=$1
source "$(dirname "$0")/lib.bash"
run_under_xvfb "$0" "$@"

work=$(mktemp -d)
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
export EL_TRACE=1 XDG_RUNTIME_DIR="$work"
"$game" 2> "$work/first.err" &
pid=$!
win=$(wait_for_window "$pid") || fail "no window appeared"
title=$(xdotool getwindowname "$win")
[ "$title" = "ﾀｲﾙｽﾞ" ] || fail "window title is '$title'"
geometry=$(xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
[ "$geometry" = "800x600" ] || fail "client area is $geometry"

# A second copy finds the first and leaves without a window.
timeout 20 "$game" 2> "$work/second.err"
code=$?
[ $code -eq 0 ] || fail "second copy exited with $code"
grep -q "startup" "$work/second.err" && fail "second copy started up"

xdotool windowfocus --sync "$win"
xdotool key Escape
wait_for_exit "$pid" 20 || fail "the game did not end after Escape"
code=$exit_code
[ $code -eq 0 ] || fail "the game exited with $code"
shutdowns=$(grep -c "^trace: shutdown" "$work/first.err")
[ "$shutdowns" -eq 1 ] || fail "$shutdowns shutdowns"
grep -q "trace: foreground request" "$work/first.err" || fail "first copy was not asked to the front"
echo "escape: ok"
