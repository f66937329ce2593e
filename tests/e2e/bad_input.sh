#!/usr/bin/env bash
# Broken or hostile data files, one case per row, each in a fresh copy of the game's data: every case ends
# with its message and status or with the fallback (defaults, an untextured object, an empty boss) and never
# with a crash, a hang or a sanitizer report.
source "$(dirname "$0")/lib.sh"
corpus="$TARNWICK_SOURCE/tests/corpus"
images=(textures/powerup.bmp textures/healthup.bmp textures/clouds1.bmp textures/stars.bmp)

# Writes the 32-bit little-endian value $3 (or 16-bit with $4 = 2) at byte $2 of file $1.
put_le() {
    local file=$1 offset=$2 value=$(($3 & 0xFFFFFFFF)) bytes=${4:-4} i out=""
    for ((i = 0; i < bytes; i++)); do out+=$(printf '\\x%02x' $(((value >> (8 * i)) & 255))); done
    printf "$out" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

# Replaces one BMP by a broken variant of itself.
break_image() { # file kind
    local f=$work/data/$1
    case $2 in
    empty) : >"$f" ;;
    truncated) head -c 100 "$f" >"$f.part" && mv "$f.part" "$f" ;;
    bits32) put_le "$f" 28 32 2 ;;
    bits1) put_le "$f" 28 1 2 ;;
    huge) put_le "$f" 18 65536 && put_le "$f" 22 65536 ;;
    negative_height) put_le "$f" 22 "-$(od -An -t d4 -j 22 -N 4 "$f" | tr -d ' ')" ;;
    zero_width) put_le "$f" 18 0 ;;
    directory) rm -f "$f" && mkdir "$f" ;;
    esac
}

cfg() { printf "$1" >"$work/data/tarnwick.cfg"; }
long_digits() { head -c 65536 /dev/zero | tr '\0' 9; }
long_comment() { printf '#'; head -c 65536 /dev/zero | tr '\0' x; printf '\n'; }

# Shader sources that compile (a helper function only) but cannot link as a stage without main.
no_main='#version 330\nfloat helper(float x) { return x * 2.0; }\n'

# Each row: name | preparation (shell code run in a fresh data copy) | expected end:
#   window WxH  - the game opens a window of that size and ends with status 1 on Escape, stderr empty
#   box         - an "import failed" box appears first; after Return the game runs as in "window 800x600"
#   fatal TEXT  - no game: status 1, standard error starts with TEXT
cases=(
    "cfg missing|rm tarnwick.cfg|window 800x600"
    "cfg empty|cfg ''|window 800x600"
    "cfg byte-order mark|cfg '\xef\xbb\xbfwindow_mode=WINDOWED\nwidth=1024\nheight=768\n'|window 1024x768"
    "cfg byte-order mark on a key|cfg '\xef\xbb\xbfwidth=1024\nheight=768\n'|window 800x768"
    "cfg CRLF|cfg 'width=1024\r\nheight=768\r\nwindow_mode=WINDOWED\r\n'|window 1024x768"
    "cfg keys in a section|cfg '[display]\nwidth=1024\nheight=768\n'|window 800x600"
    "cfg letters|cfg 'width=abc\nheight=768\n'|window 800x600"
    "cfg negative|cfg 'width=-640\nheight=-480\n'|fatal Could not init display."
    "cfg zero|cfg 'width=0\nheight=0\n'|window 800x600"
    "cfg huge|cfg 'width=99999999999\nheight=99999999999\n'|window 800x600"
    "cfg huge height only|cfg 'width=640\nheight=99999999999\n'|window 640x600"
    "cfg duplicated keys|cfg 'width=640\nheight=480\nwidth=1024\nheight=768\n'|window 1024x768"
    "cfg 64 KiB value|{ printf 'width='; long_digits; printf '\nheight=768\n'; } >tarnwick.cfg|window 800x600"
    "cfg 64 KiB comment line|{ long_comment; printf 'width=1024\nheight=768\n'; } >tarnwick.cfg|window 1024x768"
    "cfg 64 KiB key|{ long_digits; printf '=1\nwidth=1024\nheight=768\n'; } >tarnwick.cfg|window 1024x768"
    "cfg malformed UTF-8 (hung Allegro's reader)|cp $corpus/config/malformed_utf8_hang.cfg tarnwick.cfg|window 800x600"
)
for kind in empty truncated bits32 bits1 huge negative_height zero_width directory; do
    cases+=("images $kind|for i in \${images[@]}; do break_image \$i $kind; done|window 800x600")
