#!/usr/bin/env bash
# The real tarnwick-bench headless with no X server: every scene's rows and CSV files, --compare, --ab and
# their reports, and the statuses and messages of main's failures. No timing is checked.
TARNWICK_NO_X=1
. "$(dirname "$0")/bench_check.sh"
absent() { ! grep -qE "$1" "$2"; }

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
    check "frames CSV: 3 frames of each run of $run, the GPU time last where there is one" \
        [ "$(grep -cE "^$run,[12],[123],[0-9.]+,[0-9.]+,[0-9.]*$" "$work/frames.csv")" -eq 6 ]
done
check "every measured frame has its GPU time, or a line says why none has" \
    eval '! grep -q ",$" "$work/frames.csv" || grep -q "^GPU time: not available (.\+)$" "$work/out"'
check "the game's own chatter stays out of the table" absent "^(vao:|sizeof|screen->vao)" "$work/out"
check "nothing on standard error but progress lines" only_progress "$work/err"

"$TARNWICK_BENCH_BIN" --compare "$work/all.csv" "$work/all.csv" --fail-slower 0 >"$work/out" 2>&1
status=$?
check "--compare runs, status 0 (was $status)" [ "$status" -eq 0 ]
check "a file compared with itself: no change in all 15 scenes" [ "$(grep -c " no change$" "$work/out")" -eq 15 ]
"$(dirname "$0")/../../scripts/plot-bench" "$work/frames.csv" "$work/plot.png" >/dev/null 2>&1
check "scripts/plot-bench draws the frames CSV" [ "$(identify -format "%m %w" "$work/plot.png" 2>/dev/null)" = "PNG 1000" ]
# The legend names the file as it is: with underscores it is as wide as with x in their place (gnuplot's
# enhanced text would drop them and set what follows as subscripts, narrower).
legend_width() { # the width of the first file's colour in the plot's head
    "$(dirname "$0")/../../scripts/plot-bench" "$1" "$work/legend.png" >/dev/null 2>&1 &&
        convert "$work/legend.png" -crop 1000x45+0+0 +repage -fuzz 25% -fill white +opaque '#1f5fbf' -trim \
            -format %w info:
}
cp "$work/frames.csv" "$work/frames_of_one_run.csv" && cp "$work/frames.csv" "$work/framesxofxonexrun.csv"
underscores=$(legend_width "$work/frames_of_one_run.csv") plain=$(legend_width "$work/framesxofxonexrun.csv")
near() { [ -n "$1" ] && [ -n "$2" ] && [ $(($2 - $1)) -le 5 ]; }
check "plot-bench keeps underscores in names (${underscores:-?} px against ${plain:-?})" near "$underscores" "$plain"

check_barrage
check_frame_ends

# --ab on GPU time alone: each process's median GPU time, in the report as the metric compared.
bench --ab --metric gpu --scene default --frames 3 --warmup 1 --min-rounds 2 --max-rounds 2 \
    --report "$work/ab-gpu" >"$work/out" 2>"$work/err"
status=$?
check "--ab --metric gpu exits 0 and says nothing on standard error (was $status)" [ "$status" -eq 0 -a ! -s "$work/err" ]
check "--ab --metric gpu: B's median gpu time over A's" grep -q "B's median gpu time over A's" "$work/out"
check "--ab --metric gpu: its report names the metric and meets the schema" eval \
    '[ "$(/usr/bin/python3 -c "import json; print(json.load(open(\"$work/ab-gpu/report.json\"))[\"metric\"])")" = gpu ] &&
    schema_check "$work/ab-gpu/report.json"'

# --ab with this bench on both sides, B under one rasterizer thread: the output's form only (two rounds of
# three frames judge nothing), and its report.
bench --ab --scene empty --scene default --frames 3 --warmup 1 --min-rounds 2 --max-rounds 2 \
    --b-env LP_NUM_THREADS=1 --csv "$work/ab.csv" --report "$work/ab-report" >"$work/out" 2>"$work/err"
status=$?
check "--ab exits 0 and says nothing on standard error (was $status)" [ "$status" -eq 0 -a ! -s "$work/err" ]
check "--ab: per scene its ratio, interval, rounds, the change it could see and verdict" [ "$(grep -cE \
    "^(empty|default) +[0-9.]+ +[0-9.]+ +[0-9.]+ +2 +[0-9.]+  (no change|faster|slower|inconclusive)$" "$work/out")" -eq 2 ]
