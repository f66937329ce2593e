#!/bin/sh
# A stand-in for tarnwick-bench in the A/B runner's tests. It logs "SIDE scenes | other options" to
# $STUB_DIR/log and writes the --report folder's report.json with a run per --scene whose p50_ms = 10 *
# STUB_SCALE_<scene> * the n-th of the comma-separated STUB_NOISE_<scene> on the side's n-th call *
# STUB_DRIFT ^ (calls before, both sides), and gpu_p50_ms = p50_ms * STUB_GPU_SCALE (none: no GPU time).
# With --metric instructions each run also has instructions per frame: the n-th of the comma-separated
# STUB_COUNT_<scene> on the side's n-th call.
set -eu
scenes="" report="" rest=""
while [ $# -gt 0 ]; do
    case "$1" in
    --scene) scenes="$scenes $2"; shift ;;
    --report) report=$2; shift ;;
    *) rest="$rest $1" ;;
    esac
    shift
done
before=$(cat "$STUB_DIR/calls" 2>/dev/null || echo 0)
echo $((before + 1)) >"$STUB_DIR/calls"
mine=$(($(cat "$STUB_DIR/calls.$STUB_SIDE" 2>/dev/null || echo 0) + 1))
echo $mine >"$STUB_DIR/calls.$STUB_SIDE"
echo "$STUB_SIDE$scenes |$rest" >>"$STUB_DIR/log"
[ -z "${STUB_STATUS:-}" ] || { echo "stub: failing on purpose" >&2; exit "$STUB_STATUS"; }
[ -z "${STUB_NO_REPORT:-}" ] || exit 0
mkdir -p "$report"
{
    printf '{"command_line": "stub", "origins": [{"name": "stub", "renderer": "%s", "gl_version": "4.5",' \
        "${STUB_RENDERER:-stub}"
    printf ' "cpu": "cpu", "kernel": "Linux 6", "driver_environment": {}, "build": "v1",'
    printf ' "date": "2025-01-01T00:00:00Z"}], "checks": [], "scenes": ['
    comma=""
    for s in $scenes; do
        eval "scale=\${STUB_SCALE_$s:-1} noise=\${STUB_NOISE_$s:-1} counts=\${STUB_COUNT_$s:-}"
        case "$rest" in *"--metric instructions"*) ;; *) counts="" ;; esac
        awk -v s="$s" -v scale="$scale" -v noise="$noise" -v n="$mine" -v drift="${STUB_DRIFT:-1.05}" \
            -v before="$before" -v comma="$comma" -v gpu="${STUB_GPU_SCALE:-1}" -v counts="$counts" 'BEGIN {
            k = split(noise, f, ",")
            p50 = 10 * scale * f[(n - 1) % k + 1] * exp(before * log(drift))
            printf "%s{\"label\": \"%s\", \"checks\": [], \"runs\": [{\"origin\": 0, \"run\": 1, \"frames\": 3,", comma, s
            printf " \"mean_fps\": 100.0, \"p50_ms\": %.6f, \"p95_ms\": 1, \"p99_ms\": 1, \"max_ms\": 1,", p50
            if (gpu != "none")
                printf " \"gpu_p50_ms\": %.6f,", p50 * gpu
            printf " \"cpu_ms\": 0.1, \"frame_ms\": [1, 1, 1]"
            if (counts != "") {
                k = split(counts, c, ",")
                printf ", \"instructions\": {\"frames\": 3, \"per_frame\": %s, \"program\": 0,", c[(n - 1) % k + 1]
                printf " \"gl_driver\": 0, \"other\": 0}"
            }
            printf "}]}"
        }'
        comma=", "
    done
    printf ']}\n'
} >"$report/report.json"
