#!/usr/bin/env bash
# Builds the Debian package into build-package/ and checks it: its files against tools/package-files.txt
# and the package as a whole with lintian (an error fails, warnings are listed).
# Usage: tools/package.sh [--without-gui | --from BUILD-DIR] [JOBS]
#   --without-gui    package vantrelix-cli alone (the desktop program, its entry, icon and manual page left out)
#   --from BUILD-DIR package what an existing build folder built (CI: the test build), instead of building
#                    build-package/ with Debian's hardening flags
#   JOBS             parallel build jobs (default 1)
set -euo pipefail
cd "$(dirname "$0")/.."
gui=ON
from=""
if [ "${1:-}" = "--without-gui" ]; then
    gui=OFF
    shift
elif [ "${1:-}" = "--from" ]; then
    from=${2:?usage: tools/package.sh --from BUILD-DIR}
    shift 2
fi
jobs=${1:-1}
build=build-package

# The tools the check needs (tools/setup.sh --with-test-tools installs them too).
tools/install-packages.sh dpkg-dev lintian man-db file

# The manual pages read without a warning and have a name line that whatis can index.
for page in data/man/*.1; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l -Tutf8 "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "package: $page: groff warnings:" >&2
        echo "$warnings" >&2
        exit 1
    fi
    lexgrog "$page" >/dev/null || { echo "package: $page: lexgrog finds no NAME line" >&2; exit 1; }
done

# The help pages stand alone: nothing is fetched from elsewhere.
if grep -nE '(src|href)="(https?:)?//|@import|url\(' data/help/*.html; then
    echo "package: the help pages above load something from outside" >&2
    exit 1
fi

if [ -n "$from" ]; then
    build=$from
    cmake --build "$build" -j"$jobs"
else
    # Debian's own compiler and linker flags (hardening: stack protector, fortified functions, full RELRO).
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
    ldflags=$(dpkg-buildflags --get LDFLAGS)
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
          -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_STRIP="$PWD/cmake/deb/strip" \
          -DVANTRELIX_GUI="$gui" -DVANTRELIX_TESTS=OFF -DVANTRELIX_BENCH=OFF -DVANTRELIX_FUZZ=OFF \
          -DVANTRELIX_ASAN=OFF >/dev/null
    cmake --build "$build" -j"$jobs"
fi
rm -f "$build"/vantrelix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vantrelix_*.deb)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

# The files it installs, against the list kept with the sources.
root="$build/package-root"
rm -rf "$root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
actual=$(cd "$root" && find . -mindepth 1 \( -type f -o -type l \) -printf '/%P\n' | LC_ALL=C sort)
if [ "$gui" = ON ]; then strip='s/^desktop: //'; else strip='/^desktop: /d'; fi
expected=$(grep -v '^#' tools/package-files.txt | sed -e "$strip" -e '/^$/d' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
    echo "package: the package's files differ from tools/package-files.txt (- expected, + in the package):" >&2
    diff -u <(echo "$expected") <(echo "$actual") | tail -n +3 >&2 || true
    exit 1
fi
echo "package: its files are the ones tools/package-files.txt lists"

# Every file and folder is owned by root, folders and programs 0755, the rest 0644.
bad=$(dpkg-deb -c "$deb" | awk '
    $2 != "root/root" { print; next }
    /^d/ && $1 != "drwxr-xr-x" { print; next }
    /^-/ && $6 ~ /\/usr\/bin\// && $1 != "-rwxr-xr-x" { print; next }
    /^-/ && $6 !~ /\/usr\/bin\// && $1 != "-rw-r--r--" { print }')
if [ -n "$bad" ]; then
    echo "package: files with the wrong owner or mode:" >&2
    echo "$bad" >&2
    exit 1
fi
for program in "$root"/usr/bin/*; do
    file -b "$program" | grep -q ', stripped' || { echo "package: $program is not stripped" >&2; exit 1; }
done

# lintian: errors fail the check, warnings (and the rest) are listed.
lintian_out=$(lintian --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true)
echo "package: lintian says:"
if [ -n "$lintian_out" ]; then echo "$lintian_out"; else echo "  (nothing)"; fi
if grep -q '^E:' <<<"$lintian_out"; then
    echo "package: lintian reports errors" >&2
    exit 1
fi
echo "package: $deb is ready"
