// A whole scan of a large generated Wine prefix (200,000 keys, 1,000,000 values by default), compared
// with a plain load and save of its registry files; also a Wine-made prefix when one is given.
//
//   scan_bench [KEYS [VALUES]]            generated prefix
//   scan_bench --prefix DIR               an existing prefix (e.g. one made by tools/make-wine-prefix.sh)
//   scan_bench --scan-only DIR            one scan in this process, nothing else (for profiling)
//   scan_bench --generate DIR [KEYS [VALUES]]   only writes the generated prefix (for profiling)
//
// Load + save and the scan run in turn VANTRELIX_BENCH_RUNS times (default 5), each in its own child
// process so that its peak memory is its own; medians are reported. VANTRELIX_BENCH_ROWS ("Custom
// Controls,Configuration files") limits the scan to the rows named.
#include "app/app.h"
#include "bench_app.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/wine/wine_target.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace vx;
namespace fs = std::filesystem;

using bench::DefaultSettings;
using bench::NoSound;
using bench::QuietFrontEnd;

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// The order Wine writes keys in: depth first, each level's names compared in upper case.
std::string WineOrder(std::string_view escapedPath) {
    std::string order;
    for (size_t i = 0; i < escapedPath.size(); ++i) {
        if (escapedPath[i] == '\\') {
            order += '\x01'; // before every character a name can hold
            ++i;             // "\\\\" in the file is one separator
            continue;
        }
        order += static_cast<char>(std::toupper(static_cast<unsigned char>(escapedPath[i])));
    }
    return order;
}

// Keys spread over the scanned sections and the rest of SOFTWARE, values of the kinds real registries
// hold: mostly not file references (thread models, versions, identifiers), some existing files, some
// missing ones. The file is laid out as Wine lays out the files it saves.
void GeneratePrefix(const fs::path& dir, long keys, long values) {
    fs::create_directories(dir / "dosdevices");
    fs::create_directories(dir / "drive_c/windows/system32");
    fs::create_directories(dir / "drive_c/Program Files/App");
    std::ofstream(dir / "drive_c/windows/system32/shell32.dll") << "";
    std::ofstream(dir / "drive_c/Program Files/App/app.exe") << "";
    std::error_code ec;
    fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:", ec);
    std::vector<std::pair<std::string, std::string>> blocks; // (order, text)
    const std::string versionKey = "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion";
    blocks.emplace_back(
        WineOrder(versionKey),
        "[" + versionKey +
            "] 1700000000\n#time=1da00000000000\n"
            "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n\"ProgramFilesDir\"=\"C:\\\\Program "
            "Files\"\n\n");
    const char* parents[] = {"Software\\\\Classes\\\\CLSID",
                             "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths",
                             "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall",
                             "Software\\\\Microsoft\\\\Shared Tools", "Software\\\\Vendor\\\\Product"};
    std::mt19937 random(42);
    const long perKey = values / keys;
    long extra = values % keys;
    std::vector<std::string> lines;
    for (long k = 0; k < keys; ++k) {
        const char* parent = parents[k % 5];
        char name[64];
        std::snprintf(name, sizeof name, "{%08lX-0000-0000-0000-%012lX}", k, k * 7919);
        lines.clear();
        long n = perKey + (extra-- > 0 ? 1 : 0);
        for (long v = 0; v < n; ++v) {
            const unsigned kind = random() % 20;
            std::string valueName = v == 0 ? "" : "Value" + std::to_string(v);
            std::string data;
            if (kind < 12)
                data = "\"Apartment\"";
            else if (kind < 14)
                data = "dword:0000000" + std::to_string(kind % 10);
            else if (kind < 16)
                data = "\"" + Escape("C:\\windows\\system32\\shell32.dll") + "\"";
            else if (kind < 17)
                data = "\"" + Escape("C:\\Program Files\\Gone" + std::to_string(k) + "\\x.dll") + "\"";
            else if (kind < 18)
                data = "\"" + Escape("C:\\Program Files\\App\\app.exe /s") + "\"";
            else
                data = "\"1.0." + std::to_string(kind) + "\"";
            lines.push_back((valueName.empty() ? std::string("@") : "\"" + valueName + "\"") + "=" + data);
        }
        std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
            return a[0] == '@' ? b[0] != '@' : (b[0] == '@' ? false : a < b);
        });
        const std::string path = std::string(parent) + "\\\\" + name;
        std::string text = "[" + path + "] 1700000000\n#time=1da00000000000\n";
        for (const auto& line : lines)
            text += line + "\n";
        text += "\n";
        blocks.emplace_back(WineOrder(path), std::move(text));
    }
    std::sort(blocks.begin(), blocks.end());
    std::ofstream out(dir / "system.reg", std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    for (const auto& block : blocks)
        out << block.second;
    std::ofstream(dir / "user.reg") << "WINE REGISTRY Version 2\n;; All keys relative to "
                                       "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
    std::ofstream(dir / "userdef.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\.Default\n\n#arch=win64\n";
}

struct Measure {
    double seconds = 0;
    long peakKb = 0;
    long detail = 0;
};

// Runs `work` in a child; returns its time, its peak resident memory and the number it reports.
Measure InChild(const std::function<long()>& work) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        const auto start = std::chrono::steady_clock::now();
        const long detail = work();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        Measure m{seconds, usage.ru_maxrss, detail};
        (void)!write(pipeFds[1], &m, sizeof m);
        _exit(0);
    }
    close(pipeFds[1]);
    Measure m;
    (void)!read(pipeFds[0], &m, sizeof m);
    close(pipeFds[0]);
    waitpid(pid, nullptr, 0);
    return m;
}

