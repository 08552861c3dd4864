#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang into build-fuzz/ and runs each for a while over its seeds.
# Usage: tools/fuzz.sh [SECONDS_EACH | --ci] [TARGET...]
#   SECONDS_EACH  how long each target runs (default 60); --ci: about 10 s each
#   TARGET        wine_reg_file hive backup_record url lnk path launcher_files (default: all)
# Fails when any target finds something. What it found is kept in build-fuzz/crashes/TARGET/, each input
# beside a .repro file with the command that runs it again; the log is build-fuzz/logs/TARGET.log. The
# corpus grows in build-fuzz/corpus/TARGET/ from run to run. FUZZ_ARGS adds libFuzzer options (for
# example "-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1" to go on after findings);
# FUZZ_BUILD_JOBS sets the build's jobs.
# Seeds come from ../shared/testdata (VANTRELIX_TESTDATA), tests/shortcuts/data and files made here.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=60
if [ "${1:-}" = "--ci" ]; then
    seconds=10
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
all=(wine_reg_file hive backup_record url lnk path launcher_files)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
testdata=${VANTRELIX_TESTDATA:-$root/../shared/testdata}
out=$root/build-fuzz

missing=()
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B "$out" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVANTRELIX_FUZZ=ON -DVANTRELIX_TESTS=OFF -DVANTRELIX_BENCH=OFF >/dev/null
cmake --build "$out" --target vantrelix_fuzz -j"${FUZZ_BUILD_JOBS:-$(nproc)}"

# ---- seeds, made afresh each run ------------------------------------------------------------------------
seeds=$out/seeds
rm -rf "$seeds"
mkdir -p "$seeds"/{wine_reg_file,backup_record,path,hive,launcher_files}

