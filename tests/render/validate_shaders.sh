#!/bin/sh
# Checks every GLSL file under the given folder with the reference compiler (stage taken from the extension).
# Exits 77 (skipped) when glslangValidator is not installed.
dir=${1:-shaders}
if ! command -v glslangValidator >/dev/null 2>&1; then
    echo "glslangValidator not found (Debian package glslang-tools): skipping"
    exit 77
fi
count=0
failed=0
for file in "$dir"/*.vert "$dir"/*.geom "$dir"/*.frag; do
    [ -e "$file" ] || continue
    count=$((count + 1))
    if ! output=$(glslangValidator "$file" 2>&1); then
        echo "$output"
        failed=$((failed + 1))
    fi
done
echo "$count shader files checked, $failed failed"
[ "$count" -eq 22 ] || { echo "expected 22 shader files"; exit 1; }
[ "$failed" -eq 0 ]
