#!/bin/sh
# A stand-in for tarnwick-bench in the A/B runner's tests. It logs "SIDE scenes | other options" to
# $STUB_DIR/log and writes a --csv row per --scene with p50_ms = 10 * STUB_SCALE_<scene> * the n-th of the
# comma-separated STUB_NOISE_<scene> on the side's n-th call * STUB_DRIFT ^ (calls before, both sides).
set -eu
scenes="" csv="" rest=""
while [ $# -gt 0 ]; do
    case "$1" in
    --scene) scenes="$scenes $2"; shift ;;
    --csv) csv=$2; shift ;;
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
echo "scene,run,frames,mean_fps,p50_ms,p95_ms,p99_ms,max_ms,cpu_ms,renderer,gl_version,cpu,kernel,driver_env,build,date" >"$csv"
for s in $scenes; do
    eval "scale=\${STUB_SCALE_$s:-1} noise=\${STUB_NOISE_$s:-1}"
    awk -v s="$s" -v scale="$scale" -v noise="$noise" -v n="$mine" -v drift="${STUB_DRIFT:-1.05}" \
        -v before="$before" -v renderer="${STUB_RENDERER:-stub}" 'BEGIN {
        k = split(noise, f, ",")
        p50 = 10 * scale * f[(n - 1) % k + 1] * exp(before * log(drift))
        printf "%s,1,3,100.0,%.6f,1,1,1,0.1,%s,4.5,cpu,Linux 6,,v1,2025-01-01T00:00:00Z\n", s, p50, renderer
    }' >>"$csv"
done
