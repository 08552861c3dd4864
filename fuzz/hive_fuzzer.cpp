// The hive opener and the registry walks of a scan. The bytes become every hive of a Windows volume
// (SOFTWARE, SYSTEM, a user's NTUSER.DAT and UsrClass.dat), which is opened as the program opens one;
// then every registry row of the check-list runs, as a scan runs it (the configuration-files row walks
// the whole of HKLM\SOFTWARE), and a walk goes over all of HKEY_USERS the same way.
#include "fuzz_support.h"

#include "engine/registry_walkers.h"
#include "engine/scan_catalogue.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/hive/windows_volume.h"
#include "platform/root_keys.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    static const std::filesystem::path volume = fuzz::ScratchFolder() / "volume";
    for (const char* hive :
         {"Windows/System32/config/SOFTWARE", "Windows/System32/config/SYSTEM", "Users/fuzz/NTUSER.DAT",
          "Users/fuzz/AppData/Local/Microsoft/Windows/UsrClass.dat"})
        fuzz::WriteScratchFile(std::string("volume/") + hive, data, size);

    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWindowsVolumeTarget(volume, "fuzz", error, warnings);
    if (!target)
        return 0;
    fuzz::FuzzApp fuzzApp(*target);
    Engine& engine = fuzzApp.engine;

    LoadlvwRegistryvaluesScanValues(engine);
    const size_t registryRows = FixedScanSections(target->PlatformId()).size();
    auto& rows = engine.checkList().rows;
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].checked = i < registryRows; // the drive rows would walk the volume, not the hive
    RunScan(engine);

    WalkRegistryKeys(fuzzApp.check, HKEY_USERS, "", "Application Paths", "HKEY_USERS", true);
    return 0;
}
