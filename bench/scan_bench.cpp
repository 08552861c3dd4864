// A whole scan of a large generated Wine prefix (200,000 keys, 1,000,000 values by default), compared
// with a plain load and save of its registry files; also a Wine-made prefix when one is given.
//
//   scan_bench [KEYS [VALUES]]            generated prefix
//   scan_bench --prefix DIR               an existing prefix (e.g. one made by tools/make-wine-prefix.sh)
//   scan_bench --scan-only DIR            one scan in this process, nothing else (for profiling)
//   scan_bench --generate DIR [KEYS [VALUES]]   only writes the generated prefix (for profiling)
//   scan_bench --waits DIR                where users wait, on a copy of the prefix: the save, repair,
//                                         the load and the detection sound, each as a ratio
//
// Load + save and the scan run in turn VANTRELIX_BENCH_RUNS times (default 5), each in its own child
// process so that its peak memory is its own; medians are reported. VANTRELIX_BENCH_ROWS ("Custom
// Controls,Configuration files") limits the scan to the rows named.
#include "app/app.h"
#include "bench_app.h"
#include "engine/engine.h"
#include "engine/repair.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/canberra_sound.h"
#include "platform/wine/wine_target.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
    double inner = 0; // a part of the child's time that the work measured itself (childInnerSeconds)
};

// What a child's work sets for Measure::inner.
double childInnerSeconds = 0;

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
        Measure m{seconds, usage.ru_maxrss, detail, childInnerSeconds};
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

// Settings as a user who wants the detection sound and backups in a folder of the bench's own has them.
class UserSettings : public DefaultSettings {
  public:
    std::map<std::string, std::string, std::less<>> values;
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view d) override {
        const auto it = values.find(key);
        return it != values.end() ? it->second : DefaultSettings::GetSetting(app, section, key, d);
    }
};

// Ticks the registry rows, or those named in VANTRELIX_BENCH_ROWS ("Custom Controls,Configuration files").
void TickRows(Engine& engine) {
    const char* only = std::getenv("VANTRELIX_BENCH_ROWS");
    for (auto& row : engine.checkList().rows)
        row.checked = only ? (std::string(",") + only + ",").find("," + row.text + ",") != std::string::npos
                           : row.text.rfind("Window Shortcut", 0) != 0;
}

