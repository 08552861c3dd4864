#!/usr/bin/env bash
# Sets up, builds and runs every test, including the comparisons with Wine itself and the shortcut
# readers under AddressSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh --with-test-tools

# A prefix made by Wine itself, once per build folder.
if [ ! -f build/wine-prefix/system.reg ]; then
    rm -rf build/wine-prefix
    tools/make-wine-prefix.sh build/wine-prefix >/dev/null 2>&1 || echo "warning: no Wine-made prefix; the Wine comparison tests are skipped" >&2
fi
if [ -f build/wine-prefix/system.reg ]; then
    export VANTRELIX_WINE_PREFIX="$PWD/build/wine-prefix"
fi
# Tests never touch the settings or backups of the user running them.
export XDG_CONFIG_HOME="$PWD/build/test-home/config" XDG_DATA_HOME="$PWD/build/test-home/data"

ctest --test-dir build --output-on-failure -j"$(nproc)"

# The Windows program, cross-built: the Win32 backend's tests under Wine, and the same findings from it on
# Wine's live registry as from the Linux program on the prefix's files.
tools/test-windows.sh

# Damaged files from the wild (shortcuts, hives, registry files) meet every reader, and the windows run
# long work and modal boxes inside their handlers: run the whole suite again, the window tests (gui_tests,
# on Qt's offscreen platform) among them, under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRELIX_ASAN=ON -DVANTRELIX_BENCH=OFF >/dev/null
cmake --build build-asan -j"$(nproc)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

# The Debian package, made from the build the tests ran on and checked (its files, and lintian).
tools/package.sh --from build "$(nproc)"

# Every reader of outside data meets a short fuzzing run (about ten seconds a target); a crash found here
# once is kept in build-fuzz/crashes/ with the command that repeats it.
tools/fuzz.sh --ci
