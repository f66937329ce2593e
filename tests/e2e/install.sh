#!/usr/bin/env bash
# Installed into a temporary prefix, the launcher runs the game from any folder in a per-user folder it
# prepares, passes the exit status on, keeps the player's edited configuration, and says clearly when it
# cannot make that folder; a log folder it cannot make does not stop the game. The .deb holds the binaries,
# the data, the desktop entry and the man page.
source "$(dirname "$0")/lib.sh"
build=$(dirname "$TARNWICK_BIN")
install_game
mkdir -p "$work/home" "$work/elsewhere" "$work/data"
folder=$work/home/.local/share/tarnwick

# Runs the launcher from an unrelated folder with HOME in the test's folder; output in $work/out, $work/err.
launch() { # extra environment assignments...
    (cd "$work/elsewhere" && exec env -u XDG_DATA_HOME HOME="$work/home" "$@" "$prefix/bin/tarnwick" \
        >"$work/out" 2>"$work/err" </dev/null) &
    game_pid=$!
}

play_and_quit() { # expected window size, extra environment assignments...
    launch "${@:2}"
    find_window || { wait_game 0; return; }
    size=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p')
    check "window of $1 (was $size)" [ "$size" = "$1" ]
    xdotool key Escape
    wait_game 30
    check "Escape ends it with status 1 (was $status)" [ "$status" -eq 1 ]
    check "nothing on standard error" [ ! -s "$work/err" ]
}

play_and_quit 800x600
check "the folder links to the installed data" \
    [ "$(readlink -f "$folder/shaders")" = "$(readlink -f "$prefix/share/tarnwick/shaders")" ]
check "the folder holds its own copy of the configuration" \
    cmp -s "$folder/tarnwick.cfg" "$prefix/share/tarnwick/tarnwick.cfg"
printf 'width=640\nheight=480\n' >"$folder/tarnwick.cfg"
# Folders that cannot be made: under a regular file (permissions do not stop root).
touch "$work/plain-file"
play_and_quit 640x480 XDG_STATE_HOME="$work/plain-file/state"
check "without a log folder the run says it keeps no log" grep -q "^tarnwick: this run keeps no log" "$work/out"
check "the edited configuration is kept" [ "$(cat "$folder/tarnwick.cfg")" = "$(printf 'width=640\nheight=480')" ]

for place in "HOME=$work/plain-file" "XDG_DATA_HOME=$work/plain-file/data"; do
    launch "$place"
    wait_game 30
    check "$place: status 1 (was $status)" [ "$status" -eq 1 ]
    check "$place: says which folder" grep -q "^tarnwick: cannot create the folder $work/plain-file" "$work/err"
done

help=$("$prefix/bin/tarnwick-bench" --help)
check "the installed bench's help says where its data is" \
    grep -qx "The data for this tarnwick-bench is in $(readlink -f "$prefix/share/tarnwick")" <<<"$help"
check "and where its references are" \
    grep -qx "Its references (--reference, --drivers) are in $(readlink -f "$prefix/share/tarnwick")/references" <<<"$help"
check "the installed references are the committed ones" \
    diff -r "$TARNWICK_SOURCE/bench/references" "$prefix/share/tarnwick/references"

(cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || fail "cpack failed: $(tail -5 "$work/cpack.log")"
listing=$(dpkg-deb -c "$work"/deb/tarnwick_*.deb | awk '{print $6}')
for path in ./usr/bin/tarnwick ./usr/bin/tarnwick-bench ./usr/libexec/tarnwick/tarnwick \
    ./usr/share/tarnwick/tarnwick.cfg ./usr/share/tarnwick/shaders/baerentzen.geom \
    ./usr/share/tarnwick/textures/stars.bmp ./usr/share/tarnwick/meshes/boss.dae \
    ./usr/share/tarnwick/references/default.png \
    ./usr/share/applications/tarnwick.desktop ./usr/share/icons/hicolor/128x128/apps/tarnwick.png \
    ./usr/share/man/man6/tarnwick.6.gz; do
    check "the .deb holds $path" grep -qx "$path" <<<"$listing"
done
check "the .deb depends on the libraries it links" \
    grep -q "liballegro5" <<<"$(dpkg-deb -f "$work"/deb/tarnwick_*.deb Depends)"
finish
