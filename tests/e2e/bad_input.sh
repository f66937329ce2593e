#!/usr/bin/env bash
# Broken data files, one row per way the real binary answers them: start-up goes on with defaults or with what
# it could read, the "import failed" box, or a fatal message on standard error with status 1. The readers'
# own cases are tested below this layer (configuration and BMP tables, the model corpus, the shader programs).
source "$(dirname "$0")/lib.sh"

# Each row: name | preparation (shell code run in a fresh data copy) | expected end [| a line it prints]:
#   window WxH  - a window of that size; Escape ends it with status 1 and nothing on standard error
#   box         - an "import failed" box first; after Return the game runs as in "window 800x600"
#   fatal TEXT  - no game: status 1, standard error starts with TEXT
cases=(
    "configuration with a Latin-1 comment|printf '# caf\xe9\nwidth=1024\nheight=768\n' >tarnwick.cfg|window 1024x768|^tarnwick.cfg held bytes that are not UTF-8"
    "configuration missing|rm tarnwick.cfg|window 800x600"
    "full screen at a size the screen has no mode for|echo window_mode=FULLSCREEN >tarnwick.cfg|window 1280x1024|^full screen at 800x600 is not a mode of this screen: a full-screen window at 1280x1024 instead$"
    "window of the screen's size|printf 'width=1280\nheight=1024\n' >tarnwick.cfg|window 1280x1024"
    "negative display size|printf 'width=-640\nheight=-480\n' >tarnwick.cfg|fatal Could not init display."
    "display beyond the GL limits|printf 'width=100000\nheight=100000\n' >tarnwick.cfg|fatal Could not init display."
    "every image truncated|for f in textures/*.bmp; do head -c 100 \$f >p && mv p \$f; done|window 800x600"
    "model missing|rm meshes/boss.dae|box"
)

window_size() { xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p'; }

expect_window() { # case-name size
    find_window && wait_until 30 title_matches paused || return
    check "$1: window $2 (was $(window_size))" [ "$(window_size)" = "$2" ]
    import -window "$win" "$work/$2-$1.png"
    xdotool key Escape
    wait_game 60
    check "$1: Escape ends with status 1 (was $status)" [ "$status" -eq 1 ]
    check "$1: nothing on standard error" [ ! -s "$work/err" ]
}

expect_box() { # case-name
    local box
    box=$(timeout 60 xdotool search --sync --onlyvisible --name '^import failed$' 2>/dev/null | head -n 1)
    if [ -z "$box" ]; then
        fail "$1: no \"import failed\" box"
        return
    fi
    xdotool windowfocus --sync "$box"
    xdotool key Return
    expect_window "$1" 800x600
}

expect_fatal() { # case-name text
    wait_game 60
    check "$1: status 1 (was $status)" [ "$status" -eq 1 ]
    local first
    first=$(head -n 1 "$work/err")
    check "$1: stderr starts with '$2' (was '$first')" [ "${first:0:${#2}}" = "$2" ]
}

for row in "${cases[@]}"; do
    IFS='|' read -r name prepare expect line <<<"$row"
    rm -rf "$work/data"
    copy_data
    (cd "$work/data" && eval "$prepare") || fail "$name: preparation failed"
    start_game
    case $expect in
    window\ *) expect_window "$name" "${expect#window }" ;;
    box) expect_box "$name" ;;
    fatal\ *) expect_fatal "$name" "${expect#fatal }" ;;
    esac
    [ -n "$game_pid" ] && { kill -9 "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; game_pid=""; }
    [ -z "$line" ] || check "$name: prints '$line'" grep -qE "$line" "$work/out"
    check "$name: no sanitizer report" no_sanitizer_report
done
# The projection and viewport follow the size opened: the paused start scene is the same in both.
differing=$(compare -metric AE -fuzz 2% "$work"/1280x1024-*.png null: 2>&1)
check "full screen draws as a window of its size ($differing pixels differ)" [ "${differing%%.*}" -le 1300 ]
finish
