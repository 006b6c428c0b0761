#!/bin/bash
# Runs the Windows build under Wine on a virtual 16-bit display:
#   1. the Windows test program (el_win_tests.exe), once with an audio device
#      (ALSA's null device) and once without one, where DirectSound cannot be
#      created and sound is unavailable;
#   2. the Windows game end to end: it starts and shows its window titled
#      "ﾀｲﾙｽﾞ" with an 800 x 600 client area, a second copy leaves at once,
#      real arrow keys (xdotool) slide the view through all six screens, a
#      screenshot of each screen is compared with the golden frame of that
#      screen made by the Linux build (tests/golden/screen_<column>_<row>.png),
#      the red marker follows the mouse; Esc ends it with exit code 0 after
#      one shutdown;
#   3. the game once more without an audio device: it starts, shows its
#      window and ends on Esc with exit code 0;
#   4. the effects gallery: the arrow keys step through its screens, each a
#      picture of its own, and Esc ends it with exit code 0;
#   5. the pack tool makes the pack example's packs (which step 6 runs
#      the example from), lists and checks them and refuses a damaged one;
#   6. every example program for a second, and the game that
#      tests/consumer/run.sh built outside the tree against the installed
#      library (<Windows build>/consumer) for 10 frames;
#   6. the message window example in both renderers, with and without shadow;
#   7. on a 24-bit X display, where Wine gives programs a 32-bit desktop: the
#      display tests of the test program (a 16-bit program gets a 16-bit
#      5:6:5 display there, and red is red), the game's six screens against
#      the golden frames, its window enlarged to a 1600 x 1200 client area
#      (the picture twice as large, equal to the golden frame once reduced;
#      the mouse in window pixels lands in picture pixels) and Alt+Enter
#      there and back, then the effects gallery's screens and the message
#      window against the same screens of the 16-bit display.
# The gallery and the message window run on a still clock (EL_STILL_CLOCK):
# their animations stay at their first moment, so both displays show the
# same pictures.
#
# Usage: tests/wine/run.sh <Windows build folder>
# Needs: wine (wine64), xvfb, xdotool, imagemagick, x11-utils, and the IPA
# fonts (fonts-ipafont-gothic, fonts-ipafont-mincho) for the text.
# Screenshots are left in $EL_WINE_SHOTS (default <Windows build>/wine-shots).
set -uo pipefail

build=$(realpath "${1:?usage: $0 <Windows build folder>}")
tests_exe=$build/tests/platform/windows/el_win_tests.exe
game_dir=$build/game
shots=${EL_WINE_SHOTS:-$build/wine-shots}
here=$(dirname "$(realpath "$0")")
golden=${EL_GOLDEN_DIR:-$here/../golden}

for tool in wine Xvfb xdotool import compare xwininfo xwd; do
    command -v $tool > /dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -f "$game_dir/tiles.exe" ] || { echo "FAIL: $game_dir/tiles.exe not built"; exit 1; }

work=$(mktemp -d /tmp/el-wine.XXXXXX)
mkdir -p "$shots"
game_pid=""
passed=0
failed=0

cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2> /dev/null
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2> /dev/null
    for p in "${xvfb_pids[@]}"; do kill "$p" 2> /dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() {
    echo "FAIL: $*"
    failed=$((failed + 1))
    for f in "$work"/*.err; do [ -s "$f" ] && { echo "--- $(basename "$f")"; tail -n 20 "$f"; }; done
}

# ---- Virtual displays. Wine runs on one of 16 bits per pixel: its DirectDraw
# then offers the 5:6:5 desktop the game is made for.
xvfb_pids=()
# Starts Xvfb with the given depth on a free display; prints the display.
start_display() {
    local depth=$1 size=${2:-1024x768} n pid
    for n in $(seq 90 130); do
        { [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; } && continue
        Xvfb :$n -screen 0 ${size}x$depth -nolisten tcp > "$work/xvfb$n.log" 2>&1 &
        pid=$!
        for _ in $(seq 1 50); do
            [ -e /tmp/.X11-unix/X$n ] && break
            sleep 0.1
        done
        if kill -0 $pid 2> /dev/null && [ -e /tmp/.X11-unix/X$n ]; then
            echo "$pid :$n"
            return 0
        fi
        kill $pid 2> /dev/null
    done
    return 1
}
read -r xvfb_pid display < <(start_display 16) || { echo "FAIL: no virtual display could be started"; exit 1; }
xvfb_pids+=("$xvfb_pid")
export DISPLAY=$display

# ---- A fresh Wine prefix. Mono and Gecko are not needed (and their install
# prompts would wait for a click nobody gives).
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH
start=$(date +%s)
timeout 300 wineboot -i > "$work/wineboot.err" 2>&1 || { echo "FAIL: wineboot"; cat "$work/wineboot.err"; exit 1; }
# Wine's default OpenGL renderer of DirectDraw presents nothing on Xvfb's
# 16-bit visual; its GDI renderer shows the primary surface as Windows does.
wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f > /dev/null 2>&1
# The library asks for the fonts "標準ゴシック" and "標準明朝", which a Japanese
# Windows maps to its own fonts through FontSubstitutes; Wine knows neither
# name and draws empty boxes. Map them to the IPA fonts, as such a system
# would. (A .reg file in UTF-16: command-line arguments would depend on the
# shell's locale.)
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n"標準ゴシック"="IPAGothic"\r\n"標準明朝"="IPAMincho"\r\n' |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$work/fonts.reg"
wine regedit /S "$work/fonts.reg" > /dev/null 2>&1
timeout 60 wineserver -w
echo "wine prefix ready in $(($(date +%s) - start)) s on display $display"

# ---- Audio: ALSA's null device gives DirectSound a device to open; a
# configuration without any device makes DirectSoundCreate fail.
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' > "$work/asound-null.conf"
printf '# no devices\n' > "$work/asound-none.conf"

# ---- 1. The Windows test program.
if [ -f "$tests_exe" ]; then
    mkdir -p "$work/tests"
    cd "$work/tests"
    if ALSA_CONFIG_PATH=$work/asound-null.conf EL_EXPECT_SOUND=1 EL_EXPECT_DEPTH=16 \
        timeout 600 wine "$tests_exe" > "$work/tests-sound.out" 2> "$work/tests-sound.err"; then
        ok "Windows tests with an audio device ($(grep -c '^\[       OK \]' "$work/tests-sound.out") passed)"
    else
        cat "$work/tests-sound.out"
        bad "Windows tests with an audio device"
    fi
    if ALSA_CONFIG_PATH=$work/asound-none.conf EL_EXPECT_SOUND=0 EL_EXPECT_DEPTH=16 \
        timeout 300 wine "$tests_exe" --gtest_filter='Sound*:*NoSound*' \
        > "$work/tests-nosound.out" 2> "$work/tests-nosound.err"; then
        ok "Windows sound tests without an audio device ($(grep -c '^\[       OK \]' "$work/tests-nosound.out") passed)"
    else
        cat "$work/tests-nosound.out"
        bad "Windows sound tests without an audio device"
    fi
else
    bad "$tests_exe not built"
fi

# ---- Helpers for the game runs.
title="ﾀｲﾙｽﾞ"

# Prints the X window of the game once it is mapped. xdotool's name search
# does not match these characters, so every named window is compared.
find_game_window() {
    local w
    for _ in $(seq 1 300); do
        for w in $(xdotool search --onlyvisible --name . 2> /dev/null); do
            if [ "$(xdotool getwindowname "$w" 2> /dev/null)" = "$title" ]; then
                echo "$w"
                return 0
            fi
        done
        [ -n "$game_pid" ] && ! kill -0 "$game_pid" 2> /dev/null && return 1
        sleep 0.1
    done
    return 1
}

# Waits up to $2 seconds for process $1 to end; its code goes to $exit_code.
wait_exit() {
    for _ in $(seq 1 $(($2 * 10))); do
        if ! kill -0 "$1" 2> /dev/null; then
            wait "$1"
            exit_code=$?
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Takes screenshots of window $1 into $2 until two in a row agree and the
# picture is not all black (the view has come to rest). Each capture is
# bounded in time and tried again: import holds the X server while it works,
# and a capture that never returned would stop the whole display.
steady_shot() {
    local w=$1 out=$2 prev="$work/prev.png"
    rm -f "$prev"
    for _ in $(seq 1 40); do
        sleep 0.4
        timeout 10 import -window "$w" "$out" 2> /dev/null || continue
        if [ -f "$prev" ] && [ "$(compare -metric AE "$out" "$prev" null: 2>&1)" = "0" ] &&
            [ "$(convert "$out" -format '%[max]' info:)" != "0" ]; then
            return 0
        fi
        cp "$out" "$prev"
    done
    return 1
}

# Presses Escape in window $2 until process $1 ends (a key pressed while Wine
# is still taking the focus can be lost; one more press is what a person
# would do). $exit_code holds the exit code; non-zero when it never ended.
escape_until_exit() {
    local attempt
    for attempt in 1 2 3; do
        timeout 10 xdotool windowfocus --sync "$2" 2> /dev/null
        xdotool key Escape
        wait_exit "$1" 10 && return 0
    done
    return 1
}

press() {
    xdotool keydown "$1"
    sleep 0.15
    xdotool keyup "$1"
}

# The read-outs "kyori_x=..." and "kyori_y=..." are printed at (200, 200) and
# (300, 200) with the system's font, which differs between the platforms;
# pixels there are left out of the comparison.
readout_mask="rectangle 190,190 520,230"

# Screenshots of the 16-bit display and the golden frames widen the same
# 5:6:5 pixel values to more bits per channel by different rules; both keep
# the value's bits at the top, so comparing the top 5, 6 and 5 bits of each
# channel compares the pixel values the game drew (kept as 16-bit channels,
# so that no rounding to 8 bits disturbs them).
as565() {
    convert "$1" -fill black -draw "$readout_mask" -channel RB -evaluate and 63488 \
        -channel G -evaluate and 64512 +channel -depth 16 "$2"
}

# The pixels of two screenshots that differ outside the read-outs.
differing_pixels() {
    as565 "$1" "$work/a.png"
    as565 "$2" "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1
}

# The pixels that differ inside the read-outs (reported, not judged).
readout_pixels() {
    convert "$1" -crop 331x41+190+190 +repage -channel RB -evaluate and 63488 \
        -channel G -evaluate and 64512 +channel -depth 16 "$work/a.png"
    convert "$2" -crop 331x41+190+190 +repage -channel RB -evaluate and 63488 \
        -channel G -evaluate and 64512 +channel -depth 16 "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1
}

# Runs the game through the six screens; screenshots go to
# $shots/<prefix>-screen_<column>_<row>.png. Returns non-zero on failure.
keys=(Right Right Down Left Left)
positions=(0_0 1_0 2_0 2_1 1_1 0_1)
park="1020 760"  # where the pointer waits, off the window
drive_game() {
    local prefix=$1 w i
    w=$(find_game_window) || { bad "$prefix: no window titled $title appeared"; return 1; }
    xdotool mousemove $park  # the pointer stays off the window
    timeout 10 xdotool windowfocus --sync "$w" 2> /dev/null
    steady_shot "$w" "$shots/$prefix-screen_${positions[0]}.png" ||
        { bad "$prefix: the first screen never came to rest"; return 1; }
    for i in "${!keys[@]}"; do
        press "${keys[$i]}"
        steady_shot "$w" "$shots/$prefix-screen_${positions[$((i + 1))]}.png" ||
            { bad "$prefix: screen ${positions[$((i + 1))]} never came to rest"; return 1; }
        if cmp -s "$shots/$prefix-screen_${positions[$i]}.png" \
            "$shots/$prefix-screen_${positions[$((i + 1))]}.png"; then
            bad "$prefix: ${keys[$i]} did not move the view"
            return 1
        fi
    done
    # The red marker follows a real mouse move: a 10 x 10 square, black
    # outline and red inside, at the mouse.
    xdotool mousemove --window "$w" 400 300
    sleep 0.5
    timeout 10 import -window "$w" "$shots/$prefix-mouse.png" 2> /dev/null
    xdotool mousemove $park
    local inside outline
    inside=$(convert "$shots/$prefix-mouse.png" -format '%[fx:p{405,305}.r>0.9 && p{405,305}.g<0.1 && p{405,305}.b<0.1]' info:)
    outline=$(convert "$shots/$prefix-mouse.png" -format '%[fx:p{400,300}.r<0.1 && p{400,300}.g<0.1 && p{400,300}.b<0.1]' info:)
    if [ "$inside" = "1" ] && [ "$outline" = "1" ]; then
        ok "$prefix: the red marker follows the mouse"
    else
        bad "$prefix: no red marker at the mouse (inside $inside, outline $outline)"
    fi
    return 0
}

# ---- 2. The Windows game end to end, with an audio device.
mkdir -p "$work/game"
cp -r "$game_dir"/. "$work/game/"
cd "$work/game"
export ALSA_CONFIG_PATH=$work/asound-null.conf
# The pointer waits in a corner off the window: a window that opens under it
# gets a mouse move, and the marker would then stand where no golden frame
# has it. (The tests above may have moved it.)
xdotool mousemove 1020 760
EL_TRACE=1 wine ./tiles.exe > "$work/game.out" 2> "$work/game.err" &
game_pid=$!
if w=$(find_game_window); then
    geometry=$(xwininfo -id "$w" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
    [ "$geometry" = "800x600" ] && ok "window \"$title\" with an 800x600 client area" ||
        bad "client area is $geometry"
    # A second copy finds the first through its mutex and leaves at once.
    EL_TRACE=1 timeout 60 wine ./tiles.exe > "$work/second.out" 2> "$work/second.err"
    code=$?
    if [ $code -eq 0 ] && ! grep -q "trace: startup" "$work/second.err"; then
        ok "a second copy exits 0 without starting"
    else
        bad "second copy: exit $code"
    fi
    if drive_game windows; then
        ok "arrow keys slide the view through the six screens"
        for p in "${positions[@]}"; do
            if [ ! -f "$golden/screen_$p.png" ]; then
                echo "note: no golden frame $golden/screen_$p.png"
                continue
            fi
            n=$(differing_pixels "$shots/windows-screen_$p.png" "$golden/screen_$p.png")
            [ "$n" = "0" ] && ok "screen $p: identical to the golden frame outside the read-outs" ||
                bad "screen $p: $n pixels differ from the golden frame outside the read-outs"
            echo "note: screen $p: $(readout_pixels "$shots/windows-screen_$p.png" "$golden/screen_$p.png") pixels of the read-outs differ (the system's font)"
        done
        if escape_until_exit $game_pid "$w"; then
            game_pid=""
            shutdowns=$(grep -c "^trace: shutdown" "$work/game.err")
            [ $exit_code -eq 0 ] && [ "$shutdowns" -eq 1 ] &&
                ok "Esc ends the game with exit code 0 after one shutdown" ||
                bad "exit code $exit_code after Esc, $shutdowns shutdowns"
        else
            bad "the game did not end after Esc"
        fi
    fi
else
    bad "the Windows game showed no window"
fi
[ -n "$game_pid" ] && kill "$game_pid" 2> /dev/null
game_pid=""
timeout 60 wineserver -w

# ---- 3. The game without an audio device: sound is unavailable, the game runs.
cd "$work/game"
export ALSA_CONFIG_PATH=$work/asound-none.conf
EL_TRACE=1 wine ./tiles.exe > "$work/nosound.out" 2> "$work/nosound.err" &
game_pid=$!
if w=$(find_game_window); then
    sleep 1
    if escape_until_exit $game_pid "$w" && [ $exit_code -eq 0 ]; then
        game_pid=""
        ok "without an audio device the game runs and ends on Esc with exit code 0"
    else
        bad "without an audio device: no clean exit after Esc"
    fi
else
    bad "without an audio device the game showed no window"
fi

timeout 60 wineserver -w

# ---- 4. The effects gallery: every screen shows a picture of its own, the
# arrow keys step through them, Esc ends it with exit code 0.
gallery_exe=$build/examples/effects_gallery.exe
gallery_screens=18
# Runs the gallery through its screens on the current display; screenshots
# go to $shots/<prefix>-<screen>.png and, half a second later,
# <prefix>-<screen>-again.png (screens whose effects build up from frame to
# frame change between the two even on a still clock). $1 is the prefix, $2
# where the pointer waits off the window.
run_gallery() {
    local prefix=$1 park=$2 i shown=0
    mkdir -p "$work/gallery"
    cp "$gallery_exe" "$work/gallery/"
    cd "$work/gallery"
    export ALSA_CONFIG_PATH=$work/asound-null.conf
    EL_STILL_CLOCK=1 wine ./effects_gallery.exe > "$work/$prefix.out" 2> "$work/$prefix.err" &
    game_pid=$!
    title="エフェクト ギャラリー"
    if ! w=$(find_game_window); then
        bad "$prefix: the effects gallery showed no window"
        return 1
    fi
    xdotool mousemove $park
    # Wine's first frames can be black for a while: wait for a picture
    # before the first key.
    for _ in $(seq 1 60); do
        timeout 10 xwd -silent -id "$w" 2> /dev/null | convert xwd:- "$work/first.png" 2> /dev/null
        [ "$(convert "$work/first.png" -format '%[max]' info: 2> /dev/null)" != "0" ] && break
        sleep 0.5
    done
    for i in $(seq 0 $((gallery_screens - 1))); do
        timeout 10 xdotool windowfocus --sync "$w" 2> /dev/null
        sleep 1
        timeout 10 xwd -silent -id "$w" 2> /dev/null | convert xwd:- "$shots/$prefix-$i.png" 2> /dev/null
        sleep 0.5
        timeout 10 xwd -silent -id "$w" 2> /dev/null | convert xwd:- "$shots/$prefix-$i-again.png" 2> /dev/null
        if [ "$(convert "$shots/$prefix-$i.png" -format '%[max]' info: 2> /dev/null)" != "0" ] &&
            { [ $i -eq 0 ] || ! cmp -s "$shots/$prefix-$i.png" "$shots/$prefix-$((i - 1)).png"; }; then
            shown=$((shown + 1))
        fi
        xdotool keydown Right
        sleep 0.4
        xdotool keyup Right
    done
    [ $shown -eq $gallery_screens ] && ok "$prefix: the effects gallery shows $gallery_screens screens in turn" ||
        bad "$prefix: the effects gallery showed $shown of $gallery_screens screens"
    if escape_until_exit $game_pid "$w" && [ $exit_code -eq 0 ]; then
        game_pid=""
        ok "$prefix: Esc ends the effects gallery with exit code 0"
    else
        bad "$prefix: the effects gallery did not end cleanly after Esc"
    fi
}
if [ -f "$gallery_exe" ]; then
    run_gallery gallery "1020 760"
else
    bad "$gallery_exe not built"
fi

# ---- 5. The pack tool, with an audio device: elpack.exe makes the pack
# example's packs among the examples (step 6 runs the example from them),
# lists and checks them and refuses a damaged pack.
timeout 60 wineserver -w
export ALSA_CONFIG_PATH=$work/asound-null.conf
mkdir -p "$work/examples"
cp -r "$build/examples/." "$work/examples/"
if [ -f "$build/tools/elpack.exe" ]; then
    cp "$build/tools/elpack.exe" "$work/examples/"
    cd "$work/examples"
    if timeout 120 wine ./elpack.exe bmp make pack_demo.bpk 'pack_demo_media\pictures' > "$work/elpack.out" 2> "$work/elpack.err" &&
        timeout 120 wine ./elpack.exe wav make pack_demo.spk 'pack_demo_media\sounds' >> "$work/elpack.out" 2>> "$work/elpack.err" &&
        timeout 60 wine ./elpack.exe wav list pack_demo.spk 2>> "$work/elpack.err" | grep -q '^TUNE.WAV .*22050 Hz 16-bit mono' &&
        timeout 60 wine ./elpack.exe bmp check pack_demo.bpk >> "$work/elpack.out" 2>> "$work/elpack.err"; then
        ok "elpack.exe makes, lists and checks the pack example's packs"
    else
        bad "elpack.exe could not make the pack example's packs"
    fi
    head -c 1000 pack_demo.spk > "$work/cut.spk"
    timeout 60 wine ./elpack.exe wav check "$(winepath -w "$work/cut.spk")" > /dev/null 2> "$work/cut.txt"
    code=$?
    if [ $code -eq 1 ] && [ "$(grep -c . "$work/cut.txt")" -eq 1 ]; then
        ok "elpack.exe refuses a damaged pack with one line and exit code 1"
    else
        bad "elpack.exe on a damaged pack: exit $code, $(cat "$work/cut.txt")"
    fi
    # Entry names from a pack never leave the output folder on Windows: a
    # pack with an entry named ..\X.BMP is refused and nothing is written;
    # the output folder is made.
    mkdir -p "$work/escape"
    printf '\x01\x00\x01\x00A.BMP\x00\x1f\x00\x01\x00\x01\x00..\\X.BMP\x00\x1f\x00' > "$work/escape/back.bpk"
    timeout 60 wine ./elpack.exe bmp unpack "$(winepath -w "$work/escape/back.bpk")" \
        "$(winepath -w "$work/escape")\\out\\deep" > /dev/null 2> "$work/escape.txt"
    code=$?
    if [ $code -eq 1 ] && [ ! -e "$work/escape/X.BMP" ] && [ ! -e "$work/escape/out/X.BMP" ]; then
        ok "elpack.exe refuses an entry named ..\\X.BMP: $(tr -d '\r' < "$work/escape.txt")"
    else
        bad "elpack.exe unpacked an entry named ..\\X.BMP (exit $code)"
    fi
    printf '\x01\x00\x01\x00A.BMP\x00\x1f\x00' > "$work/escape/good.bpk"
    timeout 60 wine ./elpack.exe bmp unpack "$(winepath -w "$work/escape/good.bpk")" \
        "$(winepath -w "$work/escape")\\out\\deep" > /dev/null 2>> "$work/escape.txt"
    if [ -f "$work/escape/out/deep/A.BMP" ]; then
        ok "elpack.exe unpacks into an output folder it makes"
    else
        bad "elpack.exe did not make its output folder: $(tr -d '\r' < "$work/escape.txt")"
    fi
    rm -f elpack.exe
    timeout 60 wineserver -w
else
    bad "elpack.exe not built"
fi

# ---- 6. The example programs and a game built outside the tree against the
# installed library (tests/consumer), each for a moment, with an audio device.
export ALSA_CONFIG_PATH=$work/asound-null.conf
for exe in "$build"/examples/*.exe; do
    [ -f "$exe" ] || continue
    name=$(basename "$exe" .exe)
    mkdir -p "$work/examples"
    cp -r "$build/examples/." "$work/examples/"
    cd "$work/examples"
    if timeout 120 wine "./$name.exe" 1 > "$work/$name.out" 2> "$work/$name.err"; then
        ok "example $name runs for a second and ends with exit code 0"
    else
        bad "example $name did not end cleanly"
    fi
    timeout 60 wineserver -w
done
consumer=$build/consumer/build/consumer.exe
if [ -f "$consumer" ]; then
    mkdir -p "$work/consumer"
    cp "$consumer" "$work/consumer/"
    cd "$work/consumer"
    if timeout 120 wine ./consumer.exe 10 > "$work/consumer.out" 2> "$work/consumer.err" &&
        tr -d '\r' < consumer.txt | grep -qx "frames=10" && tr -d '\r' < consumer.txt | grep -qx "text=82a0"; then
        ok "a game built against the installed library runs 10 frames, its Japanese literal in Shift-JIS"
    else
        bad "the game built against the installed library"
    fi
    timeout 60 wineserver -w
else
    bad "$consumer not built (tests/consumer/run.sh)"
fi

# ---- 6. The message window example: each renderer, with and without the
# shadow, runs its frames (pages turn by themselves) and ends with exit code
# 0; a screenshot of each goes to $shots.
example=$build/examples/message_window.exe
if [ -f "$example" ]; then
    export ALSA_CONFIG_PATH=$work/asound-null.conf
    mkdir -p "$work/message"
    cp "$example" "$work/message/"
    cd "$work/message"
    for mode in sprite smooth "sprite plain" "smooth plain"; do
        EL_STILL_CLOCK=1 wine ./message_window.exe --frames 240 $mode > "$work/message.out" 2> "$work/message.err" &
        game_pid=$!
        title="メッセージウィンドウ"
        if w=$(find_game_window); then
            sleep 3
            timeout 10 xwd -silent -id "$w" 2> /dev/null |
                convert xwd:- "$shots/message_window-${mode// /-}.png" 2> /dev/null
        fi
        if wait_exit $game_pid 120 && [ $exit_code -eq 0 ]; then
            ok "message_window ($mode) ran its frames and ended with exit code 0"
        else
            bad "message_window ($mode) did not end cleanly"
        fi
        game_pid=""
    done
    timeout 60 wineserver -w
else
    bad "$example not built"
fi

# ---- 7. A 32-bit desktop: Wine on a 24-bit X display. Large enough for the
# game's window at twice its size.
timeout 60 wineserver -w
start32=$(date +%s)
if read -r xvfb_pid display < <(start_display 24 1920x1440); then
    xvfb_pids+=("$xvfb_pid")
    export DISPLAY=$display
    park="1910 1430"
    export ALSA_CONFIG_PATH=$work/asound-null.conf

    # 7a. The display tests of the test program.
    if [ -f "$tests_exe" ]; then
        cd "$work/tests"
        if EL_EXPECT_DEPTH=16 EL_EXPECT_DESKTOP=32 timeout 300 wine "$tests_exe" \
            --gtest_filter='WinDisplay*:WinPresentRows*:WinFullScreen*:WinWindowScale*:WinDraw*:WinWindow.DisplayDepth*' \
            > "$work/tests32.out" 2> "$work/tests32.err"; then
            ok "32-bit desktop: the display tests ($(grep -c '^\[       OK \]' "$work/tests32.out") passed)"
        else
            cat "$work/tests32.out"
            bad "32-bit desktop: the display tests"
        fi
    fi
    # A Wine server starting on a display puts the pointer in the middle of
    # the screen, where the game's window opens: the game starts on the
    # server of the tests (as on the 16-bit display), the pointer parked.

    # 7b. The game: the six screens, then the enlarged window.
    title="ﾀｲﾙｽﾞ"
    cd "$work/game"
    xdotool mousemove $park
    EL_TRACE=1 wine ./tiles.exe > "$work/game32.out" 2> "$work/game32.err" &
    game_pid=$!
    if drive_game windows32; then
        ok "32-bit desktop: arrow keys slide the view through the six screens"
        for p in "${positions[@]}"; do
            [ -f "$golden/screen_$p.png" ] || continue
            n=$(differing_pixels "$shots/windows32-screen_$p.png" "$golden/screen_$p.png")
            [ "$n" = "0" ] && ok "32-bit desktop: screen $p identical to the golden frame outside the read-outs" ||
                bad "32-bit desktop: screen $p: $n pixels differ from the golden frame outside the read-outs"
        done
        w=$(find_game_window)
        # The last line of the diagnostic channel about the picture's place:
        # "view: client WxH, picture 800x600 at X,Y as WxH".
        last_view() { grep -a '^trace: view:' "$work/game32.err" | tail -n 1 | tr -d '\r'; }
        client_size() { last_view | sed -n 's/.*client \([0-9]*\)x\([0-9]*\),.*/\1 \2/p'; }
        xdotool windowmove "$w" 0 0
        xdotool windowsize "$w" 1600 1200
        sleep 1
        # Wine counts part of the X window as the window's frame: add what
        # the client area lacks.
        read -r cw ch < <(client_size)
        if [ -n "$cw" ] && { [ "$cw" != 1600 ] || [ "$ch" != 1200 ]; }; then
            xdotool windowsize "$w" $((3200 - cw)) $((2400 - ch))
            sleep 1
        fi
        if last_view | grep -q 'client 1600x1200, picture 800x600 at 0,0 as 1600x1200'; then
            ok "32-bit desktop: a 1600x1200 client area shows the picture at twice its size"
            window_size=$(xwininfo -id "$w" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
            steady_shot "$w" "$shots/windows32-2x.png"
            # The marker stands where the mouse test above left it, at
            # (400, 300): left out with the read-outs.
            marker="rectangle 400,300 409,309"
            convert "$shots/windows32-2x.png" -crop 1600x1200+0+0 +repage -sample 50% \
                -fill black -draw "$marker" "$work/2x-reduced.png"
            convert "$golden/screen_0_1.png" -fill black -draw "$marker" "$work/golden-0-1.png"
            n=$(differing_pixels "$work/2x-reduced.png" "$work/golden-0-1.png")
            [ "$n" = "0" ] && ok "32-bit desktop: the picture at 2x, reduced, equals the golden frame outside the read-outs and the marker" ||
                bad "32-bit desktop: the picture at 2x, reduced, differs from the golden frame in $n pixels"
            xdotool mousemove --window "$w" 800 600
            sleep 0.5
            timeout 10 xwd -silent -id "$w" | convert xwd:- -crop 1600x1200+0+0 +repage -sample 50% "$shots/windows32-2x-mouse.png"
            inside=$(convert "$shots/windows32-2x-mouse.png" -format '%[fx:p{405,305}.r>0.9 && p{405,305}.g<0.1 && p{405,305}.b<0.1]' info:)
            outline=$(convert "$shots/windows32-2x-mouse.png" -format '%[fx:p{400,300}.r<0.1 && p{400,300}.g<0.1 && p{400,300}.b<0.1]' info:)
            [ "$inside" = "1" ] && [ "$outline" = "1" ] &&
                ok "32-bit desktop: the mouse at window (800, 600) puts the marker at picture (400, 300)" ||
                bad "32-bit desktop: no marker at picture (400, 300) (inside $inside, outline $outline)"
            xdotool mousemove $park
            timeout 10 xdotool windowfocus --sync "$w" 2> /dev/null
            xdotool key alt+Return
            sleep 1
            full=$(last_view)
            xdotool key alt+Return
            sleep 1
            back=$(xwininfo -id "$w" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w"x"h}')
            if [[ "$full" == *"client 1920x1440, picture 800x600 at 160,120 as 1600x1200"* ]] &&
                [ "$back" = "$window_size" ] && last_view | grep -q 'client 1600x1200,'; then
                ok "32-bit desktop: Alt+Enter fills the monitor and Alt+Enter again gives the window back at its size"
            else
                bad "32-bit desktop: Alt+Enter: full [$full], then $back (was $window_size), $(last_view)"
            fi
        else
            bad "32-bit desktop: the window enlarged to 1600x1200 shows [$(last_view)]"
        fi
        if escape_until_exit $game_pid "$w" && [ $exit_code -eq 0 ]; then
            game_pid=""
            ok "32-bit desktop: Esc ends the game with exit code 0"
        else
            bad "32-bit desktop: the game did not end cleanly after Esc"
        fi
    fi
    [ -n "$game_pid" ] && kill "$game_pid" 2> /dev/null
    game_pid=""
    timeout 60 wineserver -w

    # Pixel values of two pictures compared as 5:6:5 (see as565), whole.
    differing_565() {
        for f in "$1:$work/a.png" "$2:$work/b.png"; do
            convert "${f%%:*}" -channel RB -evaluate and 63488 -channel G -evaluate and 64512 +channel \
                -depth 16 "${f#*:}"
        done
        compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1
    }

    # 7c. The effects gallery: screens that stand still equal those of the
    # 16-bit display; those that build up frame by frame are compared by
    # their brightness (a dark screen is what a refused effect leaves).
    if [ -f "$gallery_exe" ]; then
        run_gallery gallery32 "$park"
        still=0 same=0 moving=0 lit=0
        for i in $(seq 0 $((gallery_screens - 1))); do
            [ -f "$shots/gallery-$i.png" ] && [ -f "$shots/gallery32-$i.png" ] || continue
            if [ "$(differing_565 "$shots/gallery-$i.png" "$shots/gallery-$i-again.png")" = "0" ]; then
                still=$((still + 1))
                n=$(differing_565 "$shots/gallery-$i.png" "$shots/gallery32-$i.png")
                [ "$n" = "0" ] && same=$((same + 1)) || echo "note: gallery screen $i: $n pixels differ"
            else
                moving=$((moving + 1))
                m16=$(convert "$shots/gallery-$i.png" -format '%[fx:mean]' info:)
                m32=$(convert "$shots/gallery32-$i.png" -format '%[fx:mean]' info:)
                awk -v a="$m16" -v b="$m32" 'BEGIN{exit !(b > 0.8 * a && b < 1.25 * a)}' && lit=$((lit + 1)) ||
                    echo "note: gallery screen $i: brightness $m32 on 32 bits, $m16 on 16"
            fi
        done
        [ $still -gt 0 ] && [ $same -eq $still ] && [ $lit -eq $moving ] &&
            ok "32-bit desktop: the gallery's $still still screens equal the 16-bit display's, its $moving moving ones are as bright" ||
            bad "32-bit desktop: gallery: $same of $still still screens equal, $lit of $moving moving ones as bright"
        timeout 60 wineserver -w
    fi

    # 7d. The message window in both renderers, as on the 16-bit display.
    if [ -f "$example" ]; then
        cd "$work/message"
        title="メッセージウィンドウ"
        for mode in sprite smooth; do
            EL_STILL_CLOCK=1 wine ./message_window.exe --frames 240 $mode > "$work/message32.out" 2> "$work/message32.err" &
            game_pid=$!
            if w=$(find_game_window); then
                sleep 3
                timeout 10 xwd -silent -id "$w" 2> /dev/null |
                    convert xwd:- "$shots/message_window32-$mode.png" 2> /dev/null
            fi
            wait_exit $game_pid 120
            game_pid=""
            n=$(differing_565 "$shots/message_window-$mode.png" "$shots/message_window32-$mode.png")
            [ "$n" = "0" ] && ok "32-bit desktop: message_window ($mode) equals the 16-bit display's" ||
                bad "32-bit desktop: message_window ($mode): $n pixels differ from the 16-bit display's"
        done
        timeout 60 wineserver -w
    fi
    echo "note: the 32-bit desktop took $(($(date +%s) - start32)) s"
else
    bad "no 24-bit virtual display could be started"
fi

echo "screenshots in $shots"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
