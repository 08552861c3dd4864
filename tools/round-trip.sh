#!/usr/bin/env bash
# Scan, repair and restore over many prefixes generated from seeds (tests/support/generated_prefix.*):
# every registry file and shortcut must come back as it was.
# Usage: tools/round-trip.sh [SEEDS [FIRST]]
#   SEEDS  how many seeds to run (default 1000)
#   FIRST  the first seed (default 1)
# Prints every failing seed with the command that runs it again, and fails when one failed (at most 20 are
# listed; run again from the last one to go on). Names hold unpaired UTF-16 surrogates, and fullwidth
# letters beside characters beyond U+FFFF, unless VANTRELIX_ROUND_TRIP_SURROGATE_NAMES=0 or
# VANTRELIX_ROUND_TRIP_HIGH_BMP_NAMES=0; VANTRELIX_ROUND_TRIP_KEEP=DIR keeps each prefix as generated in DIR/seed-N. BUILD_DIR
# chooses the build folder (default build), BUILD_JOBS its jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
seeds=${1:-1000}
first=${2:-1}
build=${BUILD_DIR:-build}
[[ "$seeds" =~ ^[0-9]+$ && "$first" =~ ^[0-9]+$ ]] || { echo "usage: tools/round-trip.sh [SEEDS [FIRST]]" >&2; exit 2; }

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target results_tests -j"${BUILD_JOBS:-$(nproc)}" >/dev/null

# Tests never touch the settings or backups of the user running them.
export XDG_CONFIG_HOME="$PWD/$build/test-home/config" XDG_DATA_HOME="$PWD/$build/test-home/data"
echo "round trip: seeds $first to $((first + seeds - 1))"
status=0
VANTRELIX_ROUND_TRIP_SEEDS=$seeds VANTRELIX_ROUND_TRIP_FIRST=$first \
    "$build/tests/results_tests" --gtest_filter=RoundTrip.GeneratedPrefixesComeBackExactly --gtest_brief=1 \
    >"$build/round-trip.log" 2>&1 || status=$?
grep '^round trip failed' "$build/round-trip.log" || true
if [ "$status" -ne 0 ]; then
    echo "round-trip.sh: failures; the details are in $build/round-trip.log" >&2
    exit 1
fi
echo "round-trip.sh: every seed came back exactly"
