#!/usr/bin/env bash
# Fails on an #include that points up (or sideways) the layers of src/, and names each such include.
# Layers, bottom first; a file may include its own layer and any layer below it:
#   platform < platform/wine, platform/hive (backends) < app < paths < checks < shortcuts < results
#   < engine < ui < cli, gui, win32gui (front ends)
# The window model (ui/main_window_model.h) is the windows' own: no file below ui/ names it; the engine
# tells its front ends what happens through results/run_observer.h instead.
# Usage: tools/check-layers.sh [SRC_DIR]
set -euo pipefail
src="${1:-$(cd "$(dirname "$0")/.." && pwd)/src}"

rank_of() { # the layer of a path below src/, as "rank name"
    case "$1" in
    platform/wine/*) echo "1 platform/wine" ;;
    platform/hive/*) echo "1 platform/hive" ;;
    platform/win32/*) echo "1 platform/win32" ;;
    platform/*) echo "0 platform" ;;
    app/*) echo "2 app" ;;
    paths/*) echo "3 paths" ;;
    checks/*) echo "4 checks" ;;
    shortcuts/*) echo "5 shortcuts" ;;
    results/*) echo "6 results" ;;
    engine/*) echo "7 engine" ;;
    ui/*) echo "8 ui" ;;
    cli/*) echo "9 cli" ;;
    gui/*) echo "9 gui" ;;
    win32gui/*) echo "9 win32gui" ;;
    *) echo "" ;;
    esac
}

bad=0
while IFS= read -r file; do
    rel="${file#"$src"/}"
    read -r rank layer <<<"$(rank_of "$rel")" || true
    [ -n "${layer:-}" ] || continue
    while IFS= read -r line; do
        included="${line#*\"}"
        included="${included%%\"*}"
        read -r irank ilayer <<<"$(rank_of "$included")" || true
        [ -n "${ilayer:-}" ] || continue
        if [ "$ilayer" != "$layer" ] && [ "$irank" -ge "$rank" ]; then
            echo "$rel: includes $included ($ilayer is not below $layer)"
            bad=1
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
while IFS= read -r file; do
    echo "${file#"$src"/}: names the window model below ui/"
    bad=1
done < <(for below in platform app paths checks shortcuts results engine; do
    [ -d "$src/$below" ] && grep -rlE '\bMainWindowModel\b|main_window_model\.h' "$src/$below" || true
done | sort)
exit "$bad"
