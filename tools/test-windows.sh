#!/usr/bin/env bash
# Builds the Windows program and the Win32 backend's tests, runs the tests under Wine on a scratch prefix,
# and checks the Win32 backend against the Wine-prefix backend: one fixture, written once as the prefix's
# files, is scanned by the Linux program reading those files and by the Windows program on Wine's live
# registry, and the findings must be the same. Repair and restore under Wine must give back the registry
# exactly. Needs build/src/vantrelix-cli (tools/setup.sh).
# Then the desktop program's windows are driven under Xvfb: Scan Now on the same fixture must show the
# same summary as the terminal program, and its repair, restored by its backup manager, must give the
# registry back exactly.
# Last, the installer (tools/package-windows.sh) is tested by tools/test-installer.sh.
# Usage: tools/test-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/build-windows.sh >/dev/null
linux_cli="$root/build/src/vantrelix-cli"
exe="$root/build-windows/vantrelix-cli.exe"
test -x "$linux_cli" || { echo "test-windows: $linux_cli is missing (run tools/setup.sh)" >&2; exit 2; }

work="$root/build-windows/wine-check"
# A prefix made by Wine itself, once; every run starts from a copy of it. Console programs need no display.
. tools/wine-scratch-prefix.sh
scratch_prefix "$work"
# Wine links the user's Desktop, Documents … to the Unix home folder, and follows those links where the
# Wine-prefix backend (which never leaves the drive) does not; on Windows they are plain folders.
find "$WINEPREFIX/drive_c/users" -type l | while IFS= read -r link; do
    if [ -d "$link" ]; then
        rm "$link"
        mkdir "$link"
    fi
done

echo "== Win32 backend tests under Wine"
"$wine" "$root/build-windows/win32_tests.exe" --gtest_brief=1
wineserver -w
echo "== The windows' tests under Wine"
VANTRELIX_EXPECT_DPI=96 xvfb-run -a "$wine" "$root/build-windows/win32gui_tests.exe" --gtest_brief=1
wineserver -w
echo "== The windows' tests at 150 % (144 DPI, on a copy of the prefix)"
# Wine takes the screen's DPI from the user's LogPixels; the screen is as large as one that 150 % suits.
rm -rf "$work/prefix-144"
cp -a "$WINEPREFIX" "$work/prefix-144"
"$linux_cli" --prefix "$work/prefix-144" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
WINEPREFIX="$work/prefix-144" VANTRELIX_EXPECT_DPI=144 xvfb-run -a -s "-screen 0 1920x1536x24" \
    "$wine" "$root/build-windows/win32gui_tests.exe" --gtest_brief=1
WINEPREFIX="$work/prefix-144" wineserver -w
rm -rf "$work/prefix-144"

echo "== Fixture"
# Written as the prefix's files by the Linux program while no Wine server runs.
reg() { "$linux_cli" --prefix "$WINEPREFIX" reg add "$@" /f >/dev/null; }
c="$WINEPREFIX/drive_c"
mkdir -p "$c/Program Files/Editor" "$c/Program Files/Player" "$c/Program Files/Größe" "$c/users/Public/Desktop" \
         "$c/windows/help" "$c/Program Files/Common Files/Microsoft Shared/MSInfo"
for f in "Program Files/Editor/editor.exe" "Program Files/Player/player.exe" "Program Files/Größe/größe.exe" \
         "windows/help/notepad.hlp" "Program Files/Common Files/Microsoft Shared/MSInfo/msinfo32.exe"; do
    : > "$c/$f"