// The run of median time; its peak memory goes with it.
Measure Median(std::vector<Measure> runs) {
    std::sort(runs.begin(), runs.end(),
              [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

long RegistryBytes(const fs::path& prefix) {
    long total = 0;
    for (const char* file : {"system.reg", "user.reg", "userdef.reg"}) {
        std::error_code ec;
        total += static_cast<long>(fs::file_size(prefix / file, ec));
    }
    return total;
}

// Opens the prefix and runs one scan of the registry rows; returns the number of findings.
long ScanOnce(const fs::path& prefix) {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(prefix, error, warnings);
    if (!target)
        return -1L;
    DefaultSettings settings;
    QuietFrontEnd frontEnd;
    NoSound sound;
    App app(*target, settings, frontEnd, sound);
    LoadlvwRegistryvaluesScanValues(app);
    // The registry rows, or those named in VANTRELIX_BENCH_ROWS ("Custom Controls,Configuration files").
    const char* only = std::getenv("VANTRELIX_BENCH_ROWS");
    for (auto& row : app.main().lvwRegistryvaluesScan.rows.EditAll())
        row.checked = only ? (std::string(",") + only + ",").find("," + row.text + ",") != std::string::npos
                           : row.text.rfind("Window Shortcut", 0) != 0;
    ImgScanNowMouseMove_Click(app);
    return static_cast<long>(app.main().lvwErrors.size());
}

void Report(const fs::path& prefix) {
    const std::function<long()> loadAndSave = [&] {
        std::string error;
        std::vector<std::string> warnings;
        auto registry = OpenWineRegistry(prefix, error, warnings);
        if (!registry)
            return -1L;
        // A plain save: every file written out again.
        for (WineRegFile* file :
             {&registry->MachineFile(), &registry->UserFile(), &registry->DefaultUserFile()}) {
            {
                std::ofstream copy(file->Path().string() + ".bench-copy", std::ios::binary);
                file->WriteTo(copy);
            }
            fs::remove(file->Path().string() + ".bench-copy");
        }
        return 0L;
    };
    // The two in turn, several times: the machine's speed drifts, and each ratio compares neighbours.
    const int runs = std::max(
        1, std::atoi(std::getenv("VANTRELIX_BENCH_RUNS") ? std::getenv("VANTRELIX_BENCH_RUNS") : "5"));
    std::vector<Measure> loadSaves, scans;
    std::vector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        loadSaves.push_back(InChild(loadAndSave));
        scans.push_back(InChild([&] { return ScanOnce(prefix); }));
        ratios.push_back(scans.back().seconds / loadSaves.back().seconds);
    }
    const Measure loadSave = Median(loadSaves);
    const Measure scan = Median(scans);
    std::sort(ratios.begin(), ratios.end());
    const double ratio = ratios[ratios.size() / 2];
    // Keys and values, counted by a walk of the same registry.
    const Measure count = InChild([&] {
        std::string error;
        std::vector<std::string> warnings;
        auto registry = OpenWineRegistry(prefix, error, warnings);
        long keys = 0, values = 0;
        std::function<void(HKEY, const std::string&)> walk = [&](HKEY root, const std::string& path) {
            HKEY key = 0;
            if (registry->RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
                return;
            ++keys;
            std::string name;
            for (uint32_t i = 0;; ++i) {
                uint32_t size = 16384;
                if (registry->RegEnumValue(key, i, name, size, nullptr, {}, nullptr) != ERROR_SUCCESS)
                    break;
                ++values;
            }
            std::vector<std::string> children;
            for (uint32_t i = 0;; ++i) {
                uint32_t size = 256;
                if (registry->RegEnumKeyEx(key, i, name, size) != ERROR_SUCCESS)
                    break;
                children.push_back(name);
            }
            registry->RegCloseKey(key);
            for (const auto& child : children)
                walk(root, path.empty() ? child : path + "\\" + child);
        };
        walk(0x80000002, "");
        walk(0x80000001, "");
        return keys * 100000000L + values;
    });
    const long keys = count.detail / 100000000L, values = count.detail % 100000000L;
    const double mb = RegistryBytes(prefix) / 1048576.0;
    std::printf("prefix %s: %ld keys, %ld values, registry files %.1f MB\n", prefix.c_str(), keys, values,
                mb);
    std::printf("  load + save        %8.3f s   peak %7.1f MB\n", loadSave.seconds, loadSave.peakKb / 1024.0);
    std::printf("  load + whole scan  %8.3f s   peak %7.1f MB   %ld findings\n", scan.seconds,
                scan.peakKb / 1024.0, scan.detail);
    std::printf("  scan / load+save   %8.2f x   (target <= 2; median of %d paired runs, %.2f to %.2f)\n",
                ratio, runs, ratios.front(), ratios.back());
    std::printf("  scan peak / files  %8.2f x   (target <= 3)\n", scan.peakKb / 1024.0 / mb);
    std::printf("  keys per second    %8.0f   values per second %8.0f (whole scan)\n", keys / scan.seconds,
                values / scan.seconds);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--prefix") == 0) {
        Report(argv[2]);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--scan-only") == 0) {
        std::printf("%ld findings\n", ScanOnce(argv[2]));
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--generate") == 0) {
        GeneratePrefix(argv[2], argc >= 4 ? std::atol(argv[3]) : 200000,
                       argc >= 5 ? std::atol(argv[4]) : 1000000);
        return 0;
    }
    const long keys = argc >= 2 ? std::atol(argv[1]) : 200000;
    const long values = argc >= 3 ? std::atol(argv[2]) : 1000000;
    const fs::path dir = fs::temp_directory_path() / ("vantrelix-scan-bench-" + std::to_string(getpid()));
    GeneratePrefix(dir, keys, values);
    Report(dir);
    fs::remove_all(dir);
    return 0;
}
