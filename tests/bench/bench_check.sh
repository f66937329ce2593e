# The bench scripts' start: the end-to-end helpers and the real tarnwick-bench with the sanitizer preload,
# headless where there is no X server.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
bench() { env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" ${TARNWICK_NO_X:+--headless} "$@" </dev/null; }
only_progress() { ! grep -qvE "^  .*: [0-9]+/[0-9]+ frames$" "$1"; }
# A report folder's page in headless Chromium at the given widths, and its report.json against the schema.
page_check() { /usr/bin/python3 "$TARNWICK_SOURCE/tests/bench/report_page_check.py" "$@"; }
schema_check() {
    /usr/bin/python3 -c 'import json, sys, jsonschema
jsonschema.validate(json.load(open(sys.argv[2])), json.load(open(sys.argv[1])), cls=jsonschema.Draft202012Validator)' \
        "$TARNWICK_SOURCE/docs/report.schema.json" "$1"
}

# The values under a --csv file's column of that name, one a line.
csv_column() {
    /usr/bin/python3 -c 'import csv, sys
for row in csv.DictReader(open(sys.argv[1])): print(row[sys.argv[2]])' "$1" "$2"
}

# Each way to end a frame (with a swap interval in a window) runs, and the results file records it.
check_frame_ends() {
    local run way interval status
    for run in "swap ${1:-}" "finish ${2:-}" "readpixels ${1:-}" "none ${2:-}"; do
        read -r way interval <<<"$run"
        bench --scene default --frames 3 --warmup 1 --frame-end "$way" ${interval:+--swap-interval "$interval"} \
            --csv "$work/end.csv" >"$work/out" 2>"$work/err"
        status=$?
        check "--frame-end $way ${interval:+--swap-interval $interval }runs, status 0 (was $status)" [ "$status" -eq 0 ]
        check "--frame-end $way: the CSV records it and the swap interval (${interval:-none})" [ \
            "$(csv_column "$work/end.csv" frame_end),$(csv_column "$work/end.csv" swap_interval)" = "$way,$interval" ]
    done
}

# A barrage at the highest level through every window change: its shots and their GL objects go with them
# once it stops firing. 12 frames a cycle let a volley (one in 0.1 s) out at the bench's frame rate.
check_barrage() {
    bench --scene barrage:cycle=12 --frames 80 --warmup 2 >"$work/out" 2>"$work/err"
    local status=$? note fired made
    note=$(grep -E "^  barrage:level=4:enemies=50:cycle=12: " "$work/out")
    fired=$(echo "$note" | sed -nE 's/.*: ([0-9]+) shots fired.*/\1/p')
    made=$(echo "$note" | sed -nE 's/.* of their ([0-9]+) GL objects;.*/\1/p')
    check "barrage exits 0 (was $status)" [ "$status" -eq 0 ]
    check "barrage fired shots (${fired:-none})" [ "${fired:-0}" -gt 0 ]
    check "barrage went through every window change" grep -qE "\), 6 window changes;" <<<"$note"
    check "barrage left no shot and none of its ${made:-?} GL objects" \
        grep -qE "left 0 shots and 0 of their [1-9][0-9]* GL objects; resident memory [0-9]+ KiB$" <<<"$note"
    check "barrage: nothing on standard error but progress lines" only_progress "$work/err"
}