done
links="$root/tests/shortcuts/data/wine"
cp "$links/existing_target.lnk" "$c/users/Public/Desktop/Notepad.lnk"
cp "$links/missing_target.lnk" "$c/users/Public/Desktop/Old Game.lnk"
cp "$links/missing_target.lnk" "$c/users/Public/Desktop/Spiel für Größe.lnk"
# Wine's z: is the host's whole file system: a network drive, as the Wine-prefix backend sees it.
reg 'HKLM\Software\Wine\Drives' /v 'z:' /d network
clsid='HKLM\Software\Classes\CLSID'
reg "$clsid\\{00000001-CHECK-0000-0000-000000000001}\\InprocServer32" /ve /d 'C:\windows\system32\shell32.dll'
reg "$clsid\\{00000002-CHECK-0000-0000-000000000002}\\InprocServer32" /ve /d 'C:\Program Files\OldToolbar\toolbar.dll'
reg "$clsid\\{00000003-CHECK-0000-0000-000000000003}\\InprocServer32" /ve /t REG_EXPAND_SZ /d '%SystemRoot%\System32\gone.dll'
reg "$clsid\\{00000004-CHECK-0000-0000-000000000004}\\LocalServer32" /ve /d 'gone.ocx'
reg 'HKLM\Software\Microsoft\Shared Tools\MSInfo' /v Path /d 'C:\Program Files\Common Files\Microsoft Shared\MSInfo\msinfo32.exe'
reg 'HKLM\Software\Microsoft\Shared Tools\Proofing' /v Path /d 'C:\Program Files\Common Files\Microsoft Shared\Proof\mssp3en.dll'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\editor.exe' /ve /d 'C:\Program Files\Editor\editor.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\oldgame.exe' /ve /d 'C:\Games\OldGame\oldgame.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\größe.exe' /ve /d 'C:\Program Files\Größe\größe.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\fehlt.exe' /ve /d 'C:\Programme\Größe\fehlt.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Player /d '"C:\Program Files\Player\player.exe" /tray'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Updater /d 'C:\Program Files\Updater\update.exe -background'
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Übersetzer' /d 'C:\Program Files\Übersetzer\ü.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Editor' /v UninstallString /d 'C:\Program Files\Editor\uninstall.exe'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Editor' /v DisplayIcon /d 'C:\Program Files\Editor\editor.exe,0'
reg 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{CHECK-MSI}' /v InstallSource /d 'C:\Installers\Tool\setup.exe'
reg 'HKLM\Software\Microsoft\Windows\Help' /v notepad.hlp /d 'C:\windows\help'
reg 'HKLM\Software\Microsoft\Windows\Help' /v oldapp.hlp /d 'C:\Program Files\OldApp\Help'
reg 'HKLM\Software\Microsoft\Windows\HTML Help' /v player.chm /d 'C:\Program Files\Player'
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Vanished Sans (TrueType)' /d vanished.ttf
reg 'HKLM\System\CurrentControlSet\Control\VirtualDeviceDrivers' /v OldDriver /d 'C:\windows\system\olddrv.vxd'
# A string of odd length, as a damaged or hand-edited registry holds one ("C:\gone\odd.exe" and half its
# terminator), written straight into the prefix's file: it is found, and its bytes come back exactly.
odd_key='Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\odd.exe'
printf '\n[%s]\n@=hex(1):%s\n' "$odd_key" \
    "$(printf 'C:\\gone\\odd.exe' | iconv -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',' | sed 's/^,//')00" \
    >> "$WINEPREFIX/system.reg"
# The odd value's lines as Wine keeps them in system.reg (after its server has written the file).
odd_value() {
    wineserver -w
    KEY="[$odd_key]" awk 'index($0, ENVIRON["KEY"]) == 1 { on = 1; next } /^\[/ { on = 0 } on && !/^#/' "$WINEPREFIX/system.reg"
}
# The Windows program keeps its settings in HKCU; its backups go where the drive walk does not see them
# (z: is a network drive): their copies of broken shortcuts are broken shortcuts too.
mkdir -p "$work/backups"
reg 'HKCU\Software\VB and VBA Program Settings\Vantrelix v3.0\Settings' /v txtBackup /d "Z:${work//\//\\}\\backups"

