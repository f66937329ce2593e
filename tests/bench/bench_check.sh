# The bench scripts' start: the end-to-end helpers (an X server of its own, a scratch folder, check and finish)
# and the real tarnwick-bench with the sanitizer preload.
source "$(dirname "$0")/../e2e/lib.sh"
bench() { env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" "$@" </dev/null; }
