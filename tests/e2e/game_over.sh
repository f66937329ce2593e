#!/usr/bin/env bash
# Unpaused and left alone, the boss reaches the player: "GAME OVER" on standard error and exit status 0.
source "$(dirname "$0")/lib.sh"
copy_data
start_game
find_window || finish
xdotool key F10
wait_game 90
check "exit status 0 after the game ends (was $status)" [ "$status" -eq 0 ]
check "standard error says GAME OVER" [ "$(grep -v '^$' "$work/err")" = "GAME OVER" ]
finish