check "--ab names what B's processes ran under" grep -q "driver_env: (none) in A, 'LP_NUM_THREADS=1' in B" "$work/out"
check "--ab CSV: its columns, then a row per scene with each side's driver" [ "$(head -1 "$work/ab.csv")" = \
    "scene,ratio,low,high,rounds,verdict,threshold_pct,a_p50_ms,b_p50_ms,a_renderer,a_gl_version,a_cpu,a_kernel,\
a_driver_env,a_build,a_date,b_renderer,b_gl_version,b_cpu,b_kernel,b_driver_env,b_build,b_date,\
a_instructions_per_frame,b_instructions_per_frame,count_spread_pct" -a \
    "$(grep -cE "^(empty|default),([0-9.]+,){4}[a-z ]+,3.00,[0-9.]+,[0-9.]+,.*,,.*,LP_NUM_THREADS=1," "$work/ab.csv")" -eq 2 ]

ab_report_agrees() { # out report.json: each printed scene's B/A and verdict are the report's
    /usr/bin/python3 - "$1" "$2" <<'PY'
import json, re, sys
report = json.load(open(sys.argv[2]))
printed = re.findall(r"^(\S+) +([0-9.]+) +\S+ +\S+ +\d+ +\S+  (.+)$", open(sys.argv[1]).read(), re.M)
shown = [(s["label"], "%.3f" % s["comparison"]["frame_time_ratio"], s["comparison"]["verdict"]) for s in report["scenes"]]
assert report["mode"] == "ab" and printed == shown, (printed, shown)
PY
}
check "--ab --report: report.json meets its schema" schema_check "$work/ab-report/report.json"
check "--ab --report: the scenes' ratios and verdicts as printed" ab_report_agrees "$work/out" "$work/ab-report/report.json"
check "--ab --report: the page in Chromium, at 1280 px and at phone width" page_check "$work/ab-report" 1280 390

# Every label the table and the CSV print, given back to --scene as printed, runs that run alone (README's
# table is held to the scenes by the unit test).
labels=$(tail -n +2 "$work/all.csv" | cut -d, -f1 | uniq)
scene_args=()
for label in $labels; do scene_args+=(--scene "$label"); done
bench "${scene_args[@]}" --frames 1 --warmup 0 --csv "$work/again.csv" >"$work/out" 2>"$work/err"
status=$?
check "the CSV's 15 labels run back as typed, status 0 (was $status)" [ "$status" -eq 0 -a "${#scene_args[@]}" -eq 30 ]
check "each label ran its own run alone" [ "$(tail -n +2 "$work/again.csv" | cut -d, -f1 | tr '\n' ' ')" = "$(echo $labels) " ]

# The options' messages are the unit test's; here only what main does with a bad one.
bench --scene nosuch >"$work/out" 2>"$work/err"
status=$?
check "a bad option exits 2 (was $status)" [ "$status" -eq 2 ]
check "a bad option explains itself in one line on standard error" \
    [ "$(grep -c "^tarnwick-bench: --scene: unknown scene 'nosuch'" "$work/err")" -eq 1 -a "$(wc -l <"$work/err")" -eq 1 ]

bench --startup --scene default >"$work/out" 2>"$work/err"
status=$?
check "--startup prints its one line and nothing else, status 0 (was $status)" \
    [ "$status" -eq 0 -a "$(grep -cvE "^start-up: first frame presented [0-9]+ ms after process start$" "$work/out")" -eq 0 \
    -a "$(wc -l <"$work/out")" -eq 1 ]

# GLVND pointed at a vendor list that does not exist: EGL then offers no platform at all.
__EGL_VENDOR_LIBRARY_FILENAMES=$work/none.json bench --scene empty >"$work/out" 2>"$work/err"
status=$?
check "no surfaceless EGL ends with status 1 (was $status)" [ "$status" -eq 1 ]
check "no surfaceless EGL says so in one line on standard error" [ "$(cat "$work/err")" = \
    "tarnwick-bench: no headless OpenGL context: EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)" ]

bench --list >"$work/out" 2>&1
check "--list names every scene" [ "$(grep -cE "^(empty|default|combat|blur|inspect|filters|effects|culling|barrage)" "$work/out")" -eq 9 ]

finish
