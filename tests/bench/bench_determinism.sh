#!/usr/bin/env bash
# Two runs of tarnwick-bench with the same seed and fixed time step save identical screenshots of a busy
# combat frame and of a motion-blurred frame; another seed gives a different combat frame.
. "$(dirname "$0")/bench_check.sh"

# Frames 1-40 are combat (shots and enemies spawned from the seed), 41-60 the blurred start scene.
differ() { ! cmp -s "$1" "$2"; }
shoot() { # seed name
    bench --seed "$1" --fixed-dt 0.02 --warmup 0 --frames 20 --scene combat:enemies=150:shots=300 \
        --scene combat:enemies=150:shots=300 --scene blur --screenshot "40:$work/$2-combat.png" \
        --screenshot "60:$work/$2-blur.png" >"$work/$2.out" 2>"$work/$2.err"
}
for run in "7 a" "7 b" "8 c"; do
    # shellcheck disable=SC2086
    shoot $run
    check "run with seed and name '$run' exits 0" [ $? -eq 0 ]
done
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
finish
