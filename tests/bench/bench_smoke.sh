#!/usr/bin/env bash
# A few frames of every scene of the real tarnwick-bench, twice: status 0, one table row per
# run, the CSV files, and their comparison without a display; a bad option ends with status 2 and a
# message. No timing is checked.
. "$(dirname "$0")/bench_check.sh"
absent() { ! grep -qE "$1" "$2"; }
only_progress() { ! grep -qvE "^  .*: [0-9]+/[0-9]+ frames$" "$1"; }

bench --frames 3 --warmup 1 --repeat 2 --csv "$work/all.csv" --frames-csv "$work/frames.csv" >"$work/out" \
    2>"$work/err"
status=$?
check "every scene runs, status 0 (was $status)" [ "$status" -eq 0 ]
runs="empty default combat:enemies=50:shots=100 blur inspect filters:texture=0:mipmap=0 \
filters:texture=1:mipmap=0 filters:texture=0:mipmap=1 filters:texture=1:mipmap=1 filters:texture=0:mipmap=2 \
filters:texture=1:mipmap=2 effects culling:on:enemies=50:shots=100 culling:off:enemies=50:shots=100 \
barrage:level=4:enemies=50:cycle=60"
for run in $runs; do
    check "two rows for $run with 3 frames" [ "$(grep -cE "^$run +3 +[0-9.]+ " "$work/out")" -eq 2 ]
    csv_runs=$(grep "^$run," "$work/all.csv" | cut -d, -f2,3 | tr '\n' ' ')
    check "CSV rows for runs 1 and 2 of $run" [ "$csv_runs" = "1,3 2,3 " ]
    check "frames CSV: 3 frames of each run of $run" \
        [ "$(grep -cE "^$run,[12],[123],[0-9.]+,[0-9.]+$" "$work/frames.csv")" -eq 6 ]
done
check "the game's own chatter stays out of the table" absent "^(vao:|sizeof|screen->vao)" "$work/out"
check "nothing on standard error but progress lines" only_progress "$work/err"

env -u DISPLAY "$TARNWICK_BENCH_BIN" --compare "$work/all.csv" "$work/all.csv" --fail-slower 0 >"$work/out" 2>&1
status=$?
check "--compare runs without a display, status 0 (was $status)" [ "$status" -eq 0 ]
check "a file compared with itself: no change in all 15 scenes" [ "$(grep -c " no change$" "$work/out")" -eq 15 ]
"$(dirname "$0")/../../scripts/plot-bench" "$work/frames.csv" "$work/plot.png" >/dev/null 2>&1
check "scripts/plot-bench draws the frames CSV" [ "$(identify -format "%m %w" "$work/plot.png" 2>/dev/null)" = "PNG 1000" ]

# A barrage at the highest level through every window change: its shots and their GL objects go with
# them once it stops firing. 12 frames a cycle let a volley (one in 0.1 s) out at the bench's frame rate.
bench --scene barrage:cycle=12 --frames 80 --warmup 2 >"$work/out" 2>"$work/err"
status=$?
note=$(grep -E "^  barrage:level=4:enemies=50:cycle=12: " "$work/out")
fired=$(echo "$note" | sed -nE 's/.*: ([0-9]+) shots fired.*/\1/p')
made=$(echo "$note" | sed -nE 's/.* of their ([0-9]+) GL objects;.*/\1/p')
check "barrage exits 0 (was $status)" [ "$status" -eq 0 ]
check "barrage fired shots (${fired:-none})" [ "${fired:-0}" -gt 0 ]
check "barrage went through every window change" grep -qE "\), 6 window changes;" <<<"$note"
check "barrage left no shot and none of its ${made:-?} GL objects" \
    grep -qE "left 0 shots and 0 of their [1-9][0-9]* GL objects; resident memory [0-9]+ KiB$" <<<"$note"
check "barrage: nothing on standard error but progress lines" only_progress "$work/err"

# The options' messages are the unit test's; here only what main does with a bad one.
bench --scene nosuch >"$work/out" 2>"$work/err"
status=$?
check "a bad option exits 2 (was $status)" [ "$status" -eq 2 ]
check "a bad option explains itself in one line on standard error" \
    [ "$(grep -c "^tarnwick-bench: --scene: unknown scene 'nosuch'" "$work/err")" -eq 1 -a "$(wc -l <"$work/err")" -eq 1 ]

bench --list >"$work/out" 2>&1
check "--list names every scene" [ "$(grep -cE "^(empty|default|combat|blur|inspect|filters|culling|barrage)" "$work/out")" -eq 8 ]

finish
