// The settings file as the program keeps it: what one instance writes, another (another process, or the
// program started again) reads, whichever changed it last.
#include "app/settings_store.h"
#include "support/fixture_prefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

TEST(FileSettingsStore, OftenReadSettingShowsThisProcesssSavesAtOnceAndAnothersSoon) {
    TempDir dir;
    const auto file = dir.path() / "vantrelix" / "settings.ini";
    FileSettingsStore first(file), second(file);
    EXPECT_EQ(second.GetOftenReadSetting("App", "Settings", "chkPlaySound", "0"), "0");
    first.SaveSetting("App", "Settings", "chkPlaySound", "1");
    EXPECT_EQ(second.GetOftenReadSetting("App", "Settings", "chkPlaySound", "0"), "1");
    EXPECT_EQ(first.GetOftenReadSetting("App", "Settings", "chkPlaySound", "0"), "1");

    // Another process's write, as the file shows it: seen once kOftenReadAge has passed.
    std::ofstream(file) << "[App\\Settings]\nchkPlaySound=0\n";
    std::this_thread::sleep_for(kOftenReadAge + std::chrono::milliseconds(5));
    EXPECT_EQ(second.GetOftenReadSetting("App", "Settings", "chkPlaySound", "1"), "0");
    EXPECT_EQ(second.GetSetting("App", "Settings", "chkPlaySound", "1"), "0");
}

// Any key and value round-trip, line breaks and "=" included, and a plain file of earlier versions reads
// as it did.
TEST(FileSettingsStore, AnyTextRoundTrips) {
    TempDir dir;
    const auto file = dir.path() / "settings.ini";
    std::ofstream(file) << "[Vantrelix v3.0\\Settings]\ntxtBackup=/home/ann/backups\nchkPlaySound=1\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a=b", "c=d"},       {"line\nbreak", "two\nlines"},
        {"cr\rkey", "x\r\n"}, {"back\\slash", "C:\\x\\"},
        {"[section]", "]"},   {"plain", ""},
    };
    {
        FileSettingsStore store(file);
        for (const auto& [key, value] : cases)
            store.SaveSetting("Vantrelix v3.0", "Settings", key, value);
        EXPECT_EQ(store.LastError(), "");
    }
    FileSettingsStore again(file);
    for (const auto& [key, value] : cases)
        EXPECT_EQ(again.GetSetting("Vantrelix v3.0", "Settings", key, "<none>"), value) << key;
    EXPECT_EQ(again.GetSetting("Vantrelix v3.0", "Settings", "txtBackup", ""), "/home/ann/backups");
    EXPECT_EQ(again.GetSetting("Vantrelix v3.0", "Settings", "chkPlaySound", ""), "1");
    EXPECT_EQ(again.AllSettings("Vantrelix v3.0", "Settings").size(), cases.size() + 2);
}

// Writers at the same time each keep their write.
TEST(FileSettingsStore, WritersAtTheSameTimeLoseNothing) {
    TempDir dir;
    const auto file = dir.path() / "settings.ini";
    constexpr int kWriters = 8;
    std::vector<pid_t> children;
    for (int n = 0; n < kWriters; ++n) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            FileSettingsStore store(file);
            for (int round = 0; round < 20; ++round)
                store.SaveSetting("App", "Settings", "key" + std::to_string(n), std::to_string(round));
            ::_exit(store.LastError().empty() ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    FileSettingsStore store(file);
    for (int n = 0; n < kWriters; ++n)
        EXPECT_EQ(store.GetSetting("App", "Settings", "key" + std::to_string(n), "<lost>"), "19") << n;
}

// A settings file that is a named pipe is refused at once, never waited on, and never replaced.
TEST(FileSettingsStore, ANamedPipeInThePlaceOfTheFileIsRefused) {
    TempDir dir;
    const auto file = dir.path() / "settings.ini";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    FileSettingsStore store(file);
    EXPECT_EQ(store.GetSetting("App", "Settings", "key", "default"), "default");
    store.SaveSetting("App", "Settings", "key", "value");
    EXPECT_NE(store.LastError().find("not a regular file"), std::string::npos) << store.LastError();
    struct stat st {};
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
} // namespace vx
