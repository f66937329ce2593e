#!/bin/sh
# A stand-in for valgrind in the A/B runner's tests: drops valgrind's own options and runs the program after
# them, so that the runner's counted processes reach the stand-in bench.
while [ $# -gt 0 ]; do
    case "$1" in
    --*) shift ;;
    *) exec "$@" ;;
    esac
done
