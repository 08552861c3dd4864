#!/usr/bin/env bash
# Writes a small demo Wine prefix: a registry with valid and broken entries in every section, and a
# drive_c holding the files the valid entries name. Usage: tools/make-demo-prefix.sh DIR
set -euo pipefail
dir=${1:?usage: make-demo-prefix.sh DIR}
rm -rf "$dir"
mkdir -p "$dir/dosdevices" "$dir/drive_c"
ln -s ../drive_c "$dir/dosdevices/c:"
c="$dir/drive_c"
mkdir -p "$c/windows/system32" "$c/windows/Fonts" "$c/windows/help" "$c/Program Files/Common Files/Microsoft Shared/MSInfo" \
         "$c/Program Files/Editor" "$c/Program Files/Player" "$c/users/Public/Desktop" "$c/users/demo/Desktop"
for f in windows/system32/shell32.dll windows/system32/ole32.dll windows/system32/rundll32.exe \
         windows/system32/msiexec.exe windows/system32/msxml3.dll windows/system32/ios.vxd windows/notepad.exe \
         windows/Fonts/arial.ttf windows/help/notepad.hlp "Program Files/Editor/editor.exe" \
         "Program Files/Common Files/Microsoft Shared/MSInfo/msinfo32.exe" "Program Files/Player/player.exe"; do
    : > "$c/$f"
done

# Two shortcuts written by Wine's own shell: one whose target exists, one whose target is gone.
links="$(cd "$(dirname "$0")/.." && pwd)/tests/shortcuts/data/wine"
cp "$links/existing_target.lnk" "$c/users/Public/Desktop/Notepad.lnk"
cp "$links/missing_target.lnk" "$c/users/demo/Desktop/Old Game.lnk"

cat > "$dir/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\CLSID\\{00000001-DEMO-0000-0000-000000000001}\\InprocServer32] 1700000000
#time=1da00000000000
@="C:\\windows\\system32\\shell32.dll"
"ThreadingModel"="Apartment"

[Software\\Classes\\CLSID\\{00000002-DEMO-0000-0000-000000000002}\\InprocServer32] 1700000000
#time=1da00000000000
@="C:\\Program Files\\OldToolbar\\toolbar.dll"

[Software\\Classes\\CLSID\\{00000003-DEMO-0000-0000-000000000003}\\InprocServer32] 1700000000
#time=1da00000000000
@="%SystemRoot%\\System32\\msxml3.dll"

[Software\\Classes\\CLSID\\{00000004-DEMO-0000-0000-000000000004}\\LocalServer32] 1700000000
#time=1da00000000000
@="gone.ocx"

[Software\\Classes\\lnkfile] 1700000000
#time=1da00000000000
@="Shortcut"
"IsShortcut"=""

[Software\\Classes\\.lnk] 1700000000
#time=1da00000000000
@="lnkfile"

[Software\\Microsoft\\Shared Tools\\MSInfo] 1700000000
#time=1da00000000000
"Path"="C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe"

[Software\\Microsoft\\Shared Tools\\Proofing] 1700000000
#time=1da00000000000
"Path"="C:\\Program Files\\Common Files\\Microsoft Shared\\Proof\\mssp3en.dll"

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
#time=1da00000000000
"CommonFilesDir"="C:\\Program Files\\Common Files"
"ProgramFilesDir"="C:\\Program Files"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\editor.exe] 1700000000
#time=1da00000000000
@="C:\\Program Files\\Editor\\editor.exe"
"Path"="C:\\Program Files\\Editor;"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\oldgame.exe] 1700000000
#time=1da00000000000
@="C:\\Games\\OldGame\\oldgame.exe"

[Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Demo] 1700000000
#time=1da00000000000
"Player"="\"C:\\Program Files\\Player\\player.exe\" /tray"
"Updater"="C:\\Program Files\\Updater\\update.exe -background"

[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Editor] 1700000000
#time=1da00000000000
"DisplayName"="Editor"
"UninstallString"="C:\\Program Files\\Editor\\uninstall.exe"
"DisplayIcon"="C:\\Program Files\\Editor\\editor.exe,0"

[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{DEMO-MSI}] 1700000000
#time=1da00000000000
"DisplayName"="Removed Tool"
"QuietUninstallString"="MsiExec.exe /X{DEMO-MSI}"
"InstallSource"="C:\\Installers\\Tool\\setup.exe"

[Software\\Microsoft\\Windows\\Help] 1700000000
#time=1da00000000000
"notepad.hlp"="C:\\windows\\help"
"oldapp.hlp"="C:\\Program Files\\OldApp\\Help"

[Software\\Microsoft\\Windows\\HTML Help] 1700000000
#time=1da00000000000
"player.chm"="C:\\Program Files\\Player"

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
#time=1da00000000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts] 1700000000
#time=1da00000000000
"Arial (TrueType)"="arial.ttf"
"Vanished Sans (TrueType)"="vanished.ttf"

[System\\CurrentControlSet\\Control\\VirtualDeviceDrivers] 1700000000
#time=1da00000000000
"IOS"="ios.vxd"
"OldDriver"="C:\\windows\\system\\olddrv.vxd"
REG

cat > "$dir/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Demo] 1700000000
#time=1da00000000000
"Order"=hex:00
REG

cat > "$dir/userdef.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\.Default

#arch=win64
REG
echo "demo prefix written to $dir"
