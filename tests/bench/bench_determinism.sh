#!/usr/bin/env bash
# Two runs of tarnwick-bench with the same seed and fixed time step save identical screenshots of a busy
# combat frame and of a motion-blurred frame; another seed gives a different combat frame.
set -u
# Without the test's X server, one of its own.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
: "${TARNWICK_BENCH_BIN:?}"
: "${TARNWICK_PRELOAD:=}"
work=$(mktemp -d /tmp/tarnwick-bench-determinism.XXXXXX)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
differ() { ! cmp -s "$1" "$2"; }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

# Frames 1-40 are combat (shots and enemies spawned from the seed), 41-60 the blurred start scene.
shoot() { # seed name
    env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BENCH_BIN" --seed "$1" --fixed-dt 0.02 --warmup 0 --frames 20 \
        --scene combat:enemies=150:shots=300 --scene combat:enemies=150:shots=300 --scene blur \
        --screenshot "40:$work/$2-combat.png" --screenshot "60:$work/$2-blur.png" \
        >"$work/$2.out" 2>"$work/$2.err" </dev/null
}
shoot 7 a
check "first run exits 0" [ $? -eq 0 ]
shoot 7 b
check "second run exits 0" [ $? -eq 0 ]
shoot 8 c
check "other seed exits 0" [ $? -eq 0 ]
for f in a-combat a-blur b-combat b-blur c-combat; do
    check "$f.png is a PNG" [ "$(head -c 8 "$work/$f.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ]
done
check "same seed and dt: identical combat screenshots" cmp -s "$work/a-combat.png" "$work/b-combat.png"
check "same seed and dt: identical blurred screenshots" cmp -s "$work/a-blur.png" "$work/b-blur.png"
check "another seed: a different combat screenshot" differ "$work/a-combat.png" "$work/c-combat.png"
# The frame holds more than the backdrop: a good share of the image is the enemies' green wireframe.
if command -v convert >/dev/null; then
    green=$(convert "$work/a-combat.png" -fx "g>0.6 && r<0.4 && b<0.4 ? 1 : 0" -format "%[fx:mean*w*h]" info:)
    check "combat frame shows wireframe enemies ($green green pixels)" [ "${green%.*}" -gt 500 ]
fi
if [ "$failures" -eq 0 ]; then rm -rf "$work"; else echo "kept $work"; exit 1; fi
