#!/usr/bin/env bash
# The installed game started as the desktop entry starts it (stdin /dev/null, a session of its own, a data
# folder of the player's own): fatal messages and "GAME OVER" in a box that Return dismisses, with a console
# run's statuses, unless the user asked for no box; the title's pause and frame rate; the run's log with one
# older copy.
source "$(dirname "$0")/lib.sh"
install_game
folder=$work/data-home/tarnwick
log=$work/state/tarnwick/last-run.log

launch() { # extra environment assignments...
    (cd "$work" && exec setsid -w env HOME="$work/home" XDG_DATA_HOME="$work/data-home" \
        XDG_STATE_HOME="$work/state" "$@" "$prefix/bin/tarnwick" >"$work/out" 2>"$work/err" </dev/null) &
    game_pid=$!
}

# The box's title names the message's first line, which standard error and the log had before it; Return
# dismisses it and the game ends with the status given.
dismiss_box() { # case-name first-line status
    local box
    box=$(timeout 60 xdotool search --sync --onlyvisible --name '^tarnwick: ' 2>/dev/null | head -n 1)
    check "$1: the box says '$2' (was '$(xdotool getwindowname "$box")')" \
        [ -n "$box" -a "$(xdotool getwindowname "$box")" = "Tarnwick: $2" ]
    check "$1: standard error and the log had it before" [ "$(grep -lxF "$2" "$work/err" "$log" | wc -l)" -eq 2 ]
    xdotool windowfocus --sync "$box" key Return
    wait_game 60
    check "$1: status $3 (was $status)" [ "$status" -eq "$3" ]
    check "$1: no sanitizer report" no_sanitizer_report
}

# Start-up failures with the window open and before any display exists.
mkdir -p "$folder"
for row in \
    "broken shader|rm -f shaders && cp -r $prefix/share/tarnwick/shaders . && echo '}}' >>shaders/particle.geom|Compile failure in geometry shader (shaders/particle.geom):" \
    "no display|rm -r shaders && printf 'width=-640\nheight=-480\n' >tarnwick.cfg|Could not init display."; do
    IFS='|' read -r name prepare message <<<"$row"
    (cd "$folder" && eval "$prepare") || fail "$name: preparation failed"
    launch
    dismiss_box "$name" "$message" 1
done
check "the older log is the run before" grep -qxF "Compile failure in geometry shader (shaders/particle.geom):" "$log.1"
# A script that asked for no box gets none, with no terminal either: the failure ends the run at once.
launch TARNWICK_MESSAGE_BOX=0
wait_game 20
box=$(xdotool search --onlyvisible --name '^tarnwick: ' 2>/dev/null | head -n 1)
check "asked for no box: status 1 at once (was $status)" [ "$status" -eq 1 ]
check "asked for no box: none appeared" [ -z "$box" ]
[ -z "$box" ] || xdotool windowfocus --sync "$box" key Return

# The game, paused at start, left to the boss once the frame rate shows.
rm "$folder/tarnwick.cfg"
launch
find_window || finish
check "the title says paused at start" wait_until 30 title_matches '^Tarnwick - paused \(F10 to play\)$'
wait_for_output "frames in" 30
check "after the first statistics line it shows the frame rate" \
    wait_until 10 title_matches '^Tarnwick - paused \(F10 to play\) - [0-9]+ FPS$'
xdotool key F10
check "after F10 it no longer says paused" wait_until 10 title_matches '^Tarnwick - [0-9]+ FPS$'
dismiss_box "game over" "GAME OVER" 0
finish
