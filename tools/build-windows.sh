#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-windows/vantrelix-cli.exe, one file with its
# runtime linked in, and (unless --no-tests) the Win32 backend's tests, build-windows/win32_tests.exe.
# Usage: tools/build-windows.sh [--no-tests]
set -euo pipefail
cd "$(dirname "$0")/.."
tests=ON
[ "${1:-}" = "--no-tests" ] && tests=OFF

# librsvg2-bin and icoutils render the art and the icon of vantrelix.exe at build time.
packages=(cmake ninja-build g++-mingw-w64-x86-64 libcli11-dev nlohmann-json3-dev librsvg2-bin icoutils)
[ "$tests" = ON ] && packages+=(googletest)
tools/install-packages.sh "${packages[@]}"

cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVANTRELIX_TESTS="$tests" >/dev/null
cmake --build build-windows -j"${VANTRELIX_JOBS:-$(nproc)}"
echo "built build-windows/vantrelix-cli.exe"
