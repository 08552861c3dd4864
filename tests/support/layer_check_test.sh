#!/usr/bin/env bash
# The layer check on a tiny tree: downward includes pass, an upward or sideways one fails and is named.
set -euo pipefail
check="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/platform/wine" "$tree/src/platform/hive" "$tree/src/engine" "$tree/src/cli"
printf '#include "platform/registry.h"\n#include "engine/scan_run.h"\n#include <vector>\n' >"$tree/src/cli/main.cpp"
printf '#include "platform/target.h"\n' >"$tree/src/engine/scan_run.cpp"
"$check" "$tree/src" # all downward: passes
printf '#include "engine/scan_run.h"\n' >"$tree/src/platform/registry.cpp"
printf '#include "platform/hive/hive_file.h"\n' >"$tree/src/platform/wine/wine_target.cpp"
if out=$("$check" "$tree/src"); then
    echo "the check passed an upward include" >&2
    exit 1
fi
grep -q '^platform/registry.cpp: includes engine/scan_run.h' <<<"$out"
grep -q '^platform/wine/wine_target.cpp: includes platform/hive/hive_file.h' <<<"$out"
# The window model named below ui/ fails too.
printf 'struct MainWindowModel;\n' >"$tree/src/engine/scan_run.h"
out=$("$check" "$tree/src") && exit 1
grep -q '^engine/scan_run.h: names the window model below ui/' <<<"$out"
echo "1 passed, 0 failed"
