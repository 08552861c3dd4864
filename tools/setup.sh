#!/usr/bin/env bash
# Installs the Debian packages the build needs (only what is missing) and builds into build/.
# Usage: tools/setup.sh [--with-test-tools]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libcli11-dev
          nlohmann-json3-dev liblnk-dev libbfio-dev libhivex-dev libcanberra-dev
          qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core)
if [ "${1:-}" = "--with-test-tools" ]; then
    # Wine itself, to compare the program's answers with Wine's on a Wine-made prefix; mingw-w64 and
    # GoogleTest's sources for the Windows build tested under Wine; and what builds and checks the Debian
    # package (tools/package.sh).
    packages+=(wine wine64 xvfb xauth g++-mingw-w64-x86-64 googletest attr dpkg-dev lintian man-db file)
fi
tools/install-packages.sh "${packages[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
