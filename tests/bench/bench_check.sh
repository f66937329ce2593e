# Shared by the bench scripts: an X server of their own when the test gives none, a scratch folder, checks
# that count failures, and `finish` to report them.
set -u
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
: "${TARNWICK_BENCH_BIN:?}"
: "${TARNWICK_PRELOAD:=}"
work=$(mktemp -d /tmp/tarnwick-bench.XXXXXX)
failures=0
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi; }
bench() { env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" "$@" </dev/null; }
finish() { if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "kept $work"; exit 1; fi; }
