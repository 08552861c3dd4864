#!/usr/bin/env bash
# Renders a PNG of every window and panel of vantrelix.exe (splash, start, scanning, results, both message
# boxes, settings, backup manager, notice, tray menu) under Wine and Xvfb, into build-windows/screenshots/
# (at 100 %) or build-windows/screenshots-PERCENT/ (--scale PERCENT: the screen's DPI, as Windows' display
# scale sets it, 96 x PERCENT / 100). The scan runs on a prefix made by Wine with a few broken entries
# added. Needs build/src/vantrelix-cli (tools/setup.sh).
# Usage: tools/screenshots-windows.sh [--scale PERCENT]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scale=100
if [ "${1:-}" = "--scale" ]; then
    scale=${2:?--scale needs a percentage}
    case "$scale" in
        *[!0-9]* | "") echo "screenshots-windows: --scale takes a whole percentage, such as 150" >&2; exit 2 ;;
    esac
    [ "$scale" -ge 100 ] && [ "$scale" -le 300 ] ||
        { echo "screenshots-windows: --scale takes 100 to 300 (per cent)" >&2; exit 2; }
fi
tools/build-windows.sh >/dev/null
linux_cli="$root/build/src/vantrelix-cli"
test -x "$linux_cli" || { echo "screenshots-windows: $linux_cli is missing (run tools/setup.sh)" >&2; exit 2; }

work="$root/build-windows/wine-shots"
. tools/wine-scratch-prefix.sh
scratch_prefix "$work"
reg() { "$linux_cli" --prefix "$WINEPREFIX" reg add "$@" /f >/dev/null; }
# Wine's z: is the host's whole file system: a network drive, which the shortcut walk leaves alone.
reg 'HKLM\Software\Wine\Drives' /v 'z:' /d network
reg 'HKLM\Software\Classes\CLSID\{00000002-SHOT-0000-0000-000000000002}\InprocServer32' /ve /d 'C:\Program Files\OldToolbar\toolbar.dll'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\oldgame.exe' /ve /d 'C:\Games\OldGame\oldgame.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Updater /d 'C:\Program Files\Updater\update.exe -background'
reg 'HKCU\Software\VB and VBA Program Settings\Vantrelix v3.0\Settings' /v txtBackup /d "Z:${work//\//\\}"
reg 'HKCU\Software\VB and VBA Program Settings\Vantrelix v3.0\Settings' /v txtLogFile /d "Z:${work//\//\\}"
# Wine takes the screen's DPI from here.
reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $((96 * scale / 100))

out="$root/build-windows/screenshots"
[ "$scale" = 100 ] || out="$out-$scale"
rm -rf "$out"
mkdir -p "$out"
VANTRELIX_SCREENSHOTS="Z:${out//\//\\}" xvfb-run -a -s "-screen 0 $((1280 * scale / 100))x$((1024 * scale / 100))x24" \
    "$wine" "$root/build-windows/win32gui_tests.exe" --gtest_brief=1 --gtest_filter='Screenshots.*' | tr -d '\r'
# Each 24-bit BMP as a PNG.
python3 - "$out"/*.bmp <<'PY'
import struct, sys, zlib
for name in sys.argv[1:]:
    data = open(name, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row = data[offset + (abs(height) - 1 - y if height > 0 else y) * stride:][:width * 3]
        rows.append(b"\0" + bytes(b for i in range(0, len(row), 3) for b in (row[i + 2], row[i + 1], row[i])))
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    open(name[:-4] + ".png", "wb").write(png)
PY
rm -f "$out"/*.bmp
ls "$out"