# What each side reports, without the run's own times and the target's name.
normalise() { python3 -c '
import json, sys
scan = json.load(sys.stdin)
for key in ("target", "start", "end"):
    scan.pop(key, None)
print(json.dumps(scan, indent=1, ensure_ascii=False, sort_keys=True))'; }
compare() { # NAME: the Linux program's and the Windows program's scans of the prefix
    # Status 1 says that something was found.
    XDG_CONFIG_HOME="$work/linux-home" XDG_DATA_HOME="$work/linux-home" \
        "$linux_cli" --prefix "$WINEPREFIX" scan --json > "$work/$1.linux.raw" || [ $? -eq 1 ]
    "$wine" "$exe" scan --json > "$work/$1.wine.raw" || [ $? -eq 1 ]
    normalise < "$work/$1.linux.raw" > "$work/$1.linux.json"
    normalise < "$work/$1.wine.raw" > "$work/$1.wine.json"
    wineserver -w
    if ! diff -u "$work/$1.linux.json" "$work/$1.wine.json"; then
        echo "test-windows: the Win32 backend and the Wine-prefix backend disagree ($1)" >&2
        exit 1
    fi
    echo "$1: both backends report the same $(python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); print(len(s["problems"]), "values and", len(s["shortcuts"]), "shortcuts")' "$work/$1.linux.json")"
}
# The registry as Wine's own reg.exe exports it, for the round trip.
export_registry() {
    for key in 'HKLM\Software' 'HKLM\System\CurrentControlSet\Control\VirtualDeviceDrivers' 'HKCU\Software'; do
        "$wine" reg export "$key" "C:\\export.reg" /y >/dev/null 2>&1
        iconv -f UTF-16LE -t UTF-8 "$c/export.reg"
    done | grep -v -i -e '^"InstallDate"' -e 'MenuOrder' |
        # The program's own settings key (the window saves its check boxes there), with all its values.
        awk '/^\[/ { own = index($0, "\\Vantrelix v3.0") > 0 } !own' > "$1"
    wineserver -w
}

echo "== Differential check"
compare before
export_registry "$work/registry.before"
odd_value > "$work/odd.before"
grep -q '^@=hex(1):' "$work/odd.before" || { echo "test-windows: the odd-length string is not in the fixture" >&2; exit 1; }
grep -q 'odd.exe' "$work/before.wine.json" || { echo "test-windows: the odd-length string was not found" >&2; exit 1; }
grep -q '"Spiel für Größe.lnk\|Spiel für Größe' "$work/before.wine.json" || { echo "test-windows: the non-ASCII shortcut is missing" >&2; exit 1; }

echo "== Repair and restore under Wine"
"$wine" "$exe" --yes repair > "$work/repair.out" || [ $? -eq 1 ]
wineserver -w
cat "$work/repair.out" | grep -E '^(Repaired|Skipped|Backup)'
compare repaired
python3 -c 'import json,sys; s=json.load(open(sys.argv[1])); sys.exit(1 if s["problems"] or s["shortcuts"] else 0)' \
    "$work/repaired.wine.json" || { echo "test-windows: findings left after the repair" >&2; exit 1; }
backup=$(sed -n 's/^Backup: *//p' "$work/repair.out" | tr -d '\r')
name=${backup##*\\}
"$wine" "$exe" --yes backups restore "$name" | tr -d '\r' | grep -E '^Records restored'
wineserver -w
compare restored
export_registry "$work/registry.after"
if ! diff -u "$work/registry.before" "$work/registry.after"; then
    echo "test-windows: repair and restore did not give the registry back exactly" >&2
    exit 1
fi
odd_value > "$work/odd.after"
if ! diff -u "$work/odd.before" "$work/odd.after"; then
    echo "test-windows: repair and restore did not give the odd-length string back byte for byte" >&2
    exit 1
fi
echo "== Repair and restore gave the registry back exactly, the odd-length string byte for byte"
for link in "Old Game.lnk" "Spiel für Größe.lnk"; do
    cmp "$links/missing_target.lnk" "$c/users/Public/Desktop/$link"
done
echo "== The shortcuts are back as they were"

echo "== The desktop program's windows on the fixture"
rm -f "$work/gui-summary.txt"
VANTRELIX_GUI_ROAD=1 VANTRELIX_GUI_SUMMARY="$work/gui-summary.txt" WINEDEBUG=-all \
    xvfb-run -a "$wine" "$root/build-windows/win32gui_tests.exe" --gtest_brief=1 --gtest_filter='MainWindowTest.*' \
    > "$work/gui.out"
wineserver -w
tr -d '\r' < "$work/gui-summary.txt" > "$work/gui-summary.lf"
python3 -c 'import json,sys; print("\n".join(json.load(open(sys.argv[1]))["summary"]))' "$work/before.wine.raw" \
    > "$work/cli-summary.txt"
if ! diff -u "$work/cli-summary.txt" "$work/gui-summary.lf"; then
    echo "test-windows: the window's summary differs from vantrelix-cli.exe's" >&2
    exit 1
fi
echo "The window's summary matches vantrelix-cli.exe's ($(wc -l < "$work/gui-summary.lf") rows)"
backup=$(tr -d '\r' < "$work/gui.out" | sed -n 's/^GUI backup: *//p')
[ -n "$backup" ] || { echo "test-windows: the window's repair named no backup" >&2; exit 1; }
# The backup went where the settings say, and the window's backup manager restored it and let its file go.
case "$backup" in
    "Z:${work//\//\\}\\backups\\"*) ;;
    *) echo "test-windows: the window's backup is not in the settings' folder: $backup" >&2; exit 1 ;;
esac
[ ! -e "$work/backups/${backup##*\\}" ] || { echo "test-windows: the restored backup is still listed" >&2; exit 1; }
compare gui-restored
export_registry "$work/registry.after-gui"
if ! diff -u "$work/registry.before" "$work/registry.after-gui"; then
    echo "test-windows: the window's repair and its backup manager's restore did not give the registry back exactly" >&2
    exit 1
fi
odd_value > "$work/odd.after-gui"
if ! diff -u "$work/odd.before" "$work/odd.after-gui"; then
    echo "test-windows: the window's repair and restore did not give the odd-length string back byte for byte" >&2
    exit 1
fi
echo "== The window's repair and its backup manager's restore gave the registry back exactly"

echo "== The installer: silent install for all users and for one user, both programs, uninstall"
tools/package-windows.sh >/dev/null
tools/test-installer.sh "$work/clean"
