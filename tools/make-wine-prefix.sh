#!/bin/sh
# Creates a Wine prefix in DIR with Wine itself (for the tests that compare against real Wine output).
# Usage: tools/make-wine-prefix.sh DIR
set -eu
if [ $# -ne 1 ]; then
    echo "usage: $0 DIR" >&2
    exit 2
fi
dir=$1
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINEPREFIX="$dir"
export WINEDEBUG=-all
# No Mono/Gecko installer dialogs: they would wait for a click that never comes.
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb-run -a wine wineboot -u
# Wine writes the registry files when its server exits.
wineserver -w
test -f "$dir/system.reg"
echo "Wine prefix ready: $dir"
