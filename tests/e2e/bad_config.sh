#!/usr/bin/env bash
# Display sizes that cannot be opened end start-up with "Could not init display." and status 1; a missing
# or malformed configuration falls back to a 800 x 600 window.
source "$(dirname "$0")/lib.sh"
copy_data
for cfg in "width=-640
height=480" "width=100000
height=100000"; do
    printf '%s\n' "$cfg" >"$work/data/tarnwick.cfg"
    start_game
    wait_game 60
    check "impossible display ($(echo $cfg)) exits 1 (was $status)" [ "$status" -eq 1 ]
    check "impossible display says so" [ "$(cat "$work/err")" = "Could not init display." ]
done

for cfg in missing "width=abc
height=768" "[section]
width=1024"; do
    if [ "$cfg" = missing ]; then rm -f "$work/data/tarnwick.cfg"; else printf '%s\n' "$cfg" >"$work/data/tarnwick.cfg"; fi
    start_game
    find_window || finish
    size=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
    check "configuration '$(echo $cfg)' opens 800x600 (was $size)" [ "$size" = "800x600" ]
    xdotool key Escape
    wait_game 30
    check "exit status 1 (was $status)" [ "$status" -eq 1 ]
    check "nothing on standard error" [ ! -s "$work/err" ]
done
finish
