#!/usr/bin/env bash
# A program whose set-up fails ends with a non-zero exit status, and its
# standard error names the file it tried, the folder it looked in and the
# system's reason. The pack example is copied alone into an empty folder,
# so the packs it loads beside itself are missing; it runs headless.
#   exit_status.sh PACK_DEMO
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/"
program="$work/$(basename "$1")"
# Started from another folder: files are looked up beside the program.
(cd / && EL_HEADLESS=1 SDL_AUDIODRIVER=dummy "$program" 1) > "$work/out" 2> "$work/err"
status=$?
failed=0
if [ "$status" -ne 0 ]; then echo "ok: exit status $status"; else echo "FAIL: exit status 0"; failed=1; fi
if grep -q "pack_demo.bpk: No such file or directory (looked up in $work/)" "$work/err"; then
    echo "ok: the missing pack is named with its folder and reason"
else
    echo "FAIL: standard error does not name the missing pack:"; cat "$work/err"; failed=1
fi
exit $failed
