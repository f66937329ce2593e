#!/usr/bin/env bash
# Soak run in two parts, both in a copied data folder under the test's X server.
# 1. tarnwick-bench's combat scene (enemies and shots held constant by respawning) for SOAK_SECONDS, as
#    one-minute scenes in one process: resident memory after the first scene and at the end (growth at most
#    2 MiB), GL errors (none, from the bench's glGetError report and Mesa's MESA_DEBUG report), frame time
#    p99 of the first and the last scene (within 10 %). Skipped with a note when the bench is not built.
# 2. The real game under xdotool for SOAK_GAME_SECONDS: paused (enemies would end the game within
#    seconds), it fires continuously while turning the camera, resizing the window to very large and to
#    nothing and toggling motion blur and culling; then it stops firing, resumes the game briefly so the shots
#    leave, and fires once more (the GL names are reported). No GL error and no crash may appear.
# Usage: SOAK_SECONDS=600 SOAK_GAME_SECONDS=120 bash tests/soak/soak.sh   (defaults 60 and 30)
source "$(dirname "$0")/../e2e/lib.sh"
bench_seconds=${SOAK_SECONDS:-60}
game_seconds=${SOAK_GAME_SECONDS:-30}
bench=${TARNWICK_BENCH:-$(dirname "$TARNWICK_BIN")/tarnwick-bench}
report=${SOAK_REPORT:-$work/report}
: >"$report"
say() { echo "$*" | tee -a "$report"; }
rss_kib() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }
# Mesa reports every GL error on standard error when MESA_DEBUG is set.
export MESA_DEBUG=1
copy_data

