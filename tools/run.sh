#!/usr/bin/env bash
# Sets up, builds and opens a Wine prefix (the one given, or else a bundled demo prefix): in the window
# when a display is there, else as a scan in the terminal.
# Usage: tools/run.sh [PREFIX-DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
prefix=${1:-}
if [ -z "$prefix" ]; then
    prefix=build/demo-prefix
    tools/make-demo-prefix.sh "$prefix" >/dev/null
    echo "No Wine prefix given: scanning the demo prefix in $prefix"
fi
# The demo keeps its settings and backups inside the build folder, away from the user's own.
if [ -z "${1:-}" ]; then
    export XDG_CONFIG_HOME="$PWD/build/demo-home/config" XDG_DATA_HOME="$PWD/build/demo-home/data"
fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/src/vantrelix --prefix "$prefix"
fi
echo "No display: scanning in the terminal (vantrelix-cli)"
status=0
build/src/vantrelix-cli --prefix "$prefix" scan || status=$?
# 1 only means that something was found.
[ "$status" -le 1 ] || exit "$status"
