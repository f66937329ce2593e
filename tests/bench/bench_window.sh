#!/usr/bin/env bash
# What only a window shows, under the test's X server: headless frames equal the window's, the barrage
# through real window changes, and failures that must end or go on without a box nobody can dismiss.
. "$(dirname "$0")/bench_check.sh"
small() { bench --size 320x240 --frames 1 --warmup 0 "$@"; }
# The bench ended after at most $1 seconds (status 124 then): a box that nobody dismisses must not hang the test.
bench_within() { timeout "$1" env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" "${@:2}" </dev/null; }

small --update-reference "$work/window" >"$work/out" 2>&1
small --headless --update-reference "$work/headless" >>"$work/out" 2>&1
pictures=$(ls "$work/window" 2>/dev/null | wc -l)
expected=$(ls "${TARNWICK_REFERENCES:?}" | wc -l)
check "every reference frame and mask drawn in the window (${pictures} of ${expected})" [ "$pictures" -eq "$expected" ]
for picture in "$work"/window/*.png; do
    name=$(basename "$picture")
    check "headless $name is the window's byte for byte" cmp -s "$picture" "$work/headless/$name"
done

check_barrage
check_frame_ends 0 1

mkdir "$work/empty"
(cd "$work/empty" && bench_within 60 --scene default >"$work/out" 2>"$work/err")
status=$?
check "outside a data folder: status 1 at once (was $status)" [ "$status" -eq 1 ]
check "outside a data folder: the missing folder and where to run from, one line on standard error" grep -qxF \
    "tarnwick-bench: no shaders/ folder in $work/empty: run it where the game's data is (shaders/, textures/ and meshes/), such as $(dirname "$(readlink -f "$TARNWICK_BENCH_BIN")") or the folder the tarnwick launcher makes (\$XDG_DATA_HOME/tarnwick, by default ~/.local/share/tarnwick)" \
    "$work/err"

copy_data
echo "not a model" >"$work/data/meshes/boss.dae"
(cd "$work/data" && bench_within 120 --scene empty --frames 1 --warmup 0 >"$work/out" 2>"$work/err")
status=$?
check "a model that fails to import: the bench runs on, status 0 (was $status)" [ "$status" -eq 0 ]
check "the import failure is a line on standard output" grep -q "^import failed: " "$work/out"
check "the import failure: nothing on standard error" only_progress "$work/err"
finish