done
cases+=(
    "image stars.bmp alone a directory|break_image textures/stars.bmp directory|window 800x600"
    "image clouds1.bmp alone 1-bit|break_image textures/clouds1.bmp bits1|window 800x600"
    "model missing|rm meshes/boss.dae|box"
    "model empty|: >meshes/boss.dae|box"
    "model garbage|cp $corpus/model/garbage.dae meshes/boss.dae|box"
    "model truncated XML|head -c 20000 meshes/boss.dae >m && mv m meshes/boss.dae|box"
    "model without geometry|cp $corpus/model/no_geometry.dae meshes/boss.dae|box"
    "model with only lines|cp $corpus/model/only_lines.dae meshes/boss.dae|window 800x600"
    "model index beyond its source|cp $corpus/model/index_beyond_source.dae meshes/boss.dae|box"
    "model float array of 4294967295|cp $corpus/model/float_array_claims_4294967295.dae meshes/boss.dae|box"
    "model polygons of 1, 2 and 0 corners|cp $corpus/model/polylist_degenerate.dae meshes/boss.dae|box"
    "model that crashes Assimp's reader|cp $corpus/model/assimp_null_dereference.dae meshes/boss.dae|box"
    "vertex stage missing|rm shaders/phong.vert|fatal Could not open shader file shaders/phong.vert."
    "vertex stage empty|: >shaders/phong.vert|fatal Compile failure in vertex shader (shaders/phong.vert):"
    "vertex stage not compiling|echo 'void main() { gl_Position = nope; }' >>shaders/phong.vert|fatal Compile failure in vertex shader (shaders/phong.vert):"
    "vertex stage not linking|printf '$no_main' >shaders/phong.vert|fatal Linker failure: "
    "geometry stage missing|rm shaders/particle.geom|fatal Could not open shader file shaders/particle.geom."
    "geometry stage empty|: >shaders/particle.geom|fatal Compile failure in geometry shader (shaders/particle.geom):"
    "geometry stage not compiling|echo '}}' >>shaders/particle.geom|fatal Compile failure in geometry shader (shaders/particle.geom):"
    "geometry stage not linking|printf '$no_main' >shaders/particle.geom|fatal Linker failure: "
    "fragment stage missing|rm shaders/motion.frag|fatal Could not open shader file shaders/motion.frag."
    "fragment stage a directory|rm shaders/motion.frag && mkdir shaders/motion.frag|fatal Could not open shader file shaders/motion.frag."
    "fragment stage empty|: >shaders/motion.frag|fatal Compile failure in fragment shader (shaders/motion.frag):"
    "fragment stage not compiling|printf '#version 330\nout vec4 c; void main() { c = vec3(1); }\n' >shaders/motion.frag|fatal Compile failure in fragment shader (shaders/motion.frag):"
    "fragment stage not linking|printf '$no_main' >shaders/motion.frag|fatal Linker failure: "
)

# Ends a running game with Escape and checks the normal end.
end_with_escape() { # case-name
    xdotool key Escape
    wait_game 60
    check "$1: Escape ends with status 1 (was $status)" [ "$status" -eq 1 ]
}

window_size() { xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p'; }

# Waits until start-up has finished (the main loop's scene is built) and checks the window.
expect_window() { # case-name size
    if ! find_window; then
        fail "$1: no game window"
        return
    fi
    if ! wait_for_output '^screen->vao' 60; then
        fail "$1: start-up did not finish (a box or a hang)"
        return
    fi
    check "$1: window $2 (was $(window_size))" [ "$(window_size)" = "$2" ]
    check "$1: no import box" [ -z "$(xdotool search --onlyvisible --name '^import failed$' 2>/dev/null)" ]
    end_with_escape "$1"
    check "$1: nothing on standard error" [ ! -s "$work/err" ]
}

expect_box() { # case-name
    local box="" i
    # Stop looking as soon as the game is gone: a crash during the import must not cost the full wait.
    for ((i = 0; i < 300; i++)); do
        box=$(xdotool search --onlyvisible --name '^import failed$' 2>/dev/null | head -n 1)
        [ -n "$box" ] && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$box" ]; then
        kill -0 "$game_pid" 2>/dev/null || wait_game 1
        fail "$1: no \"import failed\" box (status $status, stderr: $(tail -n 1 "$work/err"))"
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

started=$SECONDS
for row in "${cases[@]}"; do
    IFS='|' read -r name prepare expect <<<"$row"
    rm -rf "$work/data"
    status=0
    copy_data
    (cd "$work/data" && eval "$prepare") || fail "$name: preparation failed"
    start_game
    # A game that could not even reach the X server (Allegro then has no mouse driver) says nothing about
    # its data; a loaded machine's X server now and then refuses a connection, so such a start gets one retry.
    if [ "$expect" != "${expect#box}" ] || [ "$expect" != "${expect#window}" ]; then
        sleep 1
        if ! kill -0 "$game_pid" 2>/dev/null && grep -qx "Could not install mouse." "$work/err"; then
            wait_game 1
            echo "note: $name: the X server refused the game's connection; starting it once more"
            start_game
        fi
    fi
    case $expect in
    window\ *) expect_window "$name" "${expect#window }" ;;
    box) expect_box "$name" ;;
    fatal\ *) expect_fatal "$name" "${expect#fatal }" ;;
    esac
    [ -n "$game_pid" ] && { kill -9 "$game_pid" 2>/dev/null; wait "$game_pid" 2>/dev/null; game_pid=""; status=137; }
    check "$name: no crash signal (status $status)" [ "$status" -lt 124 ]
    check "$name: no sanitizer report" no_sanitizer_report
done
echo "${#cases[@]} cases in $((SECONDS - started)) s"
finish
