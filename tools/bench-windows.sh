#!/usr/bin/env bash
# Measures vantrelix.exe's window scanning the large generated registry under Wine: the longest time the
# window waits for its message loop during the scan (goal: at most 50 ms), and the scan's time. The
# registry of `scan_bench --generate` (200,000 keys and 1,000,000 values by default) joins the keys of a
# prefix made by Wine, and build-windows/win32gui_scan_bench.exe presses Scan Now in the window under Xvfb.
# Needs build/bench/scan_bench (tools/setup.sh).
# Usage: tools/bench-windows.sh [RUNS [KEYS [VALUES]]]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-3}
tools/build-windows.sh >/dev/null
scan_bench="$root/build/bench/scan_bench"
test -x "$scan_bench" || { echo "bench-windows: $scan_bench is missing (run tools/setup.sh)" >&2; exit 2; }

work="$root/build-windows/wine-bench"
. tools/wine-scratch-prefix.sh
scratch_prefix "$work"
rm -rf "$work/generated"
"$scan_bench" --generate "$work/generated" ${2:+"$2"} ${3:+"$3"} >/dev/null
# The generated keys follow the prefix's own (Wine's file header is the prefix's), and its files join
# drive C:.
sed -n '/^\[/,$p' "$work/generated/system.reg" >> "$WINEPREFIX/system.reg"
cp -an "$work/generated/drive_c/." "$WINEPREFIX/drive_c/" # never over Wine's own files
rm -rf "$work/generated"
# Wine's z: is the host's whole file system: a network drive, which the shortcut walk leaves alone.
printf '\n[Software\\\\Wine\\\\Drives]\n"z:"="network"\n' >> "$WINEPREFIX/system.reg"
echo "registry: $(du -m "$WINEPREFIX/system.reg" | cut -f1) MB system.reg"
# Wine writes the keys it changes at its start (the display's and the input devices') back into the
# registry files 30 s later, and while it writes system.reg every Wine program stands still (63 ms for a
# 7 MB system.reg here): a pause of Wine's, not the window's. The window is measured in a Wine session
# that has settled: Wine is started on the display, and its first write is waited for (60 s at most).
export WINE="$wine" BENCH_EXE="$root/build-windows/win32gui_scan_bench.exe" BENCH_RUNS="$runs"
xvfb-run -a bash -c '
    wineserver -p 600
    "$WINE" cmd /c exit >/dev/null 2>&1
    touch "$WINEPREFIX/.started"
    for _ in $(seq 60); do
        [ "$WINEPREFIX/system.reg" -nt "$WINEPREFIX/.started" ] && break
        sleep 1
    done
    "$WINE" "$BENCH_EXE" "$BENCH_RUNS"
    wineserver -k' | tr -d '\r'
