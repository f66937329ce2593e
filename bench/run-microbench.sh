#!/usr/bin/env bash
# Runs tarnwick-microbench (given as $1, further arguments go to Google Benchmark) under a virtual X server
# unless a display is there already. Run from the build directory, where the data folders are linked.
set -euo pipefail
micro=$1
shift
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$micro" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$micro" "$@"
