#!/usr/bin/env bash
# The bench's folders are layers: a file may include bench headers only from its own folder or from the
# layers below it. Prints every include that runs upward (or names an unknown folder) and fails on any.
set -euo pipefail
bench=${1:-${TARNWICK_SOURCE:?}/bench}
# Each folder and the folders it may include from, besides itself.
declare -A below=(
    [stats]=""
    [images]=""
    [scenes]=""
    [record]="stats images scenes"
    [stage]="record stats images scenes"
    [runners]="record stats images scenes"
    [cli]="runners stage record stats images scenes"
)
bad=0
for folder in "${!below[@]}"; do
    [ -d "$bench/$folder" ] || { echo "missing folder bench/$folder"; bad=1; continue; }
    while IFS=: read -r file line text; do
        target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
        [ -n "${below[$target]+set}" ] || continue # a game header such as "app/startup.h"
        [ "$target" = "$folder" ] && continue
        case " ${below[$folder]} " in *" $target "*) continue ;; esac
        echo "${file#"$bench"/}:$line includes from $target/, a layer above or beside $folder/"
        bad=1
    done < <(grep -rnE '#include "[a-z_]+/' "$bench/$folder" --include='*.h' --include='*.cpp' || true)
done
for path in "$bench"/*/; do
    name=$(basename "$path")
    [ "$name" = micro ] || [ "$name" = references ] || [ -n "${below[$name]+set}" ] ||
        { echo "bench/$name is no known layer: add it to this table"; bad=1; }
done
[ $bad -eq 0 ] && echo "bench layers: no include runs upward"
exit $bad
