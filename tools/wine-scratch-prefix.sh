# Sourced by the scripts that run the Windows programs under Wine (tools/test-windows.sh,
# tools/screenshots-windows.sh, tools/bench-windows.sh). `scratch_prefix WORK` makes WORK/prefix afresh
# from a prefix Wine made itself once (WORK/clean), exports WINEPREFIX and Wine's quiet settings, sets
# `wine` to Wine's loader (wine64 where the 32-bit one is not installed), and has Wine stopped when the
# script ends.
scratch_prefix() {
    local work=$1
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wine=$(command -v wine64 || command -v wine)
    trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
    if [ ! -f "$work/clean/system.reg" ]; then
        rm -rf "$work/clean"
        mkdir -p "$work"
        WINEPREFIX="$work/clean" "$wine" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$work/clean" wineserver -w
    fi
    rm -rf "$WINEPREFIX"
    cp -a "$work/clean" "$WINEPREFIX"
}
