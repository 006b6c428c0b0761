#!/bin/bash
# The Shift-JIS literal converter's refusals and its unchanged copies:
#   cp932_literals_test.sh <converter>
set -u
tool=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# A character code page 932 lacks stops the conversion, names the line and
# leaves no copy behind.
printf 'int a;\nconst char* s = "\360\237\230\200";\n' > "$dir/emoji.cpp"
if "$tool" "$dir/emoji.cpp" "$dir/emoji.out" 2> "$dir/err"; then fail "an emoji was converted"; fi
grep -q "emoji.cpp:2: error" "$dir/err" || fail "the error does not name line 2: $(cat "$dir/err")"
[ ! -e "$dir/emoji.out" ] || fail "a copy was written for a refused source"

# Bytes that are not UTF-8 inside a literal are refused; in a comment they
# are copied as they are.
printf 'const char* s = "\203\107";\n' > "$dir/sjis.cpp"
if "$tool" "$dir/sjis.cpp" "$dir/sjis.out" 2> /dev/null; then fail "Shift-JIS bytes in a literal were taken as UTF-8"; fi
printf '// \203\107\nint x;\n' > "$dir/comment.cpp"
"$tool" "$dir/comment.cpp" "$dir/comment.out" || fail "a comment's bytes were refused"
printf '#line 1 "%s"\n// \203\107\nint x;\n' "$dir/comment.cpp" | cmp -s - "$dir/comment.out" ||
    fail "the comment was not copied byte for byte"

# A second conversion with the same result leaves the copy alone, so that a
# rebuilt converter recompiles nothing; a changed source replaces it.
printf 'const char* s = "日本";\n' > "$dir/same.cpp"
"$tool" "$dir/same.cpp" "$dir/same.out" || fail "first conversion"
touch -d '2001-01-01' "$dir/same.out"
"$tool" "$dir/same.cpp" "$dir/same.out" || fail "second conversion"
[ "$(stat -c %Y "$dir/same.out")" = "$(date -d 2001-01-01 +%s)" ] || fail "an unchanged copy was rewritten"
printf 'const char* s = "日本語";\n' > "$dir/same.cpp"
"$tool" "$dir/same.cpp" "$dir/same.out" || fail "third conversion"
grep -q '\\214\\352' "$dir/same.out" || fail "a changed source did not replace its copy"

[ $failed -eq 0 ] && echo "converter checks passed"
exit $failed
