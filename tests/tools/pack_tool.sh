#!/usr/bin/env bash
# The pack tool end to end: make, list, check and unpack round trips, and
# bad input (a missing folder, an unreadable file, damaged packs) giving
# exit status 1, one line on standard error and no pack written.
#   pack_tool.sh ELPACK MEDIA_FOLDER   (MEDIA_FOLDER holds pictures/ and sounds/)
set -u
elpack=$1
media=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
ok() { passed=$((passed + 1)); echo "ok: $1"; }
bad() { failed=$((failed + 1)); echo "FAIL: $1"; }
expect() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }

# Runs the tool expecting failure: exit 1 and exactly one line on stderr.
refuses() {
    local what=$1
    shift
    "$elpack" "$@" > "$work/out" 2> "$work/err"
    local status=$?
    local lines
    lines=$(wc -l < "$work/err")
    if [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && grep -q '^elpack: ' "$work/err"; then
        ok "$what: $(cat "$work/err")"
    else
        bad "$what (exit $status, $lines lines: $(cat "$work/err"))"
    fi
}

# ---- Round trips.
"$elpack" bmp make "$work/p.bpk" "$media/pictures" > /dev/null || bad "bmp make"
"$elpack" wav make "$work/s.spk" "$media/sounds" > /dev/null || bad "wav make"
"$elpack" bmp check "$work/p.bpk" > /dev/null && ok "bmp check of a made pack" || bad "bmp check"
"$elpack" wav check "$work/s.spk" > /dev/null && ok "wav check of a made pack" || bad "wav check"
"$elpack" bmp list "$work/p.bpk" > "$work/list"
expect "bmp list names sizes" 'grep -q "^BACK.BMP  *800 x 600 " "$work/list" && grep -q "^BALL.BMP  *32 x 32 " "$work/list"'
"$elpack" wav list "$work/s.spk" > "$work/list"
expect "wav list names formats" 'grep -q "^TUNE.WAV  *352800 bytes  22050 Hz 16-bit mono  8.00 s" "$work/list"'

mkdir -p "$work/pics" "$work/snds"
"$elpack" bmp unpack "$work/p.bpk" "$work/pics" > /dev/null || bad "bmp unpack"
"$elpack" wav unpack "$work/s.spk" "$work/snds" > /dev/null || bad "wav unpack"
expect "unpacked waves are the original files, sample for sample" \
    'cmp -s "$work/snds/TUNE.WAV" "$media/sounds/TUNE.WAV" && cmp -s "$work/snds/CLICK.WAV" "$media/sounds/CLICK.WAV"'
"$elpack" bmp make "$work/p2.bpk" "$work/pics" > /dev/null
"$elpack" wav make "$work/s2.spk" "$work/snds" > /dev/null
expect "unpacked pictures pack again to the same pixels" 'cmp -s "$work/p.bpk" "$work/p2.bpk"'
expect "unpacked sounds pack again to the same pack" 'cmp -s "$work/s.spk" "$work/s2.spk"'
expect "no temporary files are left" '[ -z "$(find "$work" -name "*.tmp")" ]'

# ---- Bad input.
refuses "a missing folder" bmp make "$work/x.bpk" "$work/no-such-folder"
expect "nothing written for a missing folder" '[ ! -e "$work/x.bpk" ] && [ ! -e "$work/x.bpk.tmp" ]'
refuses "a folder without waves" wav make "$work/x.spk" "$work/pics"
cp "$work/p.bpk" "$work/keep.bpk"
mkdir -p "$work/broken"
cp "$work/pics/BALL.BMP" "$work/broken/"
printf 'BM not a picture' > "$work/broken/BAD.BMP"
refuses "an unreadable picture" bmp make "$work/keep.bpk" "$work/broken"
expect "the old pack stays as it was" 'cmp -s "$work/keep.bpk" "$work/p.bpk" && [ ! -e "$work/keep.bpk.tmp" ]'
size=$(stat -c %s "$work/p.bpk")
head -c $((size - 1)) "$work/p.bpk" > "$work/cut.bpk"
refuses "a bitmap pack cut short" bmp check "$work/cut.bpk"
head -c 100 "$work/s.spk" > "$work/cut.spk"
refuses "a sound pack cut short" wav list "$work/cut.spk"
printf '\x01\x00\x00\x00A.WAV\x00\xff\xff\xff\x7f' > "$work/lying.spk"
refuses "a format size past the end" wav unpack "$work/lying.spk" "$work/snds"
refuses "a missing pack" wav check "$work/none.spk"
"$elpack" bmp > /dev/null 2>&1
expect "a wrong command line exits 2" '[ $? -eq 2 ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
