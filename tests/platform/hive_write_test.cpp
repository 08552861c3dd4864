// Changes to an offline volume's registry: written into the hive with hivex and committed by replacing
// the file, with everything else in the hive as it was; hives that must not be written are left alone.
#include "platform/file_operations.h"
#include "platform/root_keys.h"
#include "support/hive_volume.h"
#include "support/registry_test_prefix.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace vx {
namespace {

using test::FixtureVolume;
using test::kSoftwareHive;
using test::kSystemHive;
using test::ReadAll;
using test::UserHive;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A hive dump split into its keys' sections, by key path.
std::map<std::string, std::string> Sections(const std::string& dump) {
    std::map<std::string, std::string> sections;
    std::string current;
    size_t start = 0;
    while (start < dump.size()) {
        const size_t end = dump.find('\n', start);
        const std::string line = dump.substr(start, end - start + 1);
        if (line.starts_with("["))
            current = line.substr(1, line.size() - 3);
        else
            sections[current] += line;
        sections.try_emplace(current);
        start = end + 1;
    }
    return sections;
}

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

Status SetValue(Registry& registry, HKEY root, const std::string& path, std::string_view name, uint32_t type,
                const std::string& data) {
    HKEY key = 0;
    Status status = registry.RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key);
    if (status != ERROR_SUCCESS)
        return status;
    status = registry.RegSetValueEx(key, name, type, Bytes(data));
    registry.RegCloseKey(key);
    return status;
}

Status DeleteValue(Registry& registry, HKEY root, const std::string& path, std::string_view name) {
    HKEY key = 0;
    Status status = registry.RegOpenKeyEx(root, path, KEY_ALL_ACCESS, key);
    if (status != ERROR_SUCCESS)
        return status;
    status = registry.RegDeleteValue(key, name);
    registry.RegCloseKey(key);
    return status;
}

TEST(HiveWrites, ChangesReachTheHiveAndEverythingElseStaysAsItWas) {
    FixtureVolume volume;
    volume.Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT");
    const auto hive = volume.HostPathOf(UserHive("nfury"));
    ::chmod(hive.c_str(), 0640);
    const auto before = Sections(test::DumpHive(hive));
    ASSERT_TRUE(before.at(kRun).starts_with("  \"Google Update\" 1 ")) << before.at(kRun);
    ASSERT_NE(before.at(kRun).find("\n  \"Skype\" 1 "), std::string::npos) << before.at(kRun);
    {
        auto target = volume.Open();
        ASSERT_TRUE(target);
        Registry& registry = target->registry();
        ASSERT_EQ(SetValue(registry, HKEY_CURRENT_USER, kRun, "Skype", REG_SZ, std::string("C:\\x.exe\0", 9)),
                  ERROR_SUCCESS);
        ASSERT_EQ(DeleteValue(registry, HKEY_CURRENT_USER, kRun, "Google Update"), ERROR_SUCCESS);
        ASSERT_EQ(SetValue(registry, HKEY_CURRENT_USER, "Software\\Vantrelix Test\\Neu_\xC3\xBC",
                           "Wert_\xC3\xA9", REG_DWORD, std::string("\x05\x00\x00\x00", 4)),
                  ERROR_SUCCESS);
        ASSERT_EQ(registry.Flush(), ERROR_SUCCESS) << registry.LastError();
    }
    auto after = Sections(test::DumpHive(hive));
    EXPECT_EQ(after[kRun], "  \"Skype\" 1 43003a005c0078002e006500780065000000\n");
    EXPECT_EQ(after["Software\\Vantrelix Test"], "");
    EXPECT_EQ(after["Software\\Vantrelix Test\\Neu_\xC3\xBC"], "  \"Wert_\xC3\xA9\" 4 05000000\n");
    for (const char* changed : {"Software\\Vantrelix Test", "Software\\Vantrelix Test\\Neu_\xC3\xBC"})
        after.erase(changed);
    after[kRun] = before.at(kRun);
    EXPECT_TRUE(after == before) << "every other key and value is as it was";

    struct stat st {};
    ASSERT_EQ(::stat(hive.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(ReadHiveHeader(hive).Clean());
    for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path()))
        EXPECT_EQ(entry.path(), hive) << "no temporary file is left behind";
}

TEST(HiveWrites, KeysDeeperThanWindowsAllowsAreNotLoadedAndStayInTheHive) {
    FixtureVolume volume;
    const auto hive = volume.HostPathOf(UserHive("ann"));
    std::string deepest = "Deep";
    for (size_t level = 1; level < kMaxKeyDepth + 2; ++level)
        deepest += "\\k";
    test::HiveBuilder(hive).String(deepest, "v", "deep");
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWindowsVolumeTarget(volume.root(), "", error, warnings);
    ASSERT_TRUE(target) << error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].starts_with(hive.string() + ": keys below \\Deep\\k\\k")) << warnings[0];
    EXPECT_NE(warnings[0].find("deeper than 512 levels"), std::string::npos) << warnings[0];
    Registry& registry = target->registry();
    const std::string lowest = deepest.substr(0, deepest.size() - 2); // kMaxKeyDepth + 1 levels
    EXPECT_EQ(test::SubkeysOf(registry, HKEY_CURRENT_USER, lowest.substr(0, lowest.size() - 2)),
              std::vector<std::string>{});
    EXPECT_EQ(test::SubkeysOf(registry, HKEY_CURRENT_USER, lowest),
              std::vector<std::string>{"<cannot open>"});

    // Saving a change elsewhere leaves them where they were.
    ASSERT_EQ(SetValue(registry, HKEY_CURRENT_USER, "Software", "x", REG_DWORD, std::string(4, '\0')),
              ERROR_SUCCESS);
    ASSERT_EQ(registry.Flush(), ERROR_SUCCESS) << registry.LastError();
    EXPECT_NE(test::DumpHive(hive).find("[" + deepest + "]\n  \"v\" 1 64006500650070000000\n"),
              std::string::npos);
}

