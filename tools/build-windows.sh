#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-windows/vantrelix-cli.exe, one file with its
# runtime linked in, and (unless --no-tests) the Win32 backend's tests, build-windows/win32_tests.exe.
# Usage: tools/build-windows.sh [--no-tests]
set -euo pipefail
cd "$(dirname "$0")/.."
tests=ON
[ "${1:-}" = "--no-tests" ] && tests=OFF

packages=(cmake ninja-build g++-mingw-w64-x86-64 libcli11-dev nlohmann-json3-dev)
[ "$tests" = ON ] && packages+=(googletest)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVANTRELIX_TESTS="$tests" >/dev/null
cmake --build build-windows -j"${VANTRELIX_JOBS:-$(nproc)}"
echo "built build-windows/vantrelix-cli.exe"
