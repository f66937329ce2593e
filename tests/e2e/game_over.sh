#!/usr/bin/env bash
# The game's own console run, unpaused and left alone until the boss reaches the player: standard error says
# "GAME OVER" and the prompt, no box appears, the prompt waits on the terminal, and Enter ends the game with
# status 0.
source "$(dirname "$0")/lib.sh"
copy_data
mkfifo "$work/keys"
(cd "$work/data" && exec script -qfec "env -u TARNWICK_MESSAGE_BOX LD_PRELOAD='$TARNWICK_PRELOAD' \
    '$TARNWICK_BIN' >'$work/out' 2>'$work/err'" /dev/null <"$work/keys" >"$work/tty" 2>&1) &
game_pid=$!
exec 3>"$work/keys"
find_window || finish
xdotool key F10
wait_until 90 grep -q "Press Enter" "$work/err"
sleep 1
check "GAME OVER waits for Enter on a terminal" kill -0 "$game_pid"
check "no message box" [ -z "$(xdotool search --onlyvisible --name '^tarnwick: ' 2>/dev/null)" ]
# A game that did not wait has no reader left on the keys.
kill -0 "$game_pid" 2>/dev/null && echo >&3
exec 3>&-
wait_game 30
check "after Enter it ends with status 0 (was $status)" [ "$status" -eq 0 ]
check "standard error is GAME OVER and the prompt, nothing else" \
    [ "$(cat "$work/err")" = "$(printf 'GAME OVER\nPress Enter to continue . . .')" ]
check "no sanitizer report" no_sanitizer_report
finish
