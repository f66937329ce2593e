#!/usr/bin/env bash
# A driver that offers too old an OpenGL (as over indirect GLX, on an old GPU or in some virtual machines)
# ends start-up before any shader compiles, with a message that says what the game needs and what the driver
# offers, and status 1. Mesa stands in for such a driver when told to report an older version.
source "$(dirname "$0")/lib.sh"

needs="Tarnwick needs OpenGL 3.3 with GLSL 3.30 and geometry shaders; this driver ("
copy_data
for version in 3.0 2.1; do
    export MESA_GL_VERSION_OVERRIDE=$version
    start_game
    wait_game 60
    check "OpenGL $version: status 1 (was $status)" [ "$status" -eq 1 ]
    message=$(cat "$work/err")
    check "OpenGL $version: the message says what is needed (was '$message')" [ "${message:0:${#needs}}" = "$needs" ]
    check "OpenGL $version: and what the driver offers" \
        grep -qE "\), version \"$version [^\"]*\"\) offers OpenGL $version\.$" "$work/err"
    check "OpenGL $version: no shader was compiled" [ "$(grep -c "Compile failure" "$work/err")" -eq 0 ]
    check "OpenGL $version: no sanitizer report" no_sanitizer_report
done
finish
