// The shortcut scan of a whole drive against `find`: a generated Wine prefix whose drive C holds FILES files
// in FOLDERS folders (one in 50 a shortcut, half of those broken) is walked by the drive walker with the
// shortcut checker, and in the same run by `find DIR -xdev -type f -iname '*.lnk'`. Prints both times and
// the ratio; the walk should take at most 1.5 times as long as find.
//
//   shortcut_walk_bench [FILES [FOLDERS [DIR]]]     (default 300000 files, 20000 folders, a temp folder)
#include "app/app.h"
#include "engine/engine.h"
#include "platform/wine/wine_target.h"
#include "shortcuts/drive_walker.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
namespace fs = std::filesystem;

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The smallest shell link Windows writes for a local file: the header and a LinkInfo with a volume ID
// and the local base path.
std::string MakeLink(const std::string& target) {
    std::string link;
    Put32(link, 0x4C);
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    link.append(reinterpret_cast<const char*>(clsid), 16);
    Put32(link, 0x02); // HasLinkInfo
    link.append(0x4C - link.size(), '\0');
    const uint32_t volumeSize = 0x11;
    const uint32_t pathOffset = 0x1C + volumeSize;
    const uint32_t suffixOffset = pathOffset + static_cast<uint32_t>(target.size()) + 1;
    Put32(link, suffixOffset + 1); // LinkInfoSize
    Put32(link, 0x1C);             // LinkInfoHeaderSize
    Put32(link, 0x1);              // VolumeIDAndLocalBasePath
    Put32(link, 0x1C);             // VolumeIDOffset
    Put32(link, pathOffset);       // LocalBasePathOffset
    Put32(link, 0);                // CommonNetworkRelativeLinkOffset
    Put32(link, suffixOffset);     // CommonPathSuffixOffset
    Put32(link, volumeSize);
    Put32(link, 3); // DRIVE_FIXED
    Put32(link, 0x12345678);
    Put32(link, 0x10); // VolumeLabelOffset
    link += '\0';
    link += target;
    link += '\0';
    link += '\0';   // empty common path suffix
    Put32(link, 0); // terminal block
    return link;
}

void WriteFile(const fs::path& file, const std::string& contents) {
    const int fd = open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return;
    if (!contents.empty() && write(fd, contents.data(), contents.size()) < 0)
        std::perror("write");
    close(fd);
}

// A Wine prefix with the shortcut classes in its registry and drive C full of files.
void MakePrefix(const fs::path& prefix, long files, long folders) {
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "windows" / "system32");
    fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
    std::ofstream(prefix / "system.reg") << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                                            "#arch=win64\n\n"
                                            "[Software\\\\Classes\\\\.lnk] 1700000000\n@=\"lnkfile\"\n\n"
                                            "[Software\\\\Classes\\\\lnkfile] 1700000000\n@=\"Shortcut\"\n"
                                            "\"IsShortcut\"=\"yes\"\n\n";
    std::ofstream(prefix / "user.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
           "#arch=win64\n\n";
    std::ofstream(prefix / "userdef.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\.Default\n\n"
           "#arch=win64\n\n";
    WriteFile(prefix / "drive_c" / "windows" / "notepad.exe", "MZ");
    const std::string existing = MakeLink("C:\\windows\\notepad.exe");
    const std::string missing = MakeLink("C:\\gone\\app.exe");

    // FOLDERS folders, a hundred to a top folder, and the files spread evenly over all of them; the drive's
    // root stays small, as real ones are (a missing target is looked up there).
    const long top = std::max(1L, folders / 100);
    std::vector<fs::path> all;
    for (long t = 0; t < top; ++t) {
        const fs::path upper = prefix / "drive_c" / ("Folder" + std::to_string(t));
        all.push_back(upper);
        for (long s = 1; s < folders / top && static_cast<long>(all.size()) < folders; ++s)
            all.push_back(upper / ("Sub" + std::to_string(s)));
    }
    for (const auto& folder : all)
        fs::create_directories(folder);
    const char* extensions[] = {".dll", ".txt", ".exe", ".ini", "", ".dat"};
    for (long made = 0; made < files; ++made) {
        const fs::path& folder = all[static_cast<size_t>(made) % all.size()];
        const std::string stem = std::to_string(made / static_cast<long>(all.size()));
        if (made % 50 == 0)
            WriteFile(folder / ("link" + stem + ".lnk"), made % 100 ? existing : missing);
        else
            WriteFile(folder / ("file" + stem + extensions[made % 6]), "");
    }
}

// The floor under the walk: the same folders listed as the walker lists them, nothing checked.
long ListOnly(vx::FileSystem& files, const std::string& folder) {
    long entries = 0;
    std::vector<std::string> subfolders;
    vx::FindData entry;
    if (auto search = files.FindFirstFileEx(folder + "*", vx::FindInfoLevel::Basic, entry)) {
        do {
            ++entries;
            if ((entry.attributes & vx::FILE_ATTRIBUTE_DIRECTORY) && entry.name != "." && entry.name != "..")
                subfolders.push_back(entry.name);
        } while (search->FindNextFile(entry));
    }
    for (const auto& name : subfolders)
        entries += ListOnly(files, folder + name + "\\");
    return entries;
}

class CountingFrontEnd : public vx::FrontEnd {
  public:
    void Yield(vx::App&) override { ++yields; }
    bool ShowMessageBox(vx::App&, std::string_view, bool) override { return true; }
    long yields = 0;
};

class Silence : public vx::SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path&) override {}
};

} // namespace

