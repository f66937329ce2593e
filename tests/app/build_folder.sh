#!/usr/bin/env bash
# The build folder's data: the data folders are links to the checkout, tarnwick.cfg a copy of its own that a
# later configure never overwrites, and a link left by an older build becomes such a copy.
set -u
: "${TARNWICK_SOURCE:?}"
work=$(mktemp -d /tmp/tarnwick-build-folder.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }
prepare() { cmake -DSOURCE="$TARNWICK_SOURCE" -DBINARY="$work" -P "$TARNWICK_SOURCE/cmake/tarnwick_data.cmake"; }

prepare
check "the data folders are links to the checkout" \
    [ "$(readlink "$work/shaders")" = "$TARNWICK_SOURCE/shaders" -a -L "$work/textures" -a -L "$work/meshes" ]
check "tarnwick.cfg is a copy, not a link" [ -f "$work/tarnwick.cfg" -a ! -L "$work/tarnwick.cfg" ]
check "the copy holds the checkout's default" cmp -s "$work/tarnwick.cfg" "$TARNWICK_SOURCE/tarnwick.cfg"
printf 'width=640\nheight=480\n' >"$work/tarnwick.cfg"
prepare
check "a later configure keeps the edited copy" [ "$(cat "$work/tarnwick.cfg")" = "$(printf 'width=640\nheight=480')" ]
rm "$work/tarnwick.cfg" && ln -s "$TARNWICK_SOURCE/tarnwick.cfg" "$work/tarnwick.cfg"
prepare
check "an older build's link becomes a copy" [ -f "$work/tarnwick.cfg" -a ! -L "$work/tarnwick.cfg" ]
[ "$failures" -eq 0 ]
