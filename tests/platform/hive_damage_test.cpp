// Hive trees bent out of shape by damage: a key whose name is empty (opening it would open its parent
// again) and subkey lists that lead back up the tree or to a key listed elsewhere. Each such subkey is
// skipped with a warning, so that nothing walks round in circles.
#include "hive_damage.h"
#include "platform/root_keys.h"
#include "support/hive_volume.h"
#include "support/registry_test_prefix.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixtureVolume;
using test::HiveBuilder;
using test::UserHive;
using Names = std::vector<std::string>;

// The user's hive of a volume: Software\Blank\Nameless\Below, Software\Keep (with a value) and
// Software\Loop\Inner\Back.
std::filesystem::path UserHiveOf(FixtureVolume& volume) {
    const auto path = volume.HostPathOf(UserHive("ann"));
    HiveBuilder(path)
        .Key("Software\\Blank\\Nameless\\Below")
        .String("Software\\Keep", "v", "kept")
        .Key("Software\\Loop\\Inner\\Back");
    return path;
}

struct Damage {
    std::string name;
    std::function<void(const std::filesystem::path&)> apply;
    std::string key;     // below HKCU\Software, where the damage shows
    std::string warning; // what the warning says
};

const Damage kDamages[] = {
    {"empty name", [](const auto& hive) { test::EmptyKeyName(hive, "Nameless"); }, "Blank", "an empty name"},
    {"loop to itself", [](const auto& hive) { test::PointFirstSubkeyAt(hive, "Inner", "Inner"); },
     "Loop\\Inner", "leads back to"},
    {"loop to an ancestor", [](const auto& hive) { test::PointFirstSubkeyAt(hive, "Inner", "Loop"); },
     "Loop\\Inner", "leads back to"},
    {"key listed twice", [](const auto& hive) { test::PointFirstSubkeyAt(hive, "Inner", "Keep"); },
     "Loop\\Inner", "already listed"},
};

TEST(HiveDamage, SubkeysThatWouldLoopAreSkippedWithAWarningAndTheHiveIsNotWritten) {
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.name);
        FixtureVolume volume;
        const auto hive = UserHiveOf(volume);
        damage.apply(hive);
        std::string error;
        std::vector<std::string> warnings;
        auto target = OpenWindowsVolumeTarget(volume.root(), "", error, warnings);
        ASSERT_TRUE(target) << error;
        Registry& registry = target->registry();
        EXPECT_EQ(test::SubkeysOf(registry, HKEY_CURRENT_USER, "Software\\" + damage.key), Names{});
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].starts_with(hive.string() + ": ")) << warnings[0];
        EXPECT_NE(warnings[0].find(damage.warning), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("\\Software\\" + damage.key), std::string::npos) << warnings[0];
        // The rest of the tree is all there.
        EXPECT_EQ(test::SubkeysOf(registry, HKEY_CURRENT_USER, "Software"), (Names{"Blank", "Keep", "Loop"}));
        EXPECT_EQ(test::QueryData(registry, HKEY_CURRENT_USER, "Software\\Keep", "v").bytes,
                  std::string("kept\0", 5));
        std::string why;
        EXPECT_FALSE(target->CanWrite(why));
        EXPECT_NE(why.find("damaged"), std::string::npos) << why;
    }
}

TEST(HiveDamage, ScanAndRecursiveQueryOfADamagedHiveFinishWithTheWarning) {
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.name);
        FixtureVolume volume;
        damage.apply(UserHiveOf(volume));
        test::TempDir home;
        const std::vector<std::string> base{"env", "HOME=" + home.path().string(), VANTRELIX_CLI, "--windows",
                                            volume.root().string()};
        for (const auto& command : {Names{"reg", "query", "HKCU", "/s"},
                                    Names{"reg", "query", "HKCU", "/v", "v", "/s"}, Names{"scan"}}) {
            Names argv = base;
            argv.insert(argv.end(), command.begin(), command.end());
            const test::ProgramRun run = test::RunProgram(argv);
            EXPECT_TRUE(run.status == 0 || (command[0] == "scan" && run.status == 1))
                << command[0] << " " << run.status << run.err;
            EXPECT_NE(run.err.find(damage.warning), std::string::npos) << run.err;
            if (command.size() == 4) {
                EXPECT_NE(run.out.find("HKEY_CURRENT_USER\\Software\\Keep\n    v    REG_SZ    kept\n"),
                          std::string::npos)
                    << run.out.substr(0, 2000);
            }
        }
    }
}

} // namespace
} // namespace vx
