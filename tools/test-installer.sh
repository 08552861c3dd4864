#!/usr/bin/env bash
# Tests the Windows installer under Wine, on a prefix of its own copied from CLEAN-PREFIX (a prefix Wine
# made, untouched), once for all users (Wine's user has administrator rights) and once with /CurrentUser:
# /S installs silently; both programs start (vantrelix-cli.exe answers --version and writes a setting,
# and for all users repairs a broken value, writing a backup; vantrelix.exe opens its main window under
# Xvfb, a second start only brings it forward, and it is ended); the silent uninstall then leaves nothing behind, in files and in the registry, but
# that backup in the program's folder.
# Usage: tools/test-installer.sh CLEAN-PREFIX   (tools/test-windows.sh runs it; needs the installer made
# by tools/package-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
clean=${1:?usage: tools/test-installer.sh CLEAN-PREFIX}
setup="$root/build-windows/vantrelix-3.0.0-setup.exe"
test -f "$setup" || { echo "test-installer: $setup is missing (tools/package-windows.sh)" >&2; exit 2; }
tools/install-packages.sh xvfb xauth xdotool

work="$root/build-windows/installer-check"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
# No Mono or Gecko prompts, and no menu entries of the host made from the Start menu's shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=$(command -v wine64 || command -v wine)
stop_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
trap stop_wine EXIT
fail() { echo "test-installer: $*" >&2; exit 1; }

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrelix'
settings_key='HKCU\Software\VB and VBA Program Settings\Vantrelix v3.0'
# Every file and folder of the prefix's drive, but for the temporary files Wine itself keeps.
drive_files() { (cd "$WINEPREFIX/drive_c" && find . -path '*/Temp' -prune -o -print | sort); }
registry() { "$wine" reg query "$1" "${@:2}" >/dev/null 2>&1; }

check_mode() { # NAME SWITCH ROOT BACKUP: one install, run (with a repair when BACKUP is yes), uninstall
    local name=$1 switch=$2 root_key=$3 backup=$4
    echo "== Installer, $name"
    rm -rf "$WINEPREFIX"
    mkdir -p "$work"
    cp -a "$clean" "$WINEPREFIX"
    find "$WINEPREFIX/drive_c/users" -type l -delete # Wine's links to the Unix home stay out of it
    drive_files > "$work/files.before"

    "$wine" "$setup" /S $switch
    wineserver -w
    local folder
    if [ "$root_key" = HKLM ]; then
        folder="$WINEPREFIX/drive_c/Program Files/Vantrelix"
    else
        folder=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Programs/Vantrelix' -type d)
    fi
    for file in vantrelix.exe vantrelix-cli.exe uninstall.exe help/reghelp.html help/support.html; do
        [ -f "$folder/$file" ] || fail "$name: $file is not installed in $folder"
    done
    cmp "$root/build-windows/vantrelix.exe" "$folder/vantrelix.exe"
    local link
    link=$(find "$WINEPREFIX/drive_c" -name 'Vantrelix v3.0.lnk')
    case "$root_key:$link" in
    HKLM:*/ProgramData/Microsoft/Windows/Start\ Menu/Programs/*) ;;
    HKCU:*/users/*/Start\ Menu/Programs/*) ;;
    *) fail "$name: the Start menu entry is missing or misplaced: '$link'" ;;
    esac
    registry "${uninstall_key/HKLM/$root_key}" /v UninstallString || fail "$name: no Uninstall entry in $root_key"
    if [ "$root_key" = HKCU ] && registry "$uninstall_key"; then
        fail "$name: an Uninstall entry for all users"
    fi
    echo "installed in ${folder#"$WINEPREFIX/"}, with its Start menu entry and Uninstall entry"

    local cli="$folder/vantrelix-cli.exe"
    "$wine" "$cli" --version | tr -d '\r' | grep -qx 'vantrelix-cli 3.0.0' || fail "$name: vantrelix-cli.exe --version"
    "$wine" "$cli" settings chkSelectlistviewItems 1 >/dev/null
    registry "$settings_key" || fail "$name: vantrelix-cli.exe wrote no setting"
    if [ "$backup" = yes ]; then
        "$wine" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\gone.exe' /ve \
            /d 'C:\Gone\gone.exe' /f >/dev/null
        "$wine" "$cli" --yes repair --sections "Software Locations" > "$work/repair.out" 2>&1 || [ $? -eq 1 ]
        wineserver -w
        ls "$folder" | grep -q '^BackUp ' || fail "$name: the repair wrote no backup into $folder"
    fi
    echo "vantrelix-cli.exe runs"

    # The window: vantrelix.exe's main window (720 x 480) shows on the display; a second start brings it
    # forward and ends by itself, leaving one main window; then the program is ended.
    status=0
    xvfb-run -a bash -c '
        main_windows() {
            for window in $(xdotool search --name "Vantrelix v3.0$" 2>/dev/null); do
                xdotool getwindowgeometry "$window" | grep -q "Geometry: 720x480" && echo "$window"
            done
        }
        "$0" "$1" 2>/dev/null &
        for i in $(seq 60); do
            [ -n "$(main_windows)" ] && break
            sleep 1
        done
        [ -n "$(main_windows)" ] || exit 1
        timeout 60 "$0" "$1" 2>/dev/null || exit 2
        [ "$(main_windows | wc -l)" = 1 ] || exit 3' "$wine" "$folder/vantrelix.exe" || status=$?
    case $status in
    0) ;;
    1) fail "$name: vantrelix.exe showed no main window" ;;
    2) fail "$name: a second vantrelix.exe did not end by itself" ;;
    *) fail "$name: a second vantrelix.exe opened a main window of its own" ;;
    esac
    wineserver -k
    wineserver -w
    echo "vantrelix.exe opened its main window, and a second start brought it forward"

    # The uninstaller runs from a copy of itself in the temporary folder: wineserver -w waits for it.
    "$wine" "$folder/uninstall.exe" /S
    wineserver -w
    drive_files > "$work/files.after"
    # What is new on the drive: with a backup, the backup and the folders that hold it; else nothing.
    local kept=() path="./${folder#"$WINEPREFIX/drive_c/"}"
    if [ "$backup" = yes ]; then
        while [ "$path" != . ]; do
            kept+=(-e "$path")
            path=$(dirname "$path")
        done
    fi
    local left
    left=$(comm -13 "$work/files.before" "$work/files.after" | grep -v "/BackUp [^/]*$" |
        grep -vxF "${kept[@]:--e /}" || true)
    [ -z "$left" ] || fail "$name: the uninstall left more than the backups: $left"
    ! registry "${uninstall_key/HKLM/$root_key}" || fail "$name: the Uninstall entry is left"
    ! registry "$settings_key" || fail "$name: the settings are left"
    if [ "$backup" = yes ]; then
        ls "$folder" | grep -q '^BackUp ' || fail "$name: the uninstall removed the backup"
        echo "uninstalled: only the backup is left, in ${folder#"$WINEPREFIX/"}"
    else
        echo "uninstalled: nothing is left"
    fi
}

check_mode "for all users" "" HKLM yes
check_mode "for the current user" /CurrentUser HKCU no
