#!/usr/bin/env bash
# F12 turns motion blur on; while the camera turns, the stars leave trails: a blurred frame has many more
# dim pixels along the turn than a sharp one, and the game keeps running.
source "$(dirname "$0")/lib.sh"
copy_data
start_game
find_window || finish
# Share of pixels that are lit but not bright: trails are made of them, sharp star points are not.
dim_share() { convert "$1" -colorspace Gray -fx 'u>0.06 && u<0.35' -format '%[fx:mean]' info:; }

xdotool keydown a
sleep 1.5
import -window "$win" "$work/sharp.png"
xdotool key F12
wait_for_output '^motion blur :true$' 10 || fail "F12 was not handled"
sleep 1.5
import -window "$win" "$work/blurred.png"
xdotool keyup a
sleep 0.5
check "game still running with motion blur" kill -0 "$game_pid"
xdotool key Escape
wait_game 30
check "F12 printed 'motion blur :true'" grep -qx 'motion blur :true' "$work/out"
sharp=$(dim_share "$work/sharp.png")
blurred=$(dim_share "$work/blurred.png")
echo "dim pixel share: sharp $sharp, blurred $blurred"
check "turning with motion blur leaves trails" awk -v s="$sharp" -v b="$blurred" 'BEGIN { exit !(b > 1.5 * s) }'
mean=$(convert "$work/blurred.png" -colorspace Gray -format '%[fx:mean]' info:)
check "blurred frame neither black nor washed out (mean $mean)" awk -v m="$mean" 'BEGIN { exit !(m > 0.005 && m < 0.5) }'
check "exit status 1 after Escape (was $status)" [ "$status" -eq 1 ]
check "nothing on standard error" [ ! -s "$work/err" ]
finish
