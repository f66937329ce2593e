#!/usr/bin/env bash
# A fatal message on a terminal stays until Enter is pressed, as the console's pause does; then the game ends
# with status 1. Without a terminal (every other test) it ends at once.
source "$(dirname "$0")/lib.sh"
copy_data
echo '}}' >>"$work/data/shaders/particle.geom"
mkfifo "$work/keys"
(cd "$work/data" && exec script -qfec "env LD_PRELOAD='$TARNWICK_PRELOAD' '$TARNWICK_BIN'" /dev/null \
    <"$work/keys" >"$work/tty" 2>&1) &
game_pid=$!
exec 3>"$work/keys"
for ((i = 0; i < 600; i++)); do grep -q "Press Enter" "$work/tty" && break; sleep 0.1; done
sleep 1
check "on a terminal the fatal message waits for Enter" kill -0 "$game_pid"
echo >&3
exec 3>&-
wait_game 30
check "after Enter it ends with status 1 (was $status)" [ "$status" -eq 1 ]
check "the terminal showed the message" grep -q "Compile failure in geometry shader" "$work/tty"
finish
