#include "fuzz_support.h"

#include "platform/text.h"
#include "platform/wine/wine_target.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace vx::fuzz {
namespace {

std::filesystem::path MakeScratchFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path base;
    if (const char* chosen = std::getenv("VANTRELIX_FUZZ_TMP"); chosen && *chosen)
        base = chosen;
    else if (::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    else
        base = fs::temp_directory_path(ec);
    fs::create_directories(base, ec);
    std::string folder = (base / "vantrelix-fuzz-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        Fail("cannot make a scratch folder below " + base.string());
    return folder;
}

void RemoveScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(ScratchFolder(), ec);
}

void WriteText(const std::filesystem::path& file, std::string_view text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The classes of the shortcut files, the folders a Windows installation records, and an environment
// whose variables refer to each other, as a Wine prefix holds them.
constexpr std::string_view kSystemReg = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Classes\\.lnk] 1700000000
@="lnkfile"

[Software\\Classes\\.pif] 1700000000
@="piffile"

[Software\\Classes\\.url] 1700000000
@="InternetShortcut"

[Software\\Classes\\InternetShortcut] 1700000000
@="Internet Shortcut"
"IsShortcut"=""

[Software\\Classes\\lnkfile] 1700000000
@="Shortcut"
"IsShortcut"=""

[Software\\Classes\\piffile] 1700000000
@="Shortcut to MS-DOS Program"
"IsShortcut"=""

[Software\\Microsoft\\Windows NT\\CurrentVersion] 1700000000
"SystemRoot"="C:\\windows"

[Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList] 1700000000
"ProgramData"="C:\\ProgramData"
"Public"="C:\\users\\Public"

[Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1000] 1700000000
"ProfileImagePath"="C:\\users\\fuzz"

[Software\\Microsoft\\Windows\\CurrentVersion] 1700000000
"CommonFilesDir"="C:\\Program Files\\Common Files"
"ProgramFilesDir"="C:\\Program Files"
"ProgramFilesDir (x86)"="C:\\Program Files (x86)"

[System\\CurrentControlSet\\Control\\Session Manager\\Environment] 1700000000
"ComSpec"=str(2):"%SystemRoot%\\system32\\cmd.exe"
"PATH"=str(2):"%SystemRoot%\\system32;%SystemRoot%;%ProgramFiles%\\Tools"
"TEMP"=str(2):"%SystemRoot%\\temp"
"Loop"=str(2):"%Loop%%Loop%"
)REG";

constexpr std::string_view kUserReg = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Environment] 1700000000
"TEMP"=str(2):"%USERPROFILE%\\Temp"
"Empty"=""

[Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders] 1700000000
"AppData"="C:\\users\\fuzz\\AppData\\Roaming"
"Desktop"="C:\\users\\fuzz\\Desktop"
"Local AppData"="C:\\users\\fuzz\\AppData\\Local"
)REG";

} // namespace

const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path made = MakeScratchFolder();
        return made;
    }();
    static const bool cleanup = [] { return std::atexit(RemoveScratchFolder) == 0; }();
    (void)cleanup;
    return folder;
}

std::filesystem::path WriteScratchFile(std::string_view relativePath, const uint8_t* data, size_t size) {
    const std::filesystem::path file = ScratchFolder() / relativePath;
    WriteText(file, std::string_view(reinterpret_cast<const char*>(data), size));
    return file;
}

const std::filesystem::path& SmallPrefix() {
    static const std::filesystem::path prefix = [] {
        const std::filesystem::path dir = ScratchFolder() / "prefix";
        WriteText(dir / "system.reg", kSystemReg);
        WriteText(dir / "user.reg", kUserReg);
        std::filesystem::create_directories(dir / "dosdevices");
        std::filesystem::create_symlink("../drive_c", dir / "dosdevices" / "c:");
        const std::filesystem::path c = dir / "drive_c";
        for (const char* file :
             {"windows/notepad.exe", "windows/system32/cmd.exe", "windows/system32/ole32.dll",
              "windows/Fonts/arial.ttf", "windows/help/notepad.hlp", "Program Files/Tools/tool.exe",
              "Program Files/Common Files/Shared/a b.dll", "users/fuzz/Desktop/readme.txt",
              "users/fuzz/.hidden", "Name With Dots.../file.txt"})
            WriteText(c / file, "");
        std::filesystem::create_directories(c / "users/Public/Desktop");
        std::filesystem::create_directories(c / "ProgramData");
        return dir;
    }();
    return prefix;
}

Target& SmallPrefixTarget() {
    static const std::unique_ptr<Target> target = [] {
        std::string error;
        std::vector<std::string> warnings;
        auto opened = OpenWineTarget(SmallPrefix(), error, warnings);
        if (!opened)
            Fail("the small prefix does not open", error);
        return opened;
    }();
    return *target;
}

std::string Printable(std::string_view bytes) {
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F) {
            out += c;
        } else if (b == '\n') {
            out += "\\n\n"; // shown, and kept as a line break
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
            out += escaped;
        }
    }
    return out;
}

void Fail(std::string_view message, std::string_view detail) {
    std::fprintf(stderr, "\n*** %.*s\n", static_cast<int>(message.size()), message.data());
    if (!detail.empty()) {
        const std::string shown = Printable(detail.substr(0, 4000));
        std::fprintf(stderr, "%s\n", shown.c_str());
    }
    std::abort();
}

void ExpectSameText(std::string_view message, std::string_view expected, std::string_view actual) {
    if (expected == actual)
        return;
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at > 300 ? at - 300 : 0;
    std::fprintf(stderr,
                 "\n*** %.*s: they part at byte %zu (of %zu and %zu)\n--- expected from byte %zu:\n%s\n--- "
                 "actual:\n%s\n",
                 static_cast<int>(message.size()), message.data(), at, expected.size(), actual.size(), from,
                 Printable(expected.substr(from, 600)).c_str(), Printable(actual.substr(from, 600)).c_str());
    std::abort();
}

FuzzApp::FuzzApp(Target& target) : app(target, settings, frontEnd, sound) {
    app.SetApplicationFolder((ScratchFolder() / "data").string());
}

} // namespace vx::fuzz
