#!/usr/bin/env bash
# The function keys print their lines in order; Escape ends the game with status 1 and a silent stderr, and so
# does the window's close button.
source "$(dirname "$0")/lib.sh"
copy_data
start_game
find_window || finish
xdotool key --delay 150 F4 F4 F5 F5 F5 F8 F12 F12
sleep 1
xdotool key Escape
wait_game 30
expected="texture sampling quality: 1
texture sampling quality: 0
mipmap sampling quality: 1
mipmap sampling quality: 2
mipmap sampling quality: 0
frustum culling: false
motion blur :true
motion blur :false"
actual=$(grep -E '^(texture sampling|mipmap sampling|frustum culling|motion blur)' "$work/out")
check "toggle lines in order" [ "$actual" = "$expected" ] || echo "got: $actual"
check "exit status 1 after Escape (was $status)" [ "$status" -eq 1 ]
check "nothing on standard error" [ ! -s "$work/err" ]

start_game
find_window || finish
close_window "$win"
wait_game 30
check "the close button ends it with status 1 (was $status)" [ "$status" -eq 1 ]
check "nothing on standard error after closing" [ ! -s "$work/err" ]
finish
