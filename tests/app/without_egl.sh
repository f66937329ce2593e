#!/usr/bin/env bash
# A system without EGL: the project configures with one line saying so, the headless library's stand-in
# builds, and the tests that need EGL are left out. (The game never links EGL; building it here too would
# only add a minute to the gate.)
set -u
: "${TARNWICK_SOURCE:?}"
work=$(mktemp -d /tmp/tarnwick-configure.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
check() { if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failures=$((failures + 1)); fi; }

# No optimisation: the build only has to show that it compiles and links.
cmake -S "$TARNWICK_SOURCE" -B "$work" -DTARNWICK_EGL=OFF -DCMAKE_BUILD_TYPE=None >"$work/configure.log" 2>&1
check "it configures" [ $? -eq 0 ]
egl_lines=$(grep EGL "$work/configure.log")
check "one line says there is no EGL" [ "$(wc -l <<<"$egl_lines")" -eq 1 -a -z "${egl_lines##*built without EGL*}" ]
tests=$(cd "$work" && ctest -N)
check "the app's tests are there, the headless one is not" \
    [ "$(grep -c ' app_unit_tests$' <<<"$tests")" -eq 1 -a "$(grep -c 'headless' <<<"$tests")" -eq 0 ]
cmake --build "$work" -j2 --target tarnwick_headless >"$work/build.log" 2>&1
check "the headless stand-in builds" [ $? -eq 0 ]
[ "$failures" -eq 0 ] || tail -n 20 "$work/configure.log" "$work/build.log"
[ "$failures" -eq 0 ]
