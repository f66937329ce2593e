#!/usr/bin/env bash
# A fatal message on a terminal stays until Enter is pressed, as the console's pause does; then the game ends
# with status 1. Without a terminal (every other test) it ends at once. Started on a terminal, the installed
# launcher asks for no message box, and the output shows as it comes.
source "$(dirname "$0")/lib.sh"
install_game
shaders=$work/data-home/tarnwick/shaders
mkdir -p "$(dirname "$shaders")" && cp -r "$prefix/share/tarnwick/shaders" "$shaders"
echo '}}' >>"$shaders/particle.geom"
mkfifo "$work/keys"
(cd "$work" && exec script -qfec "env HOME='$work' XDG_DATA_HOME='$work/data-home' '$prefix/bin/tarnwick'" \
    /dev/null <"$work/keys" >"$work/tty" 2>&1) &
game_pid=$!
exec 3>"$work/keys"
wait_until 60 grep -q "Press Enter" "$work/tty"
sleep 1
check "on a terminal the fatal message waits for Enter" kill -0 "$game_pid"
check "no message box" [ -z "$(xdotool search --onlyvisible --name '^tarnwick: ' 2>/dev/null)" ]
check "the model's import lines showed before the end" grep -q "^num meshes 1" "$work/tty"
echo >&3
exec 3>&-
wait_game 30
check "after Enter it ends with status 1 (was $status)" [ "$status" -eq 1 ]
check "the terminal showed the message" grep -q "Compile failure in geometry shader" "$work/tty"
finish