TEST(HiveWrites, ValueNamesHivexCannotWriteBackLeaveTheHiveAlone) {
    FixtureVolume volume;
    volume.Hive(kSoftwareHive, "hives/edge/hivex_special");
    const auto hive = volume.HostPathOf(kSoftwareHive);
    const std::string original = ReadAll(hive);
    auto target = volume.Open();
    ASSERT_TRUE(target);
    Registry& registry = target->registry();
    // The key "zero\0key" holds a value whose name has a NUL in it; hivex takes names as C strings.
    ASSERT_EQ(SetValue(registry, HKEY_LOCAL_MACHINE, std::string("SOFTWARE\\zero\0key", 17), "more",
                       REG_DWORD, std::string(4, '\0')),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.Flush(), ERROR_CANTWRITE);
    EXPECT_NE(registry.LastError().find("a value name holds a NUL character"), std::string::npos)
        << registry.LastError();
    EXPECT_EQ(ReadAll(hive), original);
}

TEST(HiveWrites, AVolumeWithAHiveThatMustNotBeWrittenIsNotWritten) {
    struct Case {
        std::string systemHive; // placed as SYSTEM
        std::string reason;
    };
    const Case cases[] = {
        {"hives/win10_SYSTEM", "the hive was not closed cleanly"},
        {"hives/edge/plaso_corrupt_sub_key_list.hiv", "the hive is damaged"},
    };
    for (const Case& c : cases) {
        FixtureVolume volume;
        volume.Hive(kSystemHive, c.systemHive).Hive(UserHive("nfury"), "hives/win7_NTUSER.DAT");
        const std::string system = ReadAll(volume.HostPathOf(kSystemHive));
        const std::string user = ReadAll(volume.HostPathOf(UserHive("nfury")));
        auto target = volume.Open();
        ASSERT_TRUE(target);
        Registry& registry = target->registry();

        // Opening for all access still reads (the scan's folder lookups do so), but writes are refused.
        HKEY key = 0;
        ASSERT_EQ(registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SYSTEM", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        uint32_t type = 0, size = 0;
        EXPECT_EQ(registry.RegQueryValueEx(key, "missing value", &type, {}, &size), ERROR_FILE_NOT_FOUND);
        const std::string four(4, '\0');
        EXPECT_EQ(registry.RegSetValueEx(key, "x", REG_DWORD,
                                         std::span(reinterpret_cast<const uint8_t*>(four.data()), 4)),
                  ERROR_ACCESS_DENIED);
        registry.RegCloseKey(key);
        EXPECT_EQ(SetValue(registry, HKEY_LOCAL_MACHINE, "SYSTEM\\New", "x", REG_DWORD, std::string(4, '\0')),
                  ERROR_ACCESS_DENIED);
        // The user's hive could be changed in memory, but nothing of the volume is written.
        ASSERT_EQ(DeleteValue(registry, HKEY_CURRENT_USER, kRun, "Skype"), ERROR_SUCCESS);
        std::string why;
        EXPECT_FALSE(target->CanWrite(why));
        EXPECT_EQ(registry.Flush(), ERROR_ACCESS_DENIED);
        EXPECT_EQ(registry.LastError(), why);
        EXPECT_TRUE(why.starts_with(volume.HostPathOf(kSystemHive).string() + ": " + c.reason)) << why;
        EXPECT_EQ(ReadAll(volume.HostPathOf(kSystemHive)), system);
        EXPECT_EQ(ReadAll(volume.HostPathOf(UserHive("nfury"))), user);
    }
}

// The hives of a volume are saved together: with any file operation of the save failing, either both
// hives hold the change or neither does, and no temporary file is left behind.
TEST(HiveWrites, HivesSavedTogetherChangeTogetherWhicheverFileOperationFails) {
    for (uint64_t n = 1;; ++n) {
        SCOPED_TRACE("operation " + std::to_string(n));
        FixtureVolume volume;
        test::HiveBuilder(volume.HostPathOf(kSoftwareHive)).String("Vendor", "v", "software");
        test::HiveBuilder(volume.HostPathOf(UserHive("ann"))).String("Vendor", "v", "user");
        const auto software = volume.HostPathOf(kSoftwareHive), user = volume.HostPathOf(UserHive("ann"));
        const std::string softwareBefore = ReadAll(software), userBefore = ReadAll(user);
        auto target = volume.Open();
        ASSERT_TRUE(target);
        Registry& registry = target->registry();
        ASSERT_EQ(DeleteValue(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor", "v"), ERROR_SUCCESS);
        ASSERT_EQ(DeleteValue(registry, HKEY_CURRENT_USER, "Vendor", "v"), ERROR_SUCCESS);
        file_ops::Arm(n, ENOSPC);
        const Status status = registry.Flush();
        const bool fired = file_ops::Fired();
        file_ops::Arm(0, 0);
        const bool softwareSaved = ReadAll(software) != softwareBefore,
                   userSaved = ReadAll(user) != userBefore;
        EXPECT_EQ(softwareSaved, userSaved) << registry.LastError();
        EXPECT_EQ(softwareSaved, status == ERROR_SUCCESS) << registry.LastError();
        EXPECT_EQ(registry.LastFlushWroteNothing(), status == ERROR_SUCCESS || !softwareSaved);
        for (const auto& hive : {software, user})
            for (const auto& entry : std::filesystem::directory_iterator(hive.parent_path()))
                EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
        if (!fired)
            break;
    }
}

} // namespace
} // namespace vx