// Opens the prefix and runs one scan of the registry rows; returns the number of findings.
long ScanOnce(const fs::path& prefix, SettingsStore* settingsGiven = nullptr,
              SoundPlayer* soundGiven = nullptr) {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(prefix, error, warnings);
    if (!target)
        return -1L;
    DefaultSettings defaults;
    QuietFrontEnd frontEnd;
    NoSound silence;
    App app(*target, settingsGiven ? *settingsGiven : defaults, frontEnd, soundGiven ? *soundGiven : silence);
    FrontEndObserver observer(app);
    Engine engine(app, observer);
    LoadlvwRegistryvaluesScanValues(engine);
    TickRows(engine);
    engine.Scan();
    return static_cast<long>(engine.findings().lvwErrors.size());
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

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<fs::path> RegistryFiles(const fs::path& prefix) {
    std::vector<fs::path> files;
    for (const char* file : {"system.reg", "user.reg", "userdef.reg"})
        if (fs::exists(prefix / file))
            files.push_back(prefix / file);
    return files;
}

// The same files read and digested by md5sum, the floor for a load.
double Md5sumSeconds(const std::vector<fs::path>& files) {
    std::string command = "md5sum";
    for (const auto& file : files)
        command += " '" + file.string() + "'";
    command += " >/dev/null";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        return 0;
    return Seconds(start);
}

// A plain copy of the files with a sync, the floor for a save.
long CopyWithSync(const std::vector<fs::path>& files) {
    std::vector<char> buffer(1 << 20);
    for (const auto& file : files) {
        const fs::path copy = file.string() + ".bench-copy";
        const int in = open(file.c_str(), O_RDONLY);
        const int out = open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (ssize_t n; (n = read(in, buffer.data(), buffer.size())) > 0;)
            (void)!write(out, buffer.data(), static_cast<size_t>(n));
        fsync(out);
        close(in);
        close(out);
        fs::remove(copy);
    }
    return 0;
}

// A load alone; or a load, a change of one value in every registry file, and the save.
long LoadAndChange(const fs::path& prefix, bool save) {
    std::string error;
    std::vector<std::string> warnings;
    auto registry = OpenWineRegistry(prefix, error, warnings);
    if (!registry)
        return -1L;
    if (!save)
        return 0L;
    static int round = 0;
    const std::string data = "run " + std::to_string(++round) + '\0';
    const auto start = std::chrono::steady_clock::now(); // the change and the save, measured here
    for (HKEY root : {HKEY(0x80000002), HKEY(0x80000001)}) {
        HKEY key = 0;
        if (registry->RegCreateKeyEx(root, "Software\\VantrelixBench", KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
            return -1L;
        registry->RegSetValueEx(key, "Changed", REG_SZ,
                                {reinterpret_cast<const uint8_t*>(data.data()), data.size()});
        registry->RegCloseKey(key);
    }
    const Status saved = registry->Flush();
    childInnerSeconds = Seconds(start);
    return saved == ERROR_SUCCESS ? 0L : -1L;
}

// A scan, then the repair of everything it found, with backups on; returns the repair's time in
// microseconds, and the scan's in childInnerSeconds.
long ScanThenRepair(const fs::path& prefix, const fs::path& backups) {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(prefix, error, warnings);
    if (!target)
        return -1L;
    UserSettings settings;
    settings.values["txtBackup"] = backups.string();
    QuietFrontEnd frontEnd;
    NoSound silence;
    App app(*target, settings, frontEnd, silence);
    FrontEndObserver observer(app);
    Engine engine(app, observer);
    LoadlvwRegistryvaluesScanValues(engine);
    TickRows(engine);
    auto start = std::chrono::steady_clock::now();
    engine.Scan();
    childInnerSeconds = Seconds(start);
    std::fprintf(stderr, "  (repairing %zu findings)\n", engine.findings().lvwErrors.size());
    start = std::chrono::steady_clock::now();
    const RepairOutcome outcome = engine.Repair();
    const double repair = Seconds(start);
    if (!outcome.error.empty() || outcome.skipped != 0)
        std::fprintf(stderr, "repair: %s\n", RepairClosingMessage(outcome).c_str());
    return static_cast<long>(repair * 1e6);
}

// Where users wait, each figure a ratio of two things measured in turn in this run. Works on a copy of
// the prefix (the save and repair change it).
void ReportWaits(const fs::path& original) {
    const fs::path dir = fs::temp_directory_path() / ("vantrelix-waits-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path prefix = dir / "prefix";
    const fs::path backups = dir / "backups";
    fs::copy(original, prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    fs::create_directories(backups);
    const auto files = RegistryFiles(prefix);
    const double mb = RegistryBytes(prefix) / 1048576.0;

    std::vector<double> md5s, loads, saves, copies;
    for (int run = 0; run < 3; ++run) {
        md5s.push_back(Md5sumSeconds(files));
        loads.push_back(InChild([&] { return LoadAndChange(prefix, false); }).seconds);
        saves.push_back(InChild([&] { return LoadAndChange(prefix, true); }).inner);
        copies.push_back(InChild([&] { return CopyWithSync(files); }).seconds);
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double md5 = median(md5s), load = median(loads), save = median(saves), copy = median(copies);

    // The detection sound on (a wave file of the prefix's own), against the same scan without it.
    fs::create_directories(prefix / "drive_c/windows/media");
    std::ofstream(prefix / "drive_c/windows/media/ding.wav") << "RIFF";
    std::vector<double> quiet, loud, loudFromFile;
    long peakKb = 0;
    const fs::path settingsFile = dir / "settings.ini";
    {
        FileSettingsStore store(settingsFile);
        store.SaveSetting(kAppName, kSettingsSection, "chkPlaySound", "1");
        store.SaveSetting(kAppName, kSettingsSection, "txtWaveFilesPath", "C:\\windows\\media\\ding.wav");
    }
    for (int run = 0; run < 3; ++run) {
        const Measure q = InChild([&] { return ScanOnce(prefix); });
        peakKb = std::max(peakKb, q.peakKb);
        quiet.push_back(q.seconds);
        loud.push_back(InChild([&] {
                           UserSettings settings;
                           settings.values["chkPlaySound"] = "1";
                           settings.values["txtWaveFilesPath"] = "C:\\windows\\media\\ding.wav";
                           CanberraSoundPlayer sound;
                           return ScanOnce(prefix, &settings, &sound);
                       }).seconds);
        // As the programs run: every read of a setting asks the settings file whether it changed.
        loudFromFile.push_back(InChild([&] {
                                   FileSettingsStore settings(settingsFile);
                                   CanberraSoundPlayer sound;
                                   return ScanOnce(prefix, &settings, &sound);
                               }).seconds);
    }

    const Measure repair = InChild([&] { return ScanThenRepair(prefix, backups); });
    const double scanSeconds = repair.inner, repairSeconds = repair.detail / 1e6;

    std::printf("where users wait (%s, registry files %.1f MB):\n", original.c_str(), mb);
    std::printf(
        "  save (change and save, after the load) %7.3f s vs copy with sync %7.3f s: %5.2f x (target <= 2)\n",
        save, copy, save / copy);
    std::printf("  repair %7.3f s vs the scan that found what it repairs %7.3f s: %5.2f x (target <= 2)\n",
                repairSeconds, scanSeconds, repairSeconds / scanSeconds);
    std::printf("  scan peak %7.1f MB vs registry files: %5.2f x (target <= 2.5)\n", peakKb / 1024.0,
                peakKb / 1024.0 / mb);
    std::printf("  load %7.3f s vs md5sum %7.3f s: %5.2f x (target <= 3)\n", load, md5, load / md5);
    std::printf("  scan with sound %7.3f s vs without %7.3f s: %5.2f x (target <= 1.1)\n", median(loud),
                median(quiet), median(loud) / median(quiet));
    std::printf("  the same, its settings read from a settings file %7.3f s: %5.2f x\n", median(loudFromFile),
                median(loudFromFile) / median(quiet));
    fs::remove_all(dir);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--prefix") == 0) {
        Report(argv[2]);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "--waits") == 0) {
        ReportWaits(argv[2]);
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