int main(int argc, char** argv) {
    const long files = argc > 1 ? std::atol(argv[1]) : 300000;
    const long folders = argc > 2 ? std::atol(argv[2]) : 20000;
    fs::path dir;
    bool removeAfter = false;
    if (argc > 3) {
        dir = argv[3];
    } else {
        std::string pattern = (fs::temp_directory_path() / "vx-walk-bench-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        removeAfter = true;
    }
    const fs::path prefix = dir / "prefix";
    if (!fs::exists(prefix / "system.reg")) {
        const auto start = std::chrono::steady_clock::now();
        MakePrefix(prefix, files, folders);
        std::printf("made %ld files in %ld folders in %.2f s\n", files, folders,
                    Seconds(std::chrono::steady_clock::now() - start));
    }

    std::string error;
    std::vector<std::string> warnings;
    auto target = vx::OpenWineTarget(prefix, error, warnings);
    if (!target) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    vx::MemorySettingsStore settings;
    CountingFrontEnd frontEnd;
    Silence sound;
    vx::App app(*target, settings, frontEnd, sound);
    vx::FrontEndObserver observer(app);
    vx::Engine engine(app, observer);
    vx::CheckContext check = engine.Context();

    // find first, so that both run over a warm cache.
    const std::string findCommand =
        "find '" + (prefix / "drive_c").string() + "' -xdev -type f -iname '*.lnk' > /dev/null";
    const auto findStart = std::chrono::steady_clock::now();
    if (std::system(findCommand.c_str()) != 0)
        std::fprintf(stderr, "find failed\n");
    const double findTime = Seconds(std::chrono::steady_clock::now() - findStart);

    const auto listStart = std::chrono::steady_clock::now();
    const long entries = ListOnly(app.files(), "C:\\");
    const double listTime = Seconds(std::chrono::steady_clock::now() - listStart);

    const auto walkStart = std::chrono::steady_clock::now();
    vx::ScanDriveForShortcuts(check, "C:\\");
    const double walkTime = Seconds(std::chrono::steady_clock::now() - walkStart);

    std::printf("listing only: %.3f s (%ld entries, the walker's floor)\n", listTime, entries);
    std::printf(
        "find: %.3f s\nwalk: %.3f s (%zu broken shortcuts, %ld yields)\nratio: %.2f (target <= 1.5)\n",
        findTime, walkTime, engine.findings().lvwShortcut.size(), frontEnd.yields, walkTime / findTime);
    if (removeAfter)
        fs::remove_all(dir);
    return 0;
}