# --- 1. bench combat scene
if [ -x "$bench" ] && "$bench" --list 2>/dev/null | grep -q '^ *combat'; then
    # Frames per one-minute scene from a short calibration run.
    fps=$(cd "$work/data" && LD_PRELOAD="$TARNWICK_PRELOAD" "$bench" --scene combat --frames 300 --warmup 10 2>/dev/null |
        awk '$1 ~ /^combat/ {print int($3)}')
    scenes=$(((bench_seconds + 59) / 60))
    [ "$scenes" -lt 2 ] && scenes=2
    frames=$(((${fps:-100} * bench_seconds) / scenes))
    [ "$frames" -lt 100 ] && frames=100
    args=()
    for ((i = 0; i < scenes; i++)); do args+=(--scene combat); done
    (cd "$work/data" && exec env LD_PRELOAD="$TARNWICK_PRELOAD" "$bench" "${args[@]}" --frames "$frames" \
        --warmup 30 >"$work/bench.out" 2>"$work/bench.err") &
    bench_pid=$!
    samples=()
    while kill -0 "$bench_pid" 2>/dev/null; do
        samples+=("$(rss_kib "$bench_pid")")
        sleep 1
    done
    wait "$bench_pid"
    bench_status=$?
    rows=$(awk '$1 ~ /^combat/' "$work/bench.out")
    p99_first=$(echo "$rows" | head -n 1 | awk '{print $6}')
    p99_last=$(echo "$rows" | tail -n 1 | awk '{print $6}')
    # The first sample after the first scene (a minute in) against the last one before the end.
    first_index=$(((${#samples[@]} / scenes) + 1))
    [ "$first_index" -ge ${#samples[@]} ] && first_index=$((${#samples[@]} - 1))
    rss_first=${samples[$first_index]:-0}
    rss_last=0
    for ((i = ${#samples[@]} - 1; i >= 0; i--)); do
        [ -n "${samples[$i]}" ] && { rss_last=${samples[$i]}; break; }
    done
    growth=$((rss_last - rss_first))
    bench_errors=$(grep -c 'GL error\|Mesa: User error' "$work/bench.err")
    say "bench: $scenes combat scenes of $frames frames (~${bench_seconds} s, calibrated at ${fps:-?} FPS)"
    say "bench resident memory: $rss_first KiB after scene 1, $rss_last KiB at the end (growth $growth KiB)"
    say "bench frame time p99: $p99_first ms in the first scene, $p99_last ms in the last"
    say "bench GL errors: $bench_errors"
    check "bench ended normally (status $bench_status)" [ "$bench_status" -eq 0 ]
    check "bench ran every scene" [ "$(echo "$rows" | grep -c .)" -eq "$scenes" ]
    # ASan keeps freed blocks in quarantine (up to 256 MiB), so resident memory says nothing there.
    if [ -z "$TARNWICK_PRELOAD" ]; then
        check "bench resident memory grew by at most 2 MiB ($growth KiB)" [ "$growth" -le 2048 ]
    else
        say "bench resident memory not bounded under the sanitizers (ASan's quarantine holds freed blocks)"
    fi
    p50_first=$(echo "$rows" | head -n 1 | awk '{print $4}')
    p50_last=$(echo "$rows" | tail -n 1 | awk '{print $4}')
    say "bench frame time p50: $p50_first ms in the first scene, $p50_last ms in the last"
    # On a shared machine the p99 of a one-minute run moves with the neighbours' load: the short run in the
    # test suite holds the median to the bound, the full soak (SOAK_STRICT=1) the p99.
    if [ -n "${SOAK_STRICT:-}" ]; then
        check "bench frame time p99 within 10 % ($p99_first ms, $p99_last ms)" \
            awk -v a="$p99_first" -v b="$p99_last" 'BEGIN {exit !(a > 0 && b <= a * 1.10)}'
    else
        check "bench frame time p50 within 10 % ($p50_first ms, $p50_last ms)" \
            awk -v a="$p50_first" -v b="$p50_last" 'BEGIN {exit !(a > 0 && b <= a * 1.10)}'
    fi
    check "bench: no GL errors ($bench_errors)" [ "$bench_errors" -eq 0 ]
    check "bench: no sanitizer report" bash -c "! grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' '$work/bench.err'"
else
    say "bench: $bench with a combat scene not found; bench part skipped"
fi

# --- 2. the game under xdotool
max_shot_vao() { sed -n "$1,$2p" "$work/out" | awk '/^vao: / {if ($2 > m) m = $2} END {print m + 0}'; }
start_game
find_window || finish
wait_for_output '^screen->vao' 60
xdotool mousemove --window "$win" 400 300 mousedown 1
sizes=(1024x768 4096x4096 0x0 640x480 1x1 1280x1024 800x600)
started=$SECONDS
cycle=0
rss_game_first=$(rss_kib "$game_pid")
while [ $((SECONDS - started)) -lt "$game_seconds" ]; do
    kill -0 "$game_pid" 2>/dev/null || break
    xdotool windowfocus "$win" 2>/dev/null
    xdotool keydown a sleep 1 keyup a keydown d sleep 1 keyup d
    size=${sizes[$((cycle % ${#sizes[@]}))]}
    xdotool windowsize "$win" "${size%x*}" "${size#*x}" 2>/dev/null
    xdotool key F12
    [ $((cycle % 2)) -eq 1 ] && xdotool key F8
    xdotool mousemove --window "$win" 300 200 mousedown 1
    cycle=$((cycle + 1))
done
xdotool mouseup 1
xdotool windowsize "$win" 800 600 2>/dev/null
sleep 1
shots=$(grep -c '^vao: ' "$work/out")
vao_firing=$(max_shot_vao 1 '$')
# Resume the game until every shot has left the play area, pause again, fire one more volley.
xdotool key F10 sleep 1.5 key F10
line_idle=$(($(wc -l <"$work/out") + 1))
xdotool mousemove --window "$win" 400 300 mousedown 1 sleep 0.3 mouseup 1
sleep 1
vao_after=$(max_shot_vao "$line_idle" '$')
rss_game_end=$(rss_kib "$game_pid")
xdotool key Escape
wait_game 60
game_errors=$(grep -c 'Mesa: User error' "$work/err")
say "game: $game_seconds s, $cycle resize/toggle cycles, $shots shots fired while paused"
say "game shot vao names: up to $vao_firing while firing, $vao_after for a volley after they left"
say "game resident memory: $rss_game_first KiB at the start, $rss_game_end KiB at the end (live paused shots included)"
say "game GL errors: $game_errors"
check "game: shots were fired" [ "$shots" -gt 3 ]
check "game: a volley after the pause was fired ($vao_after)" [ "$vao_after" -gt 0 ]
check "game: no GL errors ($game_errors)" [ "$game_errors" -eq 0 ]
check "game: Escape ends with status 1 (was $status)" [ "$status" -eq 1 ]
check "game: no sanitizer report" no_sanitizer_report
finish
