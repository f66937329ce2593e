#!/usr/bin/env bash
# The installed game started as the desktop entry starts it: no terminal (standard input from /dev/null, a
# session of its own). Fatal messages and "GAME OVER" come in a box that Return dismisses, with the statuses of
# a console run; the title says whether the game is paused and, after the first statistics line, its frame
# rate; the launcher keeps the run's output in a log with one older copy. On a terminal no box appears and
# the output shows live.
source "$(dirname "$0")/lib.sh"
install_game
mkdir -p "$work/elsewhere"
folder=$work/data-home/tarnwick
log=$work/state/tarnwick/last-run.log

launch() { # command prefix...
    (cd "$work/elsewhere" && exec "$@" env HOME="$work/home" XDG_DATA_HOME="$work/data-home" \
        XDG_STATE_HOME="$work/state" "$prefix/bin/tarnwick" >"$work/out" 2>"$work/err" </dev/null) &
    game_pid=$!
}

ends_with() { # case-name status
    wait_game 60
    check "$1: status $2 (was $status)" [ "$status" -eq "$2" ]
    check "$1: no sanitizer report" no_sanitizer_report
}

# Waits for the message box, checks that its title names the message's first line and that standard error
# and the log had the message before it, keeps a screenshot, and dismisses it with Return.
dismiss_box() { # case-name first-line
    local box name
    box=$(timeout 60 xdotool search --sync --onlyvisible --name '^tarnwick: ' 2>/dev/null | head -n 1)
    if [ -z "$box" ]; then
        fail "$1: no message box"
        return 1
    fi
    name=$(xdotool getwindowname "$box")
    check "$1: the box says '$2' (was '$name')" [ "$name" = "Tarnwick: $2" ]
    check "$1: standard error had it before the box" grep -qxF "$2" "$work/err"
    check "$1: so had the log" grep -qxF "$2" "$log"
    import -window root "$work/$1.png"
    xdotool windowfocus --sync "$box"
    xdotool key Return
}

title_becomes() { # description pattern seconds
    wait_for_title "$2" "$3"
    local matched=$?
    check "$1 (was '$title')" [ "$matched" -eq 0 ]
}

# Start-up failures with the window open and before any display exists.
cases=(
    "broken shader|rm -f shaders && cp -r $prefix/share/tarnwick/shaders . && echo '}}' >>shaders/particle.geom|Compile failure in geometry shader (shaders/particle.geom):"
    "no display|rm -r shaders && printf 'width=-640\nheight=-480\n' >tarnwick.cfg|Could not init display."
)
mkdir -p "$folder"
for row in "${cases[@]}"; do
    IFS='|' read -r name prepare message <<<"$row"
    (cd "$folder" && eval "$prepare") || fail "$name: preparation failed"
    launch setsid -w
    dismiss_box "$name" "$message"
    ends_with "$name" 1
done
check "the older log is the run before" grep -qxF "Compile failure in geometry shader (shaders/particle.geom):" "$log.1"

# The game, paused at start, left to the boss once the frame rate shows.
rm "$folder/tarnwick.cfg"
launch setsid -w
find_window || finish
title_becomes "the title says paused at start" '^Tarnwick - paused \(F10 to play\)' 30
wait_for_output "frames in" 30
title_becomes "after the first statistics line it shows the frame rate" \
    '^Tarnwick - paused \(F10 to play\) - [0-9]+ FPS$' 10
xdotool key F10
title_becomes "after F10 it no longer says paused" '^Tarnwick - [0-9]+ FPS$' 10
dismiss_box "game over" "GAME OVER"
ends_with "game over" 0

# On a terminal the message waits for Enter, without a box, and the output shows as it comes.
echo '}}' >>"$folder/shaders/particle.geom"
mkfifo "$work/keys"
(cd "$work/elsewhere" && exec script -qfec "env HOME='$work/home' XDG_DATA_HOME='$work/data-home' \
    XDG_STATE_HOME='$work/state' '$prefix/bin/tarnwick'" /dev/null <"$work/keys" >"$work/tty" 2>&1) &
game_pid=$!
exec 3>"$work/keys"
for ((i = 0; i < 600; i++)); do grep -q "Press Enter" "$work/tty" && break; sleep 0.1; done
check "on a terminal: no box" [ -z "$(xdotool search --onlyvisible --name '^tarnwick: ' 2>/dev/null)" ]
check "on a terminal: the model's import lines showed before the end" grep -q "^num meshes 1" "$work/tty"
echo >&3
exec 3>&-
wait_game 30
check "on a terminal: after Enter status 1 (was $status)" [ "$status" -eq 1 ]
finish
