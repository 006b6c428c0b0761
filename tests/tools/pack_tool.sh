#!/usr/bin/env bash
# The pack tool end to end: make, list, check and unpack round trips, and
# bad input (a missing folder, an unreadable file, damaged packs, a wave
# the library cannot play, a pack of the other kind, entry names that
# would leave the output folder) giving exit status 1, one line on standard
# error and nothing written.
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

# ---- Output folders and the system's reasons.
"$elpack" bmp unpack "$work/p.bpk" "$work/new/deep" > /dev/null
expect "unpack makes its output folder" '[ -f "$work/new/deep/BALL.BMP" ]'
"$elpack" bmp make "$work/made/in/here.bpk" "$media/pictures" > /dev/null
expect "make makes the pack's folder" 'cmp -s "$work/made/in/here.bpk" "$work/p.bpk"'
# Japanese folder names whose Shift-JIS form ends in the byte of a backslash.
"$elpack" bmp unpack "$work/p.bpk" "$work/表ソ" > /dev/null
expect "a folder named 表ソ is made and written into" '[ -f "$work/表ソ/BALL.BMP" ] && [ -f "$work/表ソ/BACK.BMP" ]'
mkdir -p "$work/blocked/BALL.BMP.tmp"
refuses "a file that cannot be written" bmp unpack "$work/p.bpk" "$work/blocked"
expect "the write failure names the file and the system's reason" \
    'grep -q "blocked/BALL.BMP.tmp: cannot be written: Is a directory$" "$work/err"'
touch "$work/plain"
refuses "an output folder under a file" wav unpack "$work/s.spk" "$work/plain/out"
expect "the folder failure gives the system's reason" 'grep -q "plain/out: the folder cannot be made: ." "$work/err"'

# ---- The wrong kind of pack is named as such.
refuses "a bitmap pack checked as a sound pack" wav check "$work/p.bpk"
expect "it is called a bitmap pack" 'grep -q "a bitmap pack, not a sound pack" "$work/err"'
refuses "a sound pack listed as a bitmap pack" bmp list "$work/s.spk"
expect "it is called a sound pack" 'grep -q "a sound pack, not a bitmap pack" "$work/err"'

# ---- Waves the library cannot play: 32-bit PCM in an extensible format
# block, as sox writes by default (format block of 40 bytes, 8 sample bytes).
fmt32='\xfe\xff\x01\x00\x22\x56\x00\x00\x88\x58\x01\x00\x04\x00\x20\x00\x16\x00\x20\x00\x04\x00\x00\x00\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71'
mkdir -p "$work/wide"
printf "RIFF\x44\x00\x00\x00WAVEfmt \x28\x00\x00\x00${fmt32}data\x08\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00" \
    > "$work/wide/WIDE.WAV"
refuses "make of a 32-bit extensible wave" wav make "$work/wide.spk" "$work/wide"
expect "the refusal names the file and the format" \
    'grep -q "wide/WIDE.WAV: 32-bit 1-channel wave in an extensible format block, which the library cannot play" "$work/err" && [ ! -e "$work/wide.spk" ]'
{ cat "$work/s.spk"; printf "\x08\x00\x00\x00WIDE.WAV\x00\x28\x00\x00\x00${fmt32}\x01\x00\x00\x00\x02\x00\x00\x00"; } > "$work/wide2.spk"
"$elpack" wav check "$work/wide2.spk" > "$work/out" 2> "$work/err"
expect "check fails on a wave that cannot be played, naming it" \
    '[ $? -eq 1 ] && grep -q "entry WIDE.WAV: 32-bit 1-channel wave in an extensible format block" "$work/err" && ! grep -q complete "$work/out"'
"$elpack" wav list "$work/wide2.spk" > "$work/list"
expect "list marks it" 'grep -q "^WIDE.WAV .*cannot be played$" "$work/list" && ! grep -q "^TUNE.WAV .*cannot be played" "$work/list"'

