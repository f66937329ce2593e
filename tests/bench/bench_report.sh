#!/usr/bin/env bash
# --report on the real tarnwick-bench, with one reference that matches and one that does not, and after
# --compare: report.json against its schema, junit.xml, and the page in headless Chromium. (--ab's and the
# driver matrix's reports are checked where those run.)
. "$(dirname "$0")/bench_check.sh"
: "${TARNWICK_REFERENCES:?}"
failure_names_its_diff() { # junit.xml report-dir: the failed case is the filter scene's reference, with its diff
    /usr/bin/python3 - "$1" "$2" <<'PY'
import os, sys, xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
cases = root.findall(".//testcase")
failed = [c for c in cases if c.find("failure") is not None]
assert root.get("tests") == str(len(cases)) == "5" and root.get("failures") == "1", tree.tostring(root)
assert (failed[0].get("classname"), failed[0].get("name")) == ("tarnwick-bench.filters:texture=1:mipmap=2", "reference")
diff = failed[0].find("failure").text.split("diff: ")[1]
assert diff.startswith(sys.argv[2]) and os.path.getsize(diff) > 0, diff
PY
}
messages_as_printed() { # out report.json: each reference check's message is its printed line, without the
    # label in front or the "ok" the verdict already says
    /usr/bin/python3 - "$1" "$2" <<'PY'
import json, sys
printed = {}
for line in open(sys.argv[1]):
    if line.startswith("reference "):
        label, message = line[len("reference "):].rstrip("\n").split(": ", 1)
        printed[label] = message[:-len(": ok")] if message.endswith(": ok") else message
report = json.load(open(sys.argv[2]))
shown = {s["label"]: c["message"] for s in report["scenes"] for c in s["checks"] if c["name"] == "reference"}
assert len(printed) == 2 and shown == printed, (printed, shown)
PY
}

# The default scene's reference matches; the filter scene's was made under another filter.
mkdir -p "$work/refs" && cp "$TARNWICK_REFERENCES/default.png" "$work/refs/"
cp "$TARNWICK_REFERENCES/filters_texture=0_mipmap=0.png" "$work/refs/filters_texture=1_mipmap=2.png"
bench --size 320x240 --frames 3 --warmup 0 --repeat 2 --scene default --scene filters:texture=1:mipmap=2 \
    --reference "$work/refs" --csv "$work/runs.csv" --report "$work/report" >"$work/out" 2>"$work/err"
status=$?
check "a differing frame still ends with status 3 (was $status)" [ "$status" -eq 3 ]
check "report.json meets its schema" schema_check "$work/report/report.json"
check "report.json: the reference lines' messages as printed" messages_as_printed "$work/out" "$work/report/report.json"
check "junit.xml: five cases, the failure names its diff picture" \
    failure_names_its_diff "$work/report/junit.xml" "$work/report"
check "no picture written into the reference folder but the failure's two" \
    [ "$(ls "$work/refs" | wc -l)" -eq 4 ]
check "the page in Chromium, at 1280 px and at phone width" page_check "$work/report" 1280 390
check "a passing scene shows no diff picture, the failing one does" \
    [ ! -e "$work/report/images/default-diff.png" -a -s "$work/report/images/filters_texture=1_mipmap=2-diff.png" ]
check "the run says where its page is" grep -qx "report: $work/report/index.html" "$work/out"

rm "$work/report/images/default-actual.png"
page_check "$work/report" 1280 >"$work/page" 2>&1
status=$?
check "a missing picture fails the page check (was $status)" [ "$status" -eq 1 ]
check "and it is named" grep -q "FAIL: 1280 px: image not loaded: images/default-actual.png" "$work/page"

env -u DISPLAY "$TARNWICK_BENCH_BIN" --compare "$work/runs.csv" "$work/runs.csv" --report "$work/compared" \
    >"$work/out" 2>&1
status=$?
check "--compare --report without a display, status 0 (was $status)" [ "$status" -eq 0 ]
check "its report.json meets the schema" schema_check "$work/compared/report.json"
check "its page in Chromium" page_check "$work/compared" 1280
check "its verdicts: no change for both scenes" [ "$(grep -o '"verdict":"no change"' "$work/compared/report.json" | wc -l)" -eq 4 ]
check "the run said nothing on standard error but progress lines" only_progress "$work/err"

# A results file cut inside a number is no smaller number: the file and the line are named. A gate with
# nothing compared does not pass.
{ head -n 1 "$work/runs.csv"; sed -n 2p "$work/runs.csv" | sed -E 's/^(([^,]*,){3}[0-9]+)\..*/\1/'; } >"$work/cut.csv"
env -u DISPLAY "$TARNWICK_BENCH_BIN" --compare "$work/runs.csv" "$work/cut.csv" >"$work/out" 2>"$work/err"
status=$?
check "--compare of a cut file: status 1 (was $status)" [ "$status" -eq 1 ]
check "and the file and line are named" grep -q "^tarnwick-bench: $work/cut.csv: line 2: 4 fields where the header has" "$work/err"
head -n 1 "$work/runs.csv" >"$work/empty.csv"
env -u DISPLAY "$TARNWICK_BENCH_BIN" --compare "$work/empty.csv" "$work/runs.csv" --fail-slower 5 >"$work/out" 2>"$work/err"
status=$?
check "--fail-slower with an empty base: status 5 (was $status)" [ "$status" -eq 5 ]
check "and the reason" grep -q "^cannot judge with --fail-slower: no scene is in both files$" "$work/out"

# An output folder that cannot be made ends the bench before its first scene, and says why.
: >"$work/a-file"
for option in --report --update-reference --csv; do
    target="$work/a-file/out"
    [ "$option" = --csv ] && target="$work/a-file/out/runs.csv"
    bench --size 320x240 --frames 3 --warmup 0 --scene default "$option" "$target" >"$work/out" 2>"$work/err"
    status=$?
    check "$option under a file: status 1 (was $status)" [ "$status" -eq 1 ]
    check "$option under a file: the reason, before any scene" \
        grep -qx "tarnwick-bench: cannot write $work/a-file/out/: Not a directory" "$work/err"
    check "$option under a file: no scene ran" [ ! -s "$work/out" ]
done
finish
