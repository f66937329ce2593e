#!/usr/bin/env bash
# Holding the left button over the boss fires volleys that print their origin and GL names, and releasing it
# stops them; a shot that lands on the boss sets its six satellites loose ("DELETED FOUND").
source "$(dirname "$0")/lib.sh"
copy_data
start_game
find_window || finish
# The boss starts straight ahead, at the centre of the 800 x 600 window.
xdotool mousemove --window "$win" 400 300
# The gun is ready after half a second: a second without the button must fire nothing.
sleep 1.2
check "no shot before the button is held" [ "$(grep -c '^vao: ' "$work/out")" -eq 0 ]
xdotool key F10
xdotool mousedown 1
wait_for_output '^DELETED FOUND$' 30
xdotool mouseup 1
sleep 0.2
fired=$(grep -c '^vao: ' "$work/out")
sleep 1.2
check "no shot after the button is released ($fired, then $(grep -c '^vao: ' "$work/out"))" \
    [ "$(grep -c '^vao: ' "$work/out")" -eq "$fired" ]
xdotool key Escape
wait_game 30
check "origin lines, one unit ahead of the camera" grep -qE '^-?0 -?0 1 $' "$work/out"
check "shot GL names" grep -qE '^vao: [1-9][0-9]* posBuf: [1-9][0-9]*$' "$work/out"
check "six satellites freed" [ "$(grep -c '^DELETED FOUND$' "$work/out")" -eq 6 ]
# Freed satellites fly at the player, so the game may end before Escape is read.
check "ended by Escape (1) or by the freed satellites (0): $status" [ "$status" -eq 1 -o "$status" -eq 0 ]
check "no sanitizer report" no_sanitizer_report
finish
