#!/usr/bin/env bash
# With the inspection models on, the frame shows the star backdrop, the green wireframes and the lit models.
source "$(dirname "$0")/lib.sh"
copy_data
start_game
find_window || finish
xdotool key F11
sleep 2
shot="$work/scene.png"
import -window "$win" "$shot"
xdotool key Escape
wait_game 30
check "screenshot taken" [ -s "$shot" ]
# Fractions of the frame: green wireframe pixels, warm lit pixels, lit star pixels, and not all black.
green=$(convert "$shot" -fx 'g>0.5 && r<0.3 && b<0.3' -format '%[fx:mean]' info:)
warm=$(convert "$shot" -fx 'r>0.35 && r>g+0.1' -format '%[fx:mean]' info:)
bright=$(convert "$shot" -colorspace Gray -fx 'u>0.5' -format '%[fx:mean]' info:)
echo "green $green, warm $warm, bright $bright"
check "green wireframes visible" awk -v v="$green" 'BEGIN { exit !(v > 0.002) }'
check "lit models visible" awk -v v="$warm" 'BEGIN { exit !(v > 0.005) }'
check "stars visible" awk -v v="$bright" 'BEGIN { exit !(v > 0.0005) }'
check "exit status 1 after Escape (was $status)" [ "$status" -eq 1 ]
[ -n "${TARNWICK_SCREENSHOTS:-}" ] && cp "$shot" "$TARNWICK_SCREENSHOTS/scene.png"
finish
