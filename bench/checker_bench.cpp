// Checker throughput for a realistic mix of COM values, and how many platform calls each kind costs:
// values that are not program-file references must cost text operations only.
#include "app/app.h"
#include "bench_app.h"
#include "checks/section_checkers.h"
#include "engine/engine.h"
#include "platform/wine/wine_target.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

using namespace vx;
namespace fs = std::filesystem;

// Forwards to the real file system and counts the calls.
class CountingFiles : public FileSystem {
  public:
    explicit CountingFiles(FileSystem& inner) : inner_(inner) {}
    long calls = 0;
    uint32_t GetSystemDirectory(std::span<char> b) override { return ++calls, inner_.GetSystemDirectory(b); }
    uint32_t GetWindowsDirectory(std::span<char> b) override {
        return ++calls, inner_.GetWindowsDirectory(b);
    }
    std::string GetTempPath() override { return ++calls, inner_.GetTempPath(); }
    std::vector<Drive> Drives() override { return ++calls, inner_.Drives(); }
    bool GetVolumeInformation(std::string_view r) override { return ++calls, inner_.GetVolumeInformation(r); }
    FindResult FindFirstEntry(std::string_view p, uint32_t m) override {
        return ++calls, inner_.FindFirstEntry(p, m);
    }
    std::unique_ptr<FileSearch> FindFirstFile(std::string_view p, FindData& f) override {
        return ++calls, inner_.FindFirstFile(p, f);
    }
    uint32_t GetFileAttributes(std::string_view p) override { return ++calls, inner_.GetFileAttributes(p); }
    uint32_t GetShortPathName(std::string_view p, std::span<char> b) override {
        return ++calls, inner_.GetShortPathName(p, b);
    }
    std::optional<uint64_t> GetFileSize(std::string_view p) override {
        return ++calls, inner_.GetFileSize(p);
    }
    bool CopyFile(std::string_view a, std::string_view b, bool f) override {
        return ++calls, inner_.CopyFile(a, b, f);
    }
    bool DeleteFile(std::string_view p) override { return ++calls, inner_.DeleteFile(p); }
    std::optional<fs::path> HostPath(std::string_view p) override { return ++calls, inner_.HostPath(p); }

  private:
    FileSystem& inner_;
};

class CountingTarget : public Target {
  public:
    explicit CountingTarget(Target& inner) : inner_(inner), files_(inner.files()) {}
    Registry& registry() override { return inner_.registry(); }
    FileSystem& files() override { return files_; }
    ShellItems& shell() override { return inner_.shell(); }
    std::string Describe() const override { return inner_.Describe(); }
    CountingFiles& counting() { return files_; }

  private:
    Target& inner_;
    CountingFiles files_;
};

using bench::DefaultSettings;
using bench::NoSound;
using bench::QuietFrontEnd;

} // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 200000;
    const fs::path dir = fs::temp_directory_path() / ("vantrelix-checker-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "dosdevices");
    fs::create_directories(dir / "drive_c/windows/system32");
    std::ofstream(dir / "drive_c/windows/system32/shell32.dll") << "";
    fs::create_directory_symlink("../drive_c", dir / "dosdevices/c:");
    std::ofstream(dir / "system.reg")
        << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";

    std::string error;
    std::vector<std::string> warnings;
    auto real = OpenWineTarget(dir, error, warnings);
    if (!real) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CountingTarget target(*real);
    DefaultSettings settings;
    QuietFrontEnd frontEnd;
    NoSound sound;
    App app(target, settings, frontEnd, sound);
    FrontEndObserver observer(app);
    Engine engine(app, observer);
    CheckContext check = engine.Context();

    struct Kind {
        const char* label;
        const char* text;
    };
    const Kind kinds[] = {
        {"thread model", "Apartment"},
        {"version", "1.0"},
        {"program id", "Shell.Application.1"},
        {"icon with index", "C:\\windows\\system32\\shell32.dll,-101"},
        {"quoted server with switch", "\"C:\\Program Files\\App\\app.exe\" /automation"},
        {"existing server", "C:\\windows\\system32\\shell32.dll"},
        {"missing server", "C:\\Program Files\\Gone\\gone.dll"},
        {"bare existing name", "shell32.dll"},
    };
    std::printf("%-26s %12s %14s\n", "value kind", "ns per value", "platform calls");
    for (const auto& kind : kinds) {
        const long before = target.counting().calls;
        const auto start = std::chrono::steady_clock::now();
        for (long i = 0; i < rounds; ++i) {
            CheckComEntry(check, RegistryEntry{0x80000000, "HKEY_CLASSES_ROOT", "", kind.text,
                                               "ActiveX \\ COM", "CLSID\\{x}\\InprocServer32"});
            if (engine.findings().lvwErrors.size() > 1000)
                engine.findings().lvwErrors.clear();
        }
        const double ns =
            std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
            rounds;
        std::printf("%-26s %12.0f %14.1f\n", kind.label, ns,
                    double(target.counting().calls - before) / rounds);
        engine.findings().lvwErrors.clear();
    }
    fs::remove_all(dir);
    return 0;
}
