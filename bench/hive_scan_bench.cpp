// The Windows 10 SYSTEM hive and a user's classes (UsrClass.dat) as an offline volume: loading the hives,
// enumerating every key through the registry calls, and the scan's key walker over HKLM\SYSTEM and
// HKEY_CLASSES_ROOT, in keys per second. (The user's NTUSER.DAT is on the volume too: without it there is
// no user, and so no user classes.)
// Usage: hive_scan_bench [TESTDATA]   (else $VANTRELIX_TESTDATA, else ../shared/testdata beside the sources)
#include "app/app.h"
#include "bench_app.h"
#include "engine/engine.h"
#include "engine/registry_walkers.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/hive/windows_volume.h"
#include "platform/root_keys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

fs::path TestdataFolder(int argc, char** argv) {
    if (argc > 1)
        return argv[1];
    if (const char* env = std::getenv("VANTRELIX_TESTDATA"); env && *env)
        return env;
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "shared" / "testdata";
}

using vx::bench::NoSound;
using vx::bench::QuietFrontEnd;

// Every key below root\path through RegOpenKeyEx / RegEnumKeyEx / RegEnumValue / RegQueryValueEx.
long EnumerateKeys(vx::Registry& registry, vx::HKEY root, const std::string& path) {
    vx::HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, vx::KEY_READ, key) != vx::ERROR_SUCCESS)
        return 0;
    long keys = 1;
    std::string name;
    std::vector<uint8_t> data(255);
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 255, dataSize = 255;
        const vx::Status status = registry.RegEnumValue(key, i, name, nameSize, nullptr, data, &dataSize);
        if (status != vx::ERROR_SUCCESS && status != vx::ERROR_MORE_DATA)
            break;
    }
    std::vector<std::string> children;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 255;
        if (registry.RegEnumKeyEx(key, i, name, nameSize) != vx::ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    registry.RegCloseKey(key);
    for (const auto& child : children)
        keys += EnumerateKeys(registry, root, path.empty() ? child : path + "\\" + child);
    return keys;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path hives = TestdataFolder(argc, argv) / "hives";
    if (!fs::exists(hives / "win10_SYSTEM")) {
        std::fprintf(stderr, "hive_scan_bench: no test data in %s (give the testdata folder)\n",
                     hives.c_str());
        return 2;
    }
    std::string pattern = (fs::temp_directory_path() / "vx-hive-bench-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    const fs::path config = root / "Windows" / "System32" / "config";
    const fs::path profile = root / "Users" / "bench";
    const fs::path classes = profile / "AppData" / "Local" / "Microsoft" / "Windows";
    fs::create_directories(config);
    fs::create_directories(classes);
    fs::copy_file(hives / "win10_SYSTEM", config / "SYSTEM");
    fs::copy_file(hives / "win10_NTUSER.DAT", profile / "NTUSER.DAT");
    fs::copy_file(hives / "win10_UsrClass.dat", classes / "UsrClass.dat");

    std::string error;
    std::vector<std::string> warnings;
    for (int pass = 0; pass < 3; ++pass) {
        vx::HiveLocations where;
        vx::LocateWindowsHives(root, "", where, error, warnings);
        const auto start = std::chrono::steady_clock::now();
        auto registry = vx::OpenHiveRegistry(where, error, warnings);
        const double s = Seconds(std::chrono::steady_clock::now() - start);
        if (!registry) {
            std::fprintf(stderr, "hive_scan_bench: %s\n", error.c_str());
            return 2;
        }
        const long keys = static_cast<long>(registry->System()->KeyCount() + registry->User()->KeyCount() +
                                            registry->UserClasses()->KeyCount());
        std::printf("%-44s %8ld keys  %7.3f s  %10.0f keys/s\n",
                    "load SYSTEM + NTUSER + UsrClass with hivex:", keys, s, keys / s);
    }

    auto target = vx::OpenWindowsVolumeTarget(root, "", error, warnings);
    if (!target) {
        std::fprintf(stderr, "hive_scan_bench: %s\n", error.c_str());
        return 2;
    }
    struct Walk {
        const char* what;
        vx::HKEY root;
        const char* rootName;
        const char* path;
    };
    const Walk walks[] = {
        {"HKLM\\SYSTEM", vx::HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "SYSTEM"},
        // The walker starts below a named key; this one holds most of the user's classes.
        {"HKCR\\ActivatableClasses", vx::HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "ActivatableClasses"},
    };
    for (const Walk& walk : walks) {
        auto start = std::chrono::steady_clock::now();
        const long keys = EnumerateKeys(target->registry(), walk.root, walk.path);
        double s = Seconds(std::chrono::steady_clock::now() - start);
        std::printf("enumerate %-34s %8ld keys  %7.3f s  %10.0f keys/s\n", walk.what, keys, s, keys / s);

        // The scan's recursive walker with a checker that tests every value's file on the volume.
        vx::FileSettingsStore settings(root / "settings.ini");
        QuietFrontEnd frontEnd;
        NoSound sound;
        vx::App app(*target, settings, frontEnd, sound);
        app.SetApplicationFolder(root.string());
        vx::FrontEndObserver observer(app);
        vx::Engine engine(app, observer);
        vx::CheckContext check = engine.Context();
        start = std::chrono::steady_clock::now();
        vx::WalkRegistryKeys(check, walk.root, walk.path, "Application Paths", walk.rootName);
        s = Seconds(std::chrono::steady_clock::now() - start);
        std::printf("scan walk %-34s %8ld keys  %7.3f s  %10.0f keys/s  (%zu findings)\n", walk.what, keys, s,
                    keys / s, engine.findings().lvwErrors.size());
    }

    // The whole check-list: its sections lie in SOFTWARE, which is not here, and in keys these hives do not
    // hold, so this is the cost of the run around the walks.
    vx::FileSettingsStore settings(root / "settings.ini");
    QuietFrontEnd frontEnd;
    NoSound sound;
    vx::App app(*target, settings, frontEnd, sound);
    app.SetApplicationFolder(root.string());
    vx::FrontEndObserver observer(app);
    vx::Engine engine(app, observer);
    vx::LoadlvwRegistryvaluesScanValues(engine);
    for (auto& row : engine.checkList().rows)
        row.checked = true;
    const auto start = std::chrono::steady_clock::now();
    engine.Scan();
    std::printf("%-44s %7.3f s\n",
                "scan run, every row of the check-list:", Seconds(std::chrono::steady_clock::now() - start));

    fs::remove_all(root);
    return 0;
}
