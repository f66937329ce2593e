#!/usr/bin/env bash
# The game's own console run, its set-up held up past a statistics interval, then unpaused and left alone until
# the boss reaches the player: the first statistics line still covers one interval of the loop, not the
# start-up; standard error holds "GAME OVER" and the prompt only, no box appears, the prompt waits on the
# terminal, and Enter ends the game with status 0.
source "$(dirname "$0")/lib.sh"
copy_data
mkfifo "$work/keys"
# Runs the command with standard output on a socket with the smallest send buffer, left unread for the first
# argument's seconds: set-up prints enough to fill it, so it waits until then. The lines go on to $work/out.
cat >"$work/held.py" <<'PY'
import socket, subprocess, sys, time
ours, theirs = socket.socketpair()
theirs.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1)
game = subprocess.Popen(sys.argv[4:], stdout=theirs, stderr=open(sys.argv[3], "wb"))
theirs.close()
time.sleep(float(sys.argv[1]))
with open(sys.argv[2], "wb") as out:
    for line in ours.makefile("rb"):
        out.write(line)
        out.flush()
sys.exit(game.wait())
PY
(cd "$work/data" && exec script -qfec "/usr/bin/python3 '$work/held.py' 6 '$work/out' '$work/err' \
    env -u TARNWICK_MESSAGE_BOX LD_PRELOAD='$TARNWICK_PRELOAD' '$TARNWICK_BIN'" /dev/null \
    <"$work/keys" >"$work/tty" 2>&1) &
game_pid=$!
exec 3>"$work/keys"
find_window || finish
xdotool key F10
wait_for_output "frames in" 30
seconds=$(awk '/ frames in /{print $4; exit}' "$work/out")
check "the first statistics line covers one interval, not the start-up ($seconds s)" \
    awk -v s="${seconds:-99}" 'BEGIN{exit !(s >= 5 && s < 5.9)}'
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
finish
