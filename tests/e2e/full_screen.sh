#!/usr/bin/env bash
# Full screen at a size that is no mode of the screen (800 x 600 on this 1280 x 1024 Xvfb) becomes a
# full-screen window at the screen's size and says so; projection and viewport follow the size opened, so the
# start scene looks as in a window of that size.
source "$(dirname "$0")/lib.sh"
copy_data

picture() { # configuration name
    printf "$1" >"$work/data/tarnwick.cfg"
    start_game
    find_window || return
    # The title is set after the first pass; the scene stands still while paused.
    wait_for_title paused 30 || fail "$2: no title"
    size=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
    import -window "$win" "$work/$2.png"
    xdotool key Escape
    wait_game 30
    check "$2: window of 1280x1024 (was $size)" [ "$size" = 1280x1024 ]
    check "$2: Escape ends it with status 1 (was $status)" [ "$status" -eq 1 ]
}

picture 'window_mode=FULLSCREEN\n' full-screen
check "standard output says full screen became a full-screen window" grep -qx \
    "full screen at 800x600 is not a mode of this screen: a full-screen window at 1280x1024 instead" "$work/out"
picture 'width=1280\nheight=1024\n' window
differing=$(compare -metric AE -fuzz 2% "$work/full-screen.png" "$work/window.png" null: 2>&1)
check "the full-screen picture is the window's ($differing pixels differ)" [ "${differing%%.*}" -le 1300 ]
check "no sanitizer report" no_sanitizer_report
finish
