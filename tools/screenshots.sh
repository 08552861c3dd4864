#!/usr/bin/env bash
# Renders a PNG of every window and panel state (start, scanning, results, repair progress, each message
# box, notice, splash, settings, backup manager) from the demo prefix, without a display, into
# build/screenshots/. Usage: tools/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/build.ninja ] || tools/setup.sh
cmake --build build --target gui_screenshots
rm -rf build/screenshots
export XDG_CONFIG_HOME="$PWD/build/screenshot-home/config" XDG_DATA_HOME="$PWD/build/screenshot-home/data"
build/tests/gui_screenshots build/screenshots
