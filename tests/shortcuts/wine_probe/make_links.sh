#!/bin/sh
# Rebuilds the Wine-made shortcut files of tests/shortcuts/data/wine: builds the probe with MinGW, runs it
# in a Wine prefix (made here under a temporary folder unless WINEPREFIX names one), copies the links out.
#   tests/shortcuts/wine_probe/make_links.sh
# Needs: g++-mingw-w64-x86-64, wine, xvfb (xvfb-run).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../data/wine"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$work/prefix"
    xvfb-run -a wine wineboot -u
    wineserver -w
fi
x86_64-w64-mingw32-g++ -O2 -static -municode "$here/make_links.cpp" -o "$work/make_links.exe" \
    -lole32 -luuid -lshell32
rm -rf "$WINEPREFIX/drive_c/vx-links"
mkdir -p "$WINEPREFIX/drive_c/vx-links" "$out"
(cd "$work" && xvfb-run -a wine "$work/make_links.exe" 'C:\vx-links')
wineserver -w
cp "$WINEPREFIX"/drive_c/vx-links/*.lnk "$out/"
rm -rf "$WINEPREFIX/drive_c/vx-links"
