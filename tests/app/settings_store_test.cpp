// The settings file as the program keeps it: what one instance writes, another (another process, or the
// program started again) reads, whichever changed it last.
#include "app/settings_store.h"
#include "support/fixture_prefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vx {
namespace {

using test::TempDir;

TEST(FileSettingsStore, EachInstanceSeesTheOthersLatestWrite) {
    TempDir dir;
    const auto file = dir.path() / "vantrelix" / "settings.ini";
    FileSettingsStore first(file), second(file);
    EXPECT_EQ(first.GetSetting("App", "Settings", "chkPlaySound", "0"), "0"); // no file yet: the default

    first.SaveSetting("App", "Settings", "chkPlaySound", "1");
    EXPECT_EQ(second.GetSetting("app", "SETTINGS", "CHKPLAYSOUND", "0"), "1"); // keys without case
    // A rewrite of the same size, at once: the other instance still notices.
    second.SaveSetting("App", "Settings", "chkPlaySound", "2");
    EXPECT_EQ(first.GetSetting("App", "Settings", "chkPlaySound", "0"), "2");

    EXPECT_EQ(FileSettingsStore(file).GetSetting("App", "Settings", "chkPlaySound", "0"), "2"); // a restart

    std::filesystem::remove(file);
    EXPECT_EQ(first.GetSetting("App", "Settings", "chkPlaySound", "0"), "0");
}

} // namespace
} // namespace vx