tools/make-demo-prefix.sh "$seeds/demo-prefix" >/dev/null
cp "$seeds"/demo-prefix/*.reg "$seeds/wine_reg_file/"
# Every kind of line Wine writes, and some it would skip.
cat >"$seeds/wine_reg_file/kinds.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Kinds] 1700000000
#time=1da00000000000
#class="A class"
@="default"
"plain"="C:\\Program Files\\x.exe"
"escapes"="tab\there \"quoted\" \\x41 \x00e9\x20ac \101 \0 end"
"type1"=str:"also a string"
"expand"=str(2):"%SystemRoot%\\system32"
"multi"=str(7):"one\0two\0"
"number"=dword:0000002a
"binary"=hex:de,ad,be,ef
"long"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\
  18,19,1a,1b,1c,1d,1e,1f
"qword"=hex(b):10,00,00,00,00,00,00,00
"odd"=hex(ffff0011):01
"caf\xe9"="n\xe4me"

[Software\\Kinds\\Link] 1700000000
#link
"SymbolicLinkValue"=hex(6):5c,00,52,00,65,00,67,00

[Software\\Kinds\\Bad] 1700000000
"unterminated"="no closing quote
"nameonly"
garbage line
[Software\\Broken key line
"orphan"="value without a key"
[Software\\Kinds] 1700000001
"again"="a second section of the same key"
REG
printf 'WINE REGISTRY Version 2\r\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\r\n\r\n[Environment] 0\r\n"TEMP"=str(2):"%%USERPROFILE%%\\\\Temp"\r\n;no line break at the end' \
    >"$seeds/wine_reg_file/crlf.reg"

# The small hives of the test data, the Windows 9x file that must be refused, and a user hive.
for hive in "$testdata"/hives/edge/* "$testdata"/hives/negative/* "$testdata/hives/win7_NTUSER-RunTests.DAT"; do
    [ -f "$hive" ] && cp "$hive" "$seeds/hive/"
done
# A damaged hive whose tree loops: the first subkey of the root lists the root's subkeys as its own.
if [ -f "$testdata/hives/edge/plaso_100_sub_keys.hiv" ]; then
    perl -e '
        local $/; binmode STDIN; binmode STDOUT; my $d = <STDIN>;
        my $u32 = sub { unpack("V", substr($d, $_[0], 4)) };
        my $root = 0x1000 + $u32->(0x24) + 4;    # cells begin with their size
        my ($count, $list) = ($u32->($root + 0x14), $u32->($root + 0x1C));
        my $child = 0x1000 + $u32->(0x1000 + $list + 8) + 4;
        substr($d, $child + 0x14, 4) = pack("V", $count);
        substr($d, $child + 0x1C, 4) = pack("V", $list);
        print $d;' <"$testdata/hives/edge/plaso_100_sub_keys.hiv" >"$seeds/hive/subkey_loop.hiv"
fi

# Backup records, encoded as the program writes them: registry records of both lengths, an older record
# of six fields, a shortcut record, launcher records; fields holding the bytes that need escaping.
encode() { perl -e 'binmode STDOUT; print map { chr((ord($_) + 10) % 256) } split //, $ARGV[0]' "$1"; }
records=(
    "R^HKEY_LOCAL_MACHINE^Software\\Classes\\CLSID\\{1}\\InprocServer32^C:\\gone.dll^(Default)^Yes^1^1^43003a00"
    "R^HKEY_CURRENT_USER^Software\\Run^C:\\a.exe^(Default)^^0^0^^1^2^2500"
    "R^HKEY_LOCAL_MACHINE^Software\\App Paths\\x.exe^C:\\x.exe^Path^"
    "S^C:\\users\\fuzz\\Desktop\\Old Game.lnk"
    "L^/home/u/.local/share/applications/wine/Programs/Tool.desktop^1 Tool.desktop^644"
    "L^/home/u/.local/share/icons/hicolor/48x48/apps/DC01_tool.0.png^2 DC01_tool.0.png^600"
    "R^HKEY_LOCAL_MACHINE^Key$(printf '\xfe\x01')With Caret^$(printf '\xfe\x02\xfe\x03\xfe\x04')^v^^1^3^00fe"
)
for i in "${!records[@]}"; do
    { encode "${records[$i]}"; printf '\r\n'; } >"$seeds/backup_record/record$i"
    { encode "${records[$i]}"; printf '\r\n'; } >>"$seeds/backup_record/file"
done

# Paths: a value name, a line break, then the value's text.
while IFS=$'\t' read -r name text; do
    printf '%s\n%s' "$name" "$text" >"$seeds/path/$(printf '%s' "$name$text" | md5sum | cut -c1-12)"
done <<'PATHS'
	C:\windows\system32\ole32.dll
	"C:\Program Files\Tools\tool.exe" /tray
UninstallString	MsiExec.exe /X{DEMO-MSI}
UninstallString	"C:\Program Files\Tools\uninstall.exe",0
DisplayIcon	C:\windows\notepad.exe,1
Path	C:\Program Files\Tools;
	rundll32.exe C:\windows\system32\shell32.dll,Control_RunDLL
	%SystemRoot%\system32\cmd.exe /c start
	%Sysroot%\help\notepad.hlp
	%ProgramFiles%\Common Files\Shared\a b.dll
	\\?\C:\users\fuzz\Desktop\readme.txt
	\\server\share\file.exe
	c:/users/FUZZ/desktop/README.TXT
	C:\users\fuzz\..\fuzz\.\Desktop\readme.txt. 
	C:\Name With Dots...\file.txt
*.txt	C:\users\fuzz\Desktop\*.txt
a?.t*	C:\windows\*.*
	C:\windows\system32\*.
	/tmp
	arial.ttf
	ios.vxd
	C:\Café\résumé.exe
PATHS

# The launchers' files, as Steam, Lutris and Bottles write them.
cat >"$seeds/launcher_files/libraryfolders.vdf" <<'VDF'
"libraryfolders"
{
	"0"
	{
		"path"		"/home/u/.local/share/Steam"
		"apps"
		{
			"620"		"12345"
		}
	}
	"1"		"/mnt/old/format" // a comment
}
VDF
printf '"AppState"\n{\n\t"name"\t\t"Tom \\"Q\\" Game"\n\t"os" "win" [$WIN32]\n}\n' >"$seeds/launcher_files/appmanifest.acf"
cat >"$seeds/launcher_files/lutris.yml" <<'YML'
game:
  exe: /home/u/Games/x/drive_c/x.exe
  prefix: '/home/u/Games/x'
  args: -windowed # comment
system:
  env:
    DXVK_HUD: fps
  libs:
  - one
notes: |
  text
name: "The \"Game\""
YML

# What Wine's menu builder writes on the desktop: an entry, its menu file, a MIME package.
cat >"$seeds/launcher_files/Tool.desktop" <<'DESKTOP'
[Desktop Entry]
Name=Tool
Exec=env WINEPREFIX="/home/u/.wine" wine-stable C:\\\\ProgramData\\\\Tool\\ Menu\\\\Tool.lnk
Type=Application
Icon=DC01_tool.0
MimeType=application/x-wine-extension-vxdoc;
DESKTOP
cat >"$seeds/launcher_files/wine-Programs-Tool.menu" <<'MENU'
<Menu>
  <Name>Applications</Name>
  <Menu>
    <Name>wine-wine</Name>
    <Directory>wine-wine.directory</Directory>
    <Include>
      <Filename>wine-Programs-Tool &amp; Co.desktop</Filename>
    </Include>
  </Menu>
</Menu>
MENU
cat >"$seeds/launcher_files/x-wine-extension-vxdoc.xml" <<'MIME'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-wine-extension-vxdoc">
    <glob pattern="*.vxdoc"/>
  </mime-type>
</mime-info>
MIME

# ---- runs ------------------------------------------------------------------------------------------------
seed_dirs() {
    case $1 in
    wine_reg_file) echo "$seeds/wine_reg_file" ;;
    hive) echo "$seeds/hive" ;;
    backup_record) echo "$seeds/backup_record" ;;
    url) echo "$testdata/url tests/shortcuts/data/handmade" ;;
    lnk) echo "$testdata/lnk/pylnk $testdata/lnk/plaso $testdata/lnk/lnkparse3 tests/shortcuts/data/wine tests/shortcuts/data/handmade" ;;
    path) echo "$seeds/path" ;;
    launcher_files) echo "$seeds/launcher_files" ;;
    esac
}
options() {
    case $1 in
    wine_reg_file) echo "-dict=fuzz/wine_reg_file.dict -max_len=16384" ;;
    # Hives are large; inputs up to the size of the user hive among the seeds.
    hive) echo "-max_len=300000" ;;
    url) echo "-dict=fuzz/url.dict -max_len=4096" ;;
    lnk) echo "-max_len=16384" ;;
    path) echo "-dict=fuzz/path.dict -max_len=1024" ;;
    launcher_files) echo "-max_len=4096" ;;
    *) echo "" ;;
    esac
}

# The targets' scratch files, on tmpfs where there is one (their saves sync); a target that crashes
# leaves its folder behind, so all of them go with this one.
scratch=$(mktemp -d /dev/shm/vantrelix-fuzz.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export VANTRELIX_FUZZ_TMP=$scratch

# The inputs a run found in a folder; those that only ran slowly are kept too, but are no finding.
findings() {
    find "$1" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
        ! -name '*.repro' | wc -l
}

failed=()
for target in "${targets[@]}"; do
    binary=$out/fuzz/fuzz_$target
    [ -x "$binary" ] || { echo "fuzz.sh: no such target: $target" >&2; exit 2; }
    corpus=$out/corpus/$target
    crashes=$out/crashes/$target
    log=$out/logs/$target.log
    mkdir -p "$corpus" "$crashes" "$out/logs"
    existing=()
    for dir in $(seed_dirs "$target"); do
        [ -e "$dir" ] && existing+=("$dir")
    done
    before=$(findings "$crashes")
    echo "== $target: ${seconds} s"
    status=0
    # shellcheck disable=SC2046,SC2086
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} "$binary" -max_total_time="$seconds" -timeout=25 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" $(options "$target") \
        ${FUZZ_ARGS:-} "$corpus" "${existing[@]}" >"$log" 2>&1 || status=$?
    grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$log" | tail -1 || true
    for artifact in "$crashes"/*; do
        case $artifact in *.repro) continue ;; esac
        if [ -f "$artifact" ] && [ ! -f "$artifact.repro" ]; then
            echo "cd $root && $binary $(options "$target") $artifact" >"$artifact.repro"
        fi
    done
    after=$(findings "$crashes")
    if [ "$status" -ne 0 ] || [ "$after" -gt "$before" ]; then
        grep -E '^SUMMARY|^\*\*\*|ERROR: libFuzzer' "$log" | head -3 || true
        echo "   found something: see $log; inputs in $crashes" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz.sh: findings in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz.sh: nothing found"
