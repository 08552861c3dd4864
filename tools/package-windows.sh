#!/usr/bin/env bash
# Makes the Windows installer with Debian's nsis: build-windows/vantrelix-3.0.0-setup.exe, holding
# vantrelix.exe, vantrelix-cli.exe and the help pages (cmake/windows/installer.nsi says what it does).
# Usage: tools/package-windows.sh [--no-tests]   (builds the programs first; --no-tests: not their tests)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh nsis
tools/build-windows.sh "$@" >/dev/null
version=$(sed -n 's/^project(vantrelix VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

makensis -V2 -DVERSION="$version" -DBUILD="$PWD/build-windows" -DSOURCE="$PWD" cmake/windows/installer.nsi
echo "built build-windows/vantrelix-$version-setup.exe"
