#!/usr/bin/env bash
# A slow start-up does not shorten the first statistics interval: with set-up held up for longer than an
# interval, the first "N frames in T seconds" line still comes an interval after the loop began.
source "$(dirname "$0")/lib.sh"
copy_data
hold=6

# Starts the game with its standard output on a socket with the smallest send buffer, left unread for $hold
# seconds: set-up prints enough to fill it, so it waits until then. The lines then go on to $work/out.
(cd "$work/data" && exec /usr/bin/python3 -c '
import os, socket, subprocess, sys, time
hold, binary, preload = float(sys.argv[1]), sys.argv[2], sys.argv[3]
ours, theirs = socket.socketpair()
theirs.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1)
env = dict(os.environ, LD_PRELOAD=preload)
game = subprocess.Popen([binary], stdin=subprocess.DEVNULL, stdout=theirs, env=env)
theirs.close()
time.sleep(hold)
for line in ours.makefile("rb"):
    sys.stdout.buffer.write(line)
    sys.stdout.flush()
sys.exit(game.wait())
' "$hold" "$TARNWICK_BIN" "$TARNWICK_PRELOAD" >"$work/out" 2>"$work/err" </dev/null) &
game_pid=$!
find_window || finish
wait_for_output "frames in" 30
seconds=$(awk '/ frames in /{print $4; exit}' "$work/out")
check "the first statistics line covers one interval, not the start-up ($seconds s)" \
    awk -v s="${seconds:-99}" 'BEGIN{exit !(s >= 5 && s < 5.9)}'
xdotool key Escape
wait_game 30
check "Escape ends it with status 1 (was $status)" [ "$status" -eq 1 ]
check "no sanitizer report" no_sanitizer_report
finish
