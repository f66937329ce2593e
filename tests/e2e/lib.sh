# Helpers for end-to-end tests: run the real tarnwick binary in a copied data folder under the test's
# X server and drive it with xdotool. Expects TARNWICK_BIN and TARNWICK_SOURCE (set by ctest).
set -u

# Each test gets an X server of its own, so no other test's window can take the keyboard focus. A script that
# needs none (the headless bench) sets TARNWICK_NO_X and runs with no display at all.
if [ -n "${TARNWICK_NO_X:-}" ]; then
    unset DISPLAY
elif [ -z "${TARNWICK_OWN_X:-}" ]; then
    export TARNWICK_OWN_X=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

: "${TARNWICK_BIN:?}" "${TARNWICK_SOURCE:?}"
: "${TARNWICK_PRELOAD:=}"
work=$(mktemp -d /tmp/tarnwick-e2e.XXXXXX)
game_pid=""
failures=0

cleanup() {
    [ -n "$game_pid" ] && kill -9 "$game_pid" 2>/dev/null
    if [ "$failures" -eq 0 ] && [ -z "${KEEP_WORK:-}" ]; then rm -rf "$work"; else echo "kept $work"; fi
}
trap cleanup EXIT

# The "import failed" box runs GTK; without this it starts an accessibility bus that outlives the game.
export NO_AT_BRIDGE=1

# A fresh copy of the game's data in $work/data.
copy_data() {
    mkdir -p "$work/data"
    cp -r "$TARNWICK_SOURCE/shaders" "$TARNWICK_SOURCE/textures" "$TARNWICK_SOURCE/meshes" "$work/data/"
    cp "$TARNWICK_SOURCE/tarnwick.cfg" "$work/data/"
}

# Installs the build into $prefix ($work/prefix), as a player's machine has it.
install_game() {
    prefix=$work/prefix
    cmake --install "$(dirname "$TARNWICK_BIN")" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
    if [ -n "$TARNWICK_PRELOAD" ]; then
        # The sanitizer build's game needs its preload, which the shell tools of the launcher must not get. The
        # real binary keeps its name: the window is named after it until the game sets its title.
        local game=$prefix/libexec/tarnwick/tarnwick
        mkdir "$game.d" && mv "$game" "$game.d/tarnwick"
        printf '#!/bin/sh\nLD_PRELOAD=%s exec "$0.d/tarnwick"\n' "$TARNWICK_PRELOAD" >"$game"
        chmod +x "$game"
    fi
}

# Starts the game in $work/data; its output goes to $work/out and $work/err.
start_game() {
    launch_game
    # A loaded X server now and then refuses a connection (Allegro then finds no mouse): that start says nothing
    # about the game, so it gets one retry. A start that got past its drivers has printed its first lines.
    wait_until 5 started_or_ended
    if [ "$(cat "$work/err" 2>/dev/null)" = "Could not install mouse." ]; then
        echo "note: the X server refused the game's connection; starting it once more"
        launch_game
    fi
}

started_or_ended() { [ -s "$work/out" ] || game_ended; }

launch_game() {
    (cd "$work/data" && exec env LD_PRELOAD="$TARNWICK_PRELOAD" "$TARNWICK_BIN" >"$work/out" 2>"$work/err" </dev/null) &
    game_pid=$!
}

# Waits for the game's window and focuses it; sets $win. Its name is the binary's until the first pass, then
# "Tarnwick - ..." (xdotool ignores case); a message box's "Tarnwick: ..." is not the window.
find_window() {
    win=$(timeout 60 xdotool search --sync --onlyvisible --name '^tarnwick( - .*)?$' 2>/dev/null | head -n 1)
    if [ -z "$win" ]; then
        fail "no game window appeared"
        return 1
    fi
    timeout 20 xdotool windowfocus --sync "$win" || fail "could not focus the game window"
    # Keys sent before set-up has finished may arrive before the scene exists; wait for its last line.
    wait_for_output '^screen->vao[0-9]+$' 120 || fail "set-up did not finish"
}

# Runs the command every tenth of a second until it succeeds, for up to $1 seconds.
wait_until() {
    local limit=$1 i
    shift
    for ((i = 0; i < limit * 10; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

game_ended() { ! kill -0 "$game_pid" 2>/dev/null; }

# Waits up to $1 seconds for the game to end; sets $status (124 on a time-out, after killing it).
wait_game() {
    wait_until "$1" game_ended || kill -9 "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
    status=$?
    [ "$status" -eq 137 ] && status=124
    game_pid=""
}

# Waits up to $2 seconds for a line matching the regular expression $1 on the game's standard output.
wait_for_output() { wait_until "$2" grep -qE "$1" "$work/out" 2>/dev/null; }

# Whether the name of window $win matches the regular expression $1; sets $title.
title_matches() { title=$(xdotool getwindowname "$win" 2>/dev/null) && [[ $title =~ $1 ]]; }

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

check() { # description command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        fail "$what"
        return 1
    fi
}

# Prints the game's output files on failure and ends the test with its verdict.
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "--- stdout (last 40 lines)"
        tail -n 40 "$work/out" 2>/dev/null
        echo "--- stderr"
        cat "$work/err" 2>/dev/null
        exit 1
    fi
    exit 0
}

# The sanitizer runtime reports into stderr; any report fails a test.
no_sanitizer_report() { ! grep -qE "ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:" "$work/err"; }

# Asks window $1 to close as a window manager's close button does (a WM_DELETE_WINDOW message). Debian's own
# Python, where python3-xlib is installed.
close_window() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
message = [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]
w.send_event(protocol.event.ClientMessage(window=w, client_type=d.intern_atom("WM_PROTOCOLS"), data=(32, message)))
d.flush()
PY
}
