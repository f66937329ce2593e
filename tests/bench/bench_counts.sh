#!/usr/bin/env bash
# --metric instructions with the real tarnwick-bench: without valgrind, one line and status 1 before any
# scene. With TARNWICK_COUNT_UNDER_VALGRIND=1 (the opt-in valgrind test) a real count of one short scene
# reaches the table and report.json, and an A/B run of identical sides says no change.
TARNWICK_NO_X=1
. "$(dirname "$0")/bench_check.sh"

for mode in "" "--ab"; do
    env PATH=/nonexistent "$TARNWICK_BENCH_BIN" $mode --metric instructions --headless --scene empty \
        >"$work/out" 2>"$work/err" </dev/null
    status=$?
    check "${mode:-a run} without valgrind: status 1 (was $status)" [ "$status" -eq 1 ]
    check "${mode:-a run} without valgrind: the one line on standard error" [ "$(cat "$work/err")" = \
        "tarnwick-bench: --metric instructions needs valgrind, which is not on PATH (scripts/deps installs it)" ]
    check "${mode:-a run} without valgrind: no scene started" [ ! -s "$work/out" ]
done

if [ "${TARNWICK_COUNT_UNDER_VALGRIND:-}" = 1 ]; then
    # Valgrind does not run under the sanitizer's preload: the bench goes without it here.
    "$TARNWICK_BENCH_BIN" --metric instructions --headless --scene empty --frames 3 --warmup 2 \
        --report "$work/report" --csv "$work/counts.csv" >"$work/out" 2>"$work/err" </dev/null
    status=$?
    check "a count of empty: status 0 (was $status)" [ "$status" -eq 0 ]
    check "the conditions are printed first" grep -qE "^counting instructions .* LP_NUM_THREADS=0" "$work/out"
    check "its line of instructions per frame" \
        grep -qE "^  empty: [0-9.]+ M instructions per frame \(program [0-9.]+ M, GL driver [1-9][0-9.]* M" "$work/out"
    per_frame=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["scenes"][0]["runs"][0]["instructions"]["per_frame"])' "$work/report/report.json")
    check "report.json has the count (${per_frame:-none})" python3 -c "import sys; sys.exit(not float('${per_frame:-0}') > 0)"
    check "report.json meets the schema" schema_check "$work/report/report.json"
    check "the CSV's last column is filled" grep -qE "^empty,1,3,.*,[0-9]+$" "$work/counts.csv"
    "$TARNWICK_BENCH_BIN" --ab --metric instructions --headless --scene empty --frames 3 --warmup 2 \
        >"$work/out" 2>"$work/err" </dev/null
    status=$?
    check "A/B of identical sides on counts: status 0 (was $status)" [ "$status" -eq 0 ]
    check "A/B of identical sides on counts: no change" grep -qE "^empty .* no change$" "$work/out"
fi
finish
