#!/usr/bin/env bash
# The driver matrix on the default driver and on zink without Vulkan, headless with no display: the committed
# references pass and three planted faults fail their scenes, zink is a skipped row (not a failure), the
# tables come out, the references stay clean, and --report gathers it all into one page. A run on another
# renderer than --expect-renderer asks for ends at once with status 6.
. "$(dirname "$0")/../bench_check.sh"
: "${TARNWICK_REFERENCES:?}"
faults="backdrop-v-flipped phong-specular-weak dissolve-threshold-inverted"
report_agrees() { # report.json faults.csv: a driver per origin, zink skipped with its reason, each fault's cells
    /usr/bin/python3 - "$1" "$2" <<'PY'
import csv, json, sys
report = json.load(open(sys.argv[1]))
assert report["mode"] == "drivers" and [o["name"] for o in report["origins"]] == ["llvmpipe", "zink"], report["origins"]
checks = {(c["name"], c["origin"]): c for c in report["checks"]}
assert checks[("driver", 1)]["verdict"] == "unknown" and checks[("driver", 1)]["message"].startswith("skipped: ")
words = {"caught": "ok", "MISSED": "FAIL", "skipped": "unknown"}
for row in csv.DictReader(open(sys.argv[2])):
    for origin, driver in enumerate(["llvmpipe", "zink"]):
        assert checks[("fault " + row["fault"], origin)]["verdict"] == words[row[driver]], (row, origin)
assert all(c["origin"] == 0 for s in report["scenes"] for c in s["checks"]) and len(report["scenes"]) == 15
PY
}

VK_ICD_FILENAMES=/nonexistent.json env -u DISPLAY LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" --headless \
    --drivers "$work/m" --driver llvmpipe --driver zink $(printf -- "--fault %s " $faults) \
    --reference "$TARNWICK_REFERENCES" --size 320x240 --frames 1 --warmup 0 --report "$work/report" \
    </dev/null >"$work/out" 2>"$work/err"
status=$?
check "the matrix ends with status 0 (was $status)" [ "$status" -eq 0 ]
check "llvmpipe passes every reference" grep -qE "^llvmpipe: llvmpipe .*, 14 references ok, 0 failed$" "$work/out"
for fault in $faults; do
    check "$fault is caught" grep -qx "fault $fault on llvmpipe: caught" "$work/out"
    check "$fault: caught in faults.csv" grep -qE "^$fault,.*,caught,skipped$" "$work/m/faults.csv"
done
check "drivers.csv: a row per scene" [ "$(grep -cE '^llvmpipe,ran,,"llvmpipe [^"]*",[^,]+,[^,]+,(ok|none),[0-9.]+$' \
    "$work/m/drivers.csv")" -eq 15 ]
check "the committed references hold no run's pictures" \
    [ "$(ls "$TARNWICK_REFERENCES" | grep -cE -- "-(actual|diff)\.png$")" -eq 0 ]
check "a fault run keeps its diff picture" [ -s "$work/m/faults/backdrop-v-flipped/llvmpipe-references/default-diff.png" ]
check "zink without Vulkan is skipped and its row says why" grep -qE "^zink +skipped: .+" "$work/out"
check "and its progress line said so when it was found" grep -qE "^zink: skipped: .+" "$work/out"
check "drivers.csv says so too" grep -qE "^zink,skipped,.+,,,,,$" "$work/m/drivers.csv"
check "--report: report.json meets its schema" schema_check "$work/report/report.json"
check "--report: a driver per origin, the faults as faults.csv has them" \
    report_agrees "$work/report/report.json" "$work/m/faults.csv"
check "--report: the page in Chromium, at 1280 px and at phone width" page_check "$work/report" 1280 390

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
# A driver with no context at all is not the renderer asked for either, in a window as headless; without a
# renderer expected it is a plain failure.
mkdir -m 700 "$work/runtime"
for expect in zink ""; do
    want=1 && [ -z "$expect" ] || want=6
    VK_ICD_FILENAMES=/nonexistent.json GALLIUM_DRIVER=zink LIBGL_ALWAYS_SOFTWARE=1 XDG_RUNTIME_DIR="$work/runtime" \
        bench ${expect:+--expect-renderer "$expect"} --scene empty --frames 1 >"$work/out" 2>"$work/err"
    status=$?
    check "zink without Vulkan, --expect-renderer '$expect': status $want (was $status)" [ "$status" -eq "$want" ]
done
bench --expect-renderer '^llvmpipe' --scene empty --frames 1 >"$work/out" 2>&1
status=$?
check "a matching renderer runs, status 0 (was $status)" [ "$status" -eq 0 ]
finish
