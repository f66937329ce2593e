#!/usr/bin/env bash
# The driver matrix on the default driver only: the committed references pass and three planted faults fail
# their scenes, the tables come out, and the references stay clean. A driver that cannot load is a skipped
# row, not a failure; a run on another renderer than --expect-renderer asks for ends at once with status 6.
. "$(dirname "$0")/bench_check.sh"
: "${TARNWICK_REFERENCES:?}"
faults="backdrop-v-flipped phong-specular-weak dissolve-threshold-inverted"

bench --drivers "$work/m" --driver llvmpipe $(printf -- "--fault %s " $faults) --reference "$TARNWICK_REFERENCES" \
    --size 320x240 --frames 1 --warmup 0 >"$work/out" 2>"$work/err"
status=$?
check "the matrix ends with status 0 (was $status)" [ "$status" -eq 0 ]
check "llvmpipe passes every reference" grep -qE "^llvmpipe: llvmpipe .*, 14 references ok, 0 failed$" "$work/out"
for fault in $faults; do
    check "$fault is caught" grep -qx "fault $fault on llvmpipe: caught" "$work/out"
    check "$fault: caught in faults.csv" grep -qE "^$fault,.*,caught$" "$work/m/faults.csv"
done
check "drivers.csv: a row per scene" [ "$(grep -cE '^llvmpipe,ran,,"llvmpipe [^"]*",[^,]+,[^,]+,(ok|none),[0-9.]+$' \
    "$work/m/drivers.csv")" -eq 15 ]
check "the committed references hold no run's pictures" \
    [ "$(ls "$TARNWICK_REFERENCES" | grep -cE -- "-(actual|diff)\.png$")" -eq 0 ]
check "a fault run keeps its diff picture" [ -s "$work/m/faults/backdrop-v-flipped/llvmpipe-references/default-diff.png" ]

# Zink with no Vulkan driver to run on.
VK_ICD_FILENAMES=/nonexistent.json bench --drivers "$work/z" --driver zink --fault none \
    --reference "$TARNWICK_REFERENCES" --scene empty --frames 1 >"$work/out" 2>"$work/err"
status=$?
check "a driver that does not load is skipped, status 0 (was $status)" [ "$status" -eq 0 ]
check "its row says why" grep -qE "^zink +skipped: .+" "$work/out"
check "drivers.csv says so too" grep -qE "^zink,skipped,.+,,,,,$" "$work/z/drivers.csv"

(cd "$work" && bench --drivers m --reference "$TARNWICK_REFERENCES") >"$work/out" 2>"$work/err"
status=$?
check "the matrix away from the data folder: status 1 (was $status)" [ "$status" -eq 1 ]
check "and it says where it looked" grep -qx "tarnwick-bench: no shaders/ in $work (.*)" "$work/err"

bench --expect-renderer zink --scene empty --frames 1 >"$work/out" 2>"$work/err"
status=$?
check "--expect-renderer zink on llvmpipe: status 6 (was $status)" [ "$status" -eq 6 ]
check "and it says which renderer it found" \
    grep -qE '^tarnwick-bench: GL_RENDERER "llvmpipe [^"]*" does not match --expect-renderer "zink"$' "$work/err"
check "before any scene ran" [ "$(grep -c "^empty " "$work/out")" -eq 0 ]
bench --expect-renderer '^llvmpipe' --scene empty --frames 1 >"$work/out" 2>&1
status=$?
check "a matching renderer runs, status 0 (was $status)" [ "$status" -eq 0 ]
finish
