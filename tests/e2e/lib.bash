# Helpers shared by the end-to-end scripts.

# The real game links X11, D-Bus and the sound libraries, which keep
# allocations for the life of the process; leaks of the library's own code
# are looked for by the headless suites instead.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

# Runs the calling script again inside a virtual display, once; the screen
# is E2E_SCREEN (width x height x depth), 1024x768x24 unless set.
run_under_xvfb() {
    [ -n "${E2E_INSIDE_XVFB:-}" ] && return 0
    command -v xvfb-run > /dev/null || { echo "xvfb-run missing"; exit 77; }
    E2E_INSIDE_XVFB=1 exec xvfb-run -a -s "-screen 0 ${E2E_SCREEN:-1024x768x24}" "$@"
}

fail() {
    echo "FAIL: $*" >&2
    for f in "${work:-/nonexistent}"/*.err; do [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }; done
    exit 1
}

# Prints the id of the process's window once it is shown and stays the same
# for a moment: SDL may replace its first window by another one when the
# renderer needs a different visual.
wait_for_window() {
    local pid=$1 id previous=""
    for _ in $(seq 1 200); do
        kill -0 "$pid" 2> /dev/null || return 1
        id=$(xdotool search --onlyvisible --pid "$pid" 2> /dev/null | tail -n 1)
        if [ -n "$id" ] && xwininfo -id "$id" 2> /dev/null | grep -q "IsViewable"; then
            if [ "$id" = "$previous" ]; then echo "$id"; return 0; fi
            previous=$id
        fi
        sleep 0.3
    done
    return 1
}

# Starts the game from its own folder (it reads its map beside it) with a
# scratch folder in $work, removed at exit with the game; sets $pid and the
# focused window's id $win.
start_game() {
    work=$(mktemp -d)
    trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
    export XDG_RUNTIME_DIR="$work"
    cd "$(dirname "$1")"
    "$1" 2> "$work/game.err" &
    pid=$!
    win=$(wait_for_window "$pid") || fail "no window appeared"
    xdotool windowfocus --sync "$win"
}

# Waits for a background process to end; its exit code goes to $exit_code.
wait_for_exit() {
    local pid=$1 seconds=$2
    for _ in $(seq 1 $((seconds * 10))); do
        if ! kill -0 "$pid" 2> /dev/null; then
            wait "$pid"
            exit_code=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# The window's client area as a PNG. xwd reads the window's pixels directly;
# ImageMagick's own capture can wait for an expose event that never comes
# on a display without a window manager.
# Uses $win (the window id) and $work (a scratch folder) of the caller.
capture() {
    timeout 10 xwd -silent -id "$win" -out "$work/shot.xwd" && convert "$work/shot.xwd" "$1"
}