# ---- Entry names from a pack never write outside the output folder:
# such a pack is refused before anything is written.
mkdir -p "$work/jail/out"
printf '\x01\x00\x01\x00A.BMP\x00\x1f\x00\x01\x00\x01\x00..\\X.BMP\x00\x1f\x00' > "$work/back.bpk"
refuses "a bitmap entry named ..\\X.BMP" bmp unpack "$work/back.bpk" "$work/jail/out"
printf '\x01\x00\x01\x00../X.BMP\x00\x1f\x00' > "$work/up.bpk"
refuses "a bitmap entry named ../X.BMP" bmp unpack "$work/up.bpk" "$work/jail/out"
pcm='\x01\x00\x01\x00\x22\x56\x00\x00\x44\xac\x00\x00\x02\x00\x10\x00\x00\x00'
printf "\x02\x00\x00\x00../Y.WAV\x00\x12\x00\x00\x00${pcm}\x00\x01" > "$work/up.spk"
refuses "a sound entry named ../Y.WAV" wav unpack "$work/up.spk" "$work/jail/out"
printf "\x02\x00\x00\x00/tmp/Y.WAV\x00\x12\x00\x00\x00${pcm}\x00\x01" > "$work/root.spk"
refuses "a sound entry named /tmp/Y.WAV" wav unpack "$work/root.spk" "$work/jail/out"
expect "nothing was written in or beside the output folder" \
    '[ -z "$(find "$work/jail" -type f)" ] && [ ! -e "$work/X.BMP" ] && [ ! -e /tmp/Y.WAV ]'

# ---- Of two entries of one name the library loads the first: unpack
# writes that one and names the other.
red='\x01\x00\x01\x00DUP.BMP\x00\x00\x7c'
printf "${red}\x01\x00\x01\x00DUP.BMP\x00\x1f\x00" > "$work/dup.bpk"
"$elpack" bmp unpack "$work/dup.bpk" "$work/dup" > /dev/null 2> "$work/err"
"$elpack" bmp make "$work/dup2.bpk" "$work/dup" > /dev/null
expect "the first of two same-named entries is unpacked, the second named" \
    'cmp -s "$work/dup2.bpk" <(printf "$red") && grep -q "entry 2 repeats the name DUP.BMP" "$work/err"'

# ---- On a terminal the progress line is cleared before the summary.
script -qec "\"$elpack\" bmp unpack \"$work/p.bpk\" \"$work/tty\"" /dev/null > "$work/tty.out" 2>&1
expect "the summary starts on a cleared line" 'grep -aq $'"'"'\e\[K'"'"'"$work/p.bpk: 2 pictures" "$work/tty.out"'

# ---- list aligns its columns by display width: Japanese names take two
# columns a character, long names widen the column.
mkdir -p "$work/names"
cp "$work/pics/BALL.BMP" "$work/names/ボール.BMP"
cp "$work/pics/BALL.BMP" "$work/names/A_PICTURE_WITH_A_RATHER_LONG_NAME_OF_FORTY.BMP"
cp "$work/pics/BALL.BMP" "$work/names/B.BMP"
"$elpack" bmp make "$work/names.bpk" "$work/names" > /dev/null
"$elpack" bmp list "$work/names.bpk" > "$work/list"
widths=$(while IFS= read -r line; do
    prefix=${line%%32 x 32*}
    wide=$(printf '%s' "$prefix" | LC_ALL=C tr -d '\000-\177' | LC_ALL=C.UTF-8 wc -m)
    echo $(( $(printf '%s' "$prefix" | LC_ALL=C.UTF-8 wc -m) + wide ))
done < "$work/list" | sort -u | wc -l)
expect "list columns line up for Japanese and long names" '[ "$widths" -eq 1 ] && [ "$(wc -l < "$work/list")" -eq 3 ]'

# ---- Help for each command.
for c in make list check unpack; do
    "$elpack" bmp $c --help > "$work/help" 2>&1
    expect "help of $c" '[ $? -eq 0 ] && grep -q "^elpack bmp|wav $c " "$work/help"'
done
"$elpack" --help > "$work/help"
expect "general help" '[ $? -eq 0 ] && grep -q "elpack bmp|wav COMMAND --help" "$work/help"'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
