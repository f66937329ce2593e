#!/bin/sh
# Regenerates the game's data files: tools/make_assets.sh (run from anywhere) rewrites textures/*.bmp,
# meshes/boss.dae and the desktop icon dist/tarnwick.png from the generators beside this script. Needs only
# python3; the output is deterministic.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
python3 "$root/tools/make_textures.py" "$root/textures"
python3 "$root/tools/make_boss.py" "$root/meshes/boss.dae"
python3 "$root/tools/make_icon.py" "$root/dist/tarnwick.png"
