#!/usr/bin/env bash
# The committed reference pictures (made at 320x240 on llvmpipe) against the real bench, headless: every
# scene but barrage matches and comes out the same made afresh; a wrong or missing reference fails with 3.
TARNWICK_NO_X=1
. "$(dirname "$0")/bench_check.sh"
: "${TARNWICK_REFERENCES:?}"
small() { bench --size 320x240 --frames 1 --warmup 0 "$@"; }
red_pixels() { convert "$1" -fx "r>0.99 && g<0.01 && b<0.01 ? 1 : 0" -format "%[fx:mean*w*h]" info:; }
ok_lines='^reference [^ ]+: [0-9]+ of 76800 pixels differ .*: ok$'

cp -r "$TARNWICK_REFERENCES" "$work/refs"
small --reference "$work/refs" >"$work/out" 2>"$work/err"
status=$?
check "every reference matches, status 0 (was $status)" [ "$status" -eq 0 ]
check "14 scenes checked and ok" [ "$(grep -cE "$ok_lines" "$work/out")" -eq 14 ]
check "barrage has no reference" grep -q "^reference barrage:.*: none" "$work/out"
check "a match leaves no actual or diff picture" [ "$(ls "$work/refs" | grep -cE -- "-(actual|diff)\.png$")" -eq 0 ]

# On the driver they were made with, a seeded run draws every reference frame again pixel for pixel.
small --update-reference "$work/fresh" >"$work/out" 2>&1
for file in "$TARNWICK_REFERENCES"/*.png; do
    name=$(basename "$file")
    apart=$(compare -metric AE "$file" "$work/fresh/$name" null: 2>&1)
    check "$name made again: $apart pixels apart" [ "$apart" = 0 ]
done
check "no mask beyond the committed ones" \
    [ "$(ls "$work/fresh" | grep -c -- -unstable)" -eq "$(ls "$TARNWICK_REFERENCES" | grep -c -- -unstable)" ]

# A reference made under the nearest filter, checked against the frame drawn with linear mipmaps.
small --scene filters:texture=0:mipmap=0 --update-reference "$work/wrong" >"$work/out" 2>&1
check "--update-reference makes the folder and writes the reference" [ -s "$work/wrong/filters_texture=0_mipmap=0.png" ]
mv "$work/wrong/filters_texture=0_mipmap=0.png" "$work/wrong/filters_texture=1_mipmap=2.png"
small --scene filters:texture=1:mipmap=2 --scene default --reference "$work/wrong" >"$work/out" 2>"$work/err"
status=$?
check "a changed filter and a missing reference end with status 3 (was $status)" [ "$status" -eq 3 ]
check "the changed filter fails on its line" \
    grep -qE "^reference filters:texture=1:mipmap=2: [1-9][0-9]* of 76800 pixels differ .*: FAIL \(" "$work/out"
check "the missing reference says how to make it" grep -qF \
    "reference default: FAIL, no readable $work/wrong/default.png (make it with --update-reference" "$work/out"
check "the actual frame is kept" [ -s "$work/wrong/filters_texture=1_mipmap=2-actual.png" ]
red=$(red_pixels "$work/wrong/filters_texture=1_mipmap=2-diff.png")
check "the diff shows the differing pixels in red ($red)" [ "${red%.*}" -gt 76 ]
check "nothing on standard error" [ ! -s "$work/err" ]
finish
