// A scan, a repair and a restore on an offline Windows volume holding real hives.
#include "engine/repair.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/root_keys.h"
#include "results/backup_manager.h"
#include "support/hive_volume.h"
#include "support/registry_test_prefix.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::ModelOf;
using test::WindowOf;

using test::ClassesHive;
using test::FixtureVolume;
using test::HiveBuilder;
using test::kSoftwareHive;
using test::kSystemHive;
using test::ReadAll;
using test::TestApp;
using test::UserHive;

const std::string kCurrentVersion = "Microsoft\\Windows\\CurrentVersion";

struct NamedText {
    std::string name, text;
};

// The start-up commands of the real Windows 10 user hive (its HKCU Run key).
std::vector<NamedText> RealUserStartup() {
    FixtureVolume volume;
    volume.Hive(UserHive("bperry"), "hives/win10_NTUSER.DAT");
    std::vector<NamedText> values;
    auto target = volume.Open();
    if (!target)
        return values;
    Registry& registry = target->registry();
    HKEY key = 0;
    if (registry.RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\" + kCurrentVersion + "\\Run", KEY_READ, key) !=
        ERROR_SUCCESS)
        return values;
    std::string name;
    std::vector<uint8_t> data(1024);
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 256, dataSize = static_cast<uint32_t>(data.size());
        if (registry.RegEnumValue(key, i, name, nameSize, nullptr, data, &dataSize) != ERROR_SUCCESS)
            break;
        values.push_back({name, std::string(data.begin(), data.begin() + dataSize - 1)});
    }
    registry.RegCloseKey(key);
    return values;
}

// The Windows 10 user's real hives, and a SOFTWARE hive built for them (no real one is public). The
// catalogue looks for start-up commands in subkeys of HKLM's Run key, so the user's real commands are
// placed there, as an installer for all users would have put them. Spotify.exe is on the volume; its
// web helper is not.
FixtureVolume& Windows10(FixtureVolume& volume, bool withSystem) {
    if (withSystem)
        volume.Hive(kSystemHive, "hives/win10_SYSTEM");
    volume.Hive(UserHive("bperry"), "hives/win10_NTUSER.DAT")
        .Hive(ClassesHive("bperry"), "hives/win10_UsrClass.dat")
        .File("C:\\Users\\bperry\\AppData\\Roaming\\Spotify\\Spotify.exe");
    HiveBuilder software(volume.HostPathOf(kSoftwareHive));
    software.String("Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", "C:\\WINDOWS")
        .String(kCurrentVersion, "ProgramFilesDir", "C:\\Program Files")
        .String(kCurrentVersion, "CommonFilesDir", "C:\\Program Files\\Common Files");
    for (const auto& value : RealUserStartup())
        software.String(kCurrentVersion + "\\Run\\Spotify", value.name, value.text);
    return volume;
}

void CheckEveryRow(App& app) {
    LoadlvwRegistryvaluesScanValues(EngineOf(app));
    for (auto& row : EngineOf(app).checkList().rows)
        row.checked = true;
}

std::vector<std::string> Findings(App& app) {
    std::vector<std::string> out;
    for (const auto& row : FindingsOf(app).lvwErrors)
        out.push_back(row.mainkeyname + "\\" + row.FullKeyPath + " [" + row.KeyName + "] " + row.KeyValue +
                      " (" + row.RegistryScanners + ")");
    return out;
}

TEST(HiveScan, EveryRowRunsOverTheRealHivesAndReportsTheMissingProgram) {
    FixtureVolume volume;
    TestApp app(Windows10(volume, true).Open());
    ASSERT_TRUE(app.target);
    CheckEveryRow(*app);
    WindowOf(*app).ImgScanNowMouseMove_Click();
    EXPECT_EQ(Findings(*app), std::vector<std::string>{
                                  "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"
                                  "Spotify [Spotify Web Helper] "
                                  "C:\\Users\\bperry\\AppData\\Roaming\\Spotify\\SpotifyWebHelper.exe "
                                  "(Windows Startup)"});
    EXPECT_TRUE(ModelOf(*app).PicResults);
}

std::map<std::string, std::string> DumpHives(const FixtureVolume& volume) {
    std::map<std::string, std::string> dumps;
    for (const std::string& hive : {std::string(kSoftwareHive), UserHive("bperry"), ClassesHive("bperry")})
        dumps[hive] = test::DumpHive(volume.HostPathOf(hive), /*sortValues=*/true);
    return dumps;
}

TEST(HiveScan, RepairAndRestoreLeaveTheHivesAsTheyWere) {
    FixtureVolume volume;
    Windows10(volume, false);
    // A start-menu entry of the real user hive for a program that is gone: a finding in HKCU too.
    HiveBuilder(volume.HostPathOf(UserHive("bperry")))
        .String("Software\\" + kCurrentVersion + "\\Explorer\\MenuOrder\\Start Menu\\Programs\\Old Tool",
                "Path", "C:\\OldTool\\tool.exe");
    // Values are compared by name within each key: a restored value is stored after the key's others.
    const auto before = DumpHives(volume);
    TestApp app(volume.Open());
    ASSERT_TRUE(app.target);
    CheckEveryRow(*app);
    WindowOf(*app).ImgScanNowMouseMove_Click();
    ASSERT_EQ(
        Findings(*app),
        (std::vector<std::string>{
            "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Spotify [Spotify Web "
            "Helper] C:\\Users\\bperry\\AppData\\Roaming\\Spotify\\SpotifyWebHelper.exe (Windows Startup)",
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start "
            "Menu\\Programs\\Old Tool [Path] C:\\OldTool\\tool.exe (Windows Startup)"}));

    const RepairOutcome outcome = WindowOf(*app).ImgRepairMouseMove_Click();
    EXPECT_TRUE(outcome.error.empty()) << outcome.error;
    const auto repaired = DumpHives(volume);
    EXPECT_EQ(repaired.at(std::string(kSoftwareHive)).find("\"Spotify Web Helper\""), std::string::npos);
    EXPECT_NE(repaired.at(std::string(kSoftwareHive)).find("\"Spotify\""), std::string::npos);
    EXPECT_EQ(repaired.at(UserHive("bperry")).find("\"Path\""), std::string::npos);
    EXPECT_EQ(repaired.at(ClassesHive("bperry")), before.at(ClassesHive("bperry")));

    BackupManager manager = LoadBackupManager(*app);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = EngineOf(*app).Restore(manager);
    EXPECT_TRUE(restored.failures.empty()) << testing::PrintToString(restored.failures);
    EXPECT_EQ(DumpHives(volume), before);
}

TEST(HiveScan, RepairRefusesAVolumeWhoseHiveWasNotClosedCleanly) {
    FixtureVolume volume;
    TestApp app(Windows10(volume, true).Open());
    ASSERT_TRUE(app.target);
    const std::string software = ReadAll(volume.HostPathOf(kSoftwareHive));
    CheckEveryRow(*app);
    WindowOf(*app).ImgScanNowMouseMove_Click();
    ASSERT_FALSE(FindingsOf(*app).lvwErrors.empty());

    const RepairOutcome outcome = WindowOf(*app).ImgRepairMouseMove_Click();
    EXPECT_TRUE(outcome.error.starts_with(volume.HostPathOf(kSystemHive).string() +
                                          ": the hive was not closed cleanly"))
        << outcome.error;
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_EQ(ReadAll(volume.HostPathOf(kSoftwareHive)), software);
}

} // namespace
} // namespace vx
