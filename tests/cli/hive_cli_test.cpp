// vantrelix-cli --windows: a volume that cannot be used, or written, is one clear line and a failing exit.
#include "support/hive_volume.h"
#include "support/registry_test_prefix.h"

#include <functional>
#include <gtest/gtest.h>

namespace vx {
namespace {

using test::FixtureVolume;
using test::kSoftwareHive;
using test::kSystemHive;
using test::UserHive;

TEST(HiveCli, AVolumeThatCannotBeUsedOrWrittenIsOneLineAndExitStatus2) {
    struct Case {
        std::string name;
        std::function<void(FixtureVolume&)> setUp;
        std::vector<std::string> command;
        std::string message; // after "vantrelix-cli: "
    };
    const Case cases[] = {
        {"no Windows",
         [](FixtureVolume&) {},
         {"scan"},
         "no hives in Windows/System32/config, no user profile"},
        {"Windows 9x registry file",
         [](FixtureVolume& v) {
             v.Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT")
                 .Hive(kSoftwareHive, "hives/negative/win9x_USER.DAT");
         },
         {"scan"},
         "(CREG format), not a Windows NT hive"},
        {"two users",
         [](FixtureVolume& v) {
             v.Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT")
                 .Hive(UserHive("bperry"), "hives/win10_NTUSER.DAT");
         },
         {"reg", "query", "HKCU"},
         "2 users have a profile here (bperry, nfury); choose one with --user NAME"},
        {"dirty hive, reg add",
         [](FixtureVolume& v) {
             v.Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT").Hive(kSystemHive, "hives/win10_SYSTEM");
         },
         {"reg", "add", "HKCU\\Software\\Test", "/v", "x", "/d", "1", "/f"},
         "cannot change the registry: "},
        {"dirty hive, repair",
         [](FixtureVolume& v) {
             v.Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT").Hive(kSystemHive, "hives/win10_SYSTEM");
         },
         {"--yes", "repair"},
         "the hive was not closed cleanly"},
    };
    for (const Case& c : cases) {
        FixtureVolume volume;
        c.setUp(volume);
        test::TempDir home;
        std::vector<std::string> argv{"env", "HOME=" + home.path().string(), VANTRELIX_CLI, "--windows",
                                      volume.root().string()};
        argv.insert(argv.end(), c.command.begin(), c.command.end());
        const test::ProgramRun run = test::RunProgram(argv);
        EXPECT_EQ(run.status, 2) << c.name << run.out << run.err;
        EXPECT_TRUE(run.err.starts_with("vantrelix-cli: ")) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << c.name << ": one line: " << run.err;
    }
}

} // namespace
} // namespace vx
