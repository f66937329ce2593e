#!/usr/bin/env bash
# What only a window shows, under the test's X server: the headless frames are the window's byte for byte in
# every reference scene, and the barrage resizes the real window and leaves nothing behind.
. "$(dirname "$0")/bench_check.sh"
small() { bench --size 320x240 --frames 1 --warmup 0 "$@"; }

small --update-reference "$work/window" >"$work/out" 2>&1
small --headless --update-reference "$work/headless" >>"$work/out" 2>&1
pictures=$(ls "$work/window" 2>/dev/null | wc -l)
check "13 reference frames drawn in the window (${pictures})" [ "$pictures" -eq 13 ]
for picture in "$work"/window/*.png; do
    name=$(basename "$picture")
    check "headless $name is the window's byte for byte" cmp -s "$picture" "$work/headless/$name"
done

check_barrage

finish
