// Repair and restore over real fixture prefixes: what is removed, what is backed up, and that a restore
// puts back exactly what repair took away.
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/registry_access.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "results/repair.h"
#include "support/registry_dump.h"
#include "support/test_app.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TestApp;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Dump(App& app) {
    return test::DumpRegistry(app.registry(), HKEY_LOCAL_MACHINE) +
           test::DumpRegistry(app.registry(), HKEY_CURRENT_USER);
}

class RepairTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone A", "gone-a.ttf")
            .ExpandString("HKLM", kFonts, "Gone B", "gone-b.ttf") // read as empty text: not a finding
            .String("HKLM", kFonts, "Gone C", "gönë-c.ttf")
            .String("HKLM", kFonts, "Gone D", "gone d^x.ttf")
            .String("HKLM", std::string(kAppPaths) + "\\old.exe", "", "C:\\Old\\old.exe")
            .Dword("HKLM", std::string(kAppPaths) + "\\old.exe", "Flags", 7)
            .String("HKLM", std::string(kAppPaths) + "\\old.exe", "Path", "C:\\Old")
            .File("C:\\users\\Public\\Desktop\\A\\x.lnk", "first")
            .File("C:\\users\\Public\\Desktop\\B\\x.lnk", "second");
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        before = Dump(a());
    }
    App& a() { return **app; }

    void Scan() {
        LoadlvwRegistryvaluesScanValues(a());
        for (auto& row : a().main().lvwRegistryvaluesScan.rows)
            row.checked = row.text == "Windows Fonts" || row.text == "Software Locations";
        ImgScanNowMouseMove_Click(a());
        a().main().lvwShortcut = {ShortcutEntry{"C:\\users\\Public\\Desktop\\A\\x.lnk"},
                                  ShortcutEntry{"C:\\users\\Public\\Desktop\\B\\x.lnk"}};
    }
    std::vector<std::string> BackupLines(const std::string& backupFile) {
        std::vector<std::string> kinds;
        for (const auto& line : SplitBackupLines(ReadFile(*a().files().HostPath(backupFile))))
            kinds.push_back(SplitBackupFields(DecodeBackupText(line))[0]);
        return kinds;
    }
    std::string RawValue(const std::string& keyPath, const std::string& name) {
        HKEY key = 0;
        if (a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, keyPath, key) != ERROR_SUCCESS)
            return "<no key>";
        uint32_t type = 0, size = 0;
        std::vector<uint8_t> data(256);
        size = 256;
        const Status status = a().registry().RegQueryValueEx(key, name, &type, data, &size);
        a().registry().RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::string(data.begin(), data.begin() + size) : "<no value>";
    }
    bool HasValue(const std::string& key, const std::string& name) {
        std::string text;
        return ReadRegistryString(a().registry(), HKEY_LOCAL_MACHINE, key, name, text);
    }

    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
    std::string before;
};

TEST_F(RepairTest, RemovesEveryFindingAfterBackingItUpInOneFile) {
    Scan();
    ASSERT_EQ(a().main().lvwErrors.size(), 4u);
    const RepairOutcome outcome = ImgRepairMouseMove_Click(a());
    EXPECT_EQ(outcome.repaired, 6);
    EXPECT_EQ(outcome.skipped, 0);
    EXPECT_EQ(outcome.backupFile, app->dataFolder.path().string() + "\\BackUp 10-12-26 09-05-01");
    EXPECT_EQ(BackupLines(outcome.backupFile), (std::vector<std::string>{"R", "R", "R", "R", "S", "S"}));

    auto reopened = prefix.Open(); // what is on disk now
    std::string text;
    for (const char* name : {"Gone A", "Gone C", "Gone D"})
        EXPECT_FALSE(ReadRegistryString(reopened->registry(), HKEY_LOCAL_MACHINE, kFonts, name, text))
            << name;
    EXPECT_TRUE(ReadRegistryString(reopened->registry(), HKEY_LOCAL_MACHINE, kFonts, "Gone B", text));
    ASSERT_TRUE(ReadRegistryString(reopened->registry(), HKEY_LOCAL_MACHINE,
                                   std::string(kAppPaths) + "\\old.exe", "", text));
    EXPECT_EQ(text, "") << "the unnamed value stays, emptied";

    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk")));
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\B\\x.lnk")));
    EXPECT_EQ(ReadFile(app->dataFolder.path() / "x.lnk"), "second")
        << "one copy per file name, the later wins";

    auto& main = a().main();
    EXPECT_TRUE(main.lvwErrors.empty());
    EXPECT_TRUE(main.lvwShortcut.empty());
    EXPECT_TRUE(main.lvwRegistryProblems.rows.empty());
    EXPECT_FALSE(main.PicResults);
    EXPECT_EQ(app->frontEnd.messages, std::vector<std::string>{" All Problems were repaired sucessfully !"});
}

TEST_F(RepairTest, RestorePutsBackExactlyWhatRepairRemoved) {
    Scan();
    const RepairOutcome outcome = ImgRepairMouseMove_Click(a());
    ASSERT_NE(Dump(a()), before);

    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_EQ(manager.lvwBackUp[0].date, "10/12/26");
    EXPECT_EQ(manager.lvwBackUp[0].time, "09:05:01");
    EXPECT_EQ(manager.lvwBackUp[0].size,
              std::to_string(std::filesystem::file_size(*a().files().HostPath(outcome.backupFile))));
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = imgRestoreMouseMove_Click(a(), manager);
    EXPECT_TRUE(restored.failures.empty());
    EXPECT_TRUE(manager.lvwBackUp.empty());

    auto reopened = prefix.Open();
    EXPECT_EQ(Dump(*std::make_unique<TestApp>(std::move(reopened))->app), before);
    EXPECT_EQ(ReadFile(prefix.HostPathOf("C:\\users\\Public\\Desktop\\B\\x.lnk")), "second");
    EXPECT_FALSE(std::filesystem::exists(*a().files().HostPath(outcome.backupFile)))
        << "a full restore consumes its file";
    EXPECT_FALSE(std::filesystem::exists(app->dataFolder.path() / "x.lnk"));
}

TEST_F(RepairTest, AFindingWhoseBackupCannotBeWrittenIsLeftInPlace) {
    Scan();
    a().SaveSetting("txtBackup", (app->dataFolder.path() / "missing").string());
    const RepairOutcome outcome = ImgRepairMouseMove_Click(a());
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_EQ(outcome.skipped, 6);
    EXPECT_EQ(Dump(*std::make_unique<TestApp>(prefix.Open())->app), before);
    EXPECT_TRUE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk")));
    ASSERT_EQ(app->frontEnd.messages.size(), 1u);
    EXPECT_EQ(app->frontEnd.messages[0], "0 problem(s) were repaired; 6 were left in place (their backup "
                                         "could not be written, or they could not be removed).");
}

TEST_F(RepairTest, WithBackupsOffNothingIsWrittenAside) {
    Scan();
    a().SaveSetting("chkMakeBackUp", "0");
    const RepairOutcome outcome = ImgRepairMouseMove_Click(a());
    EXPECT_EQ(outcome.repaired, 6);
    EXPECT_EQ(outcome.backupFile, "");
    EXPECT_TRUE(std::filesystem::is_empty(app->dataFolder.path()));
}

TEST_F(RepairTest, AnEntryWithoutANameChangesNothing) {
    ProblemEntry row;
    row.MainKey = "-2147483646";
    row.mainkeyname = "HKEY_LOCAL_MACHINE";
    row.FullKeyPath = kFonts;
    row.KeyName = "";
    a().main().lvwErrors = {row};
    a().main().lvwRegistryProblems.Add("x");
    const RepairOutcome outcome = RepairAllProblems(a());
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_EQ(Dump(a()), before);
}

TEST_F(RepairTest, OlderSixFieldRecordsRestoreByTheirOwnRule) {
    const std::string key = std::string(kAppPaths) + "\\old.exe";
    const std::vector<std::vector<std::string>> records = {
        {"R", "HKEY_LOCAL_MACHINE", key, "C:\\WINDOWS\\System32\\x.dll", "Yes value", "Yes"},
        {"R", "HKEY_LOCAL_MACHINE", key, "C:\\Old\\old.exe", "(Default)", ""},
        {"R", "HKEY_LOCAL_MACHINE", "Software\\New\\Key", "C:\\n.exe", "n", ""},
    };
    std::string file;
    for (const auto& fields : records)
        file += EncodeBackupText(JoinBackupFields(fields)) + "\r\n";
    std::ofstream(app->dataFolder.path() / "BackUp 07-03-05 09-05-01", std::ios::binary) << file;
    std::ofstream(app->dataFolder.path() / "notes.txt") << "not a backup";
    std::ofstream(app->dataFolder.path() / "Backup tool.lnk") << "a copy";

    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 2u);
    EXPECT_EQ(manager.lvwBackUp[0].name, "BackUp 07-03-05 09-05-01");
    EXPECT_EQ(manager.lvwBackUp[0].date, "07/03/05");
    EXPECT_EQ(manager.lvwBackUp[1].name, "Backup tool.lnk");
    EXPECT_EQ(manager.lvwBackUp[1].date, "");
    EXPECT_EQ(manager.lvwBackUp[1].time, "");

    manager.lvwBackUp[0].ticked = true;
    EXPECT_TRUE(imgRestoreMouseMove_Click(a(), manager).failures.empty());
    std::string text;
    EXPECT_EQ(RawValue(key, "Yes value"), "x.dll") << "written as the plain write does: no terminating zero";
    ASSERT_TRUE(ReadRegistryString(a().registry(), HKEY_LOCAL_MACHINE, key, "", text));
    EXPECT_EQ(text, "C:\\Old\\old.exe");
    EXPECT_FALSE(HasValue(key, "(Default)"));
    ASSERT_TRUE(ReadRegistryString(a().registry(), HKEY_LOCAL_MACHINE, "Software\\New\\Key", "n", text));
    EXPECT_EQ(text, "C:\\n.exe");
}

TEST_F(RepairTest, ARestoreThatCannotWriteEveryRecordKeepsItsFile) {
    const std::vector<std::vector<std::string>> records = {
        {"R", "HKEY_LOCAL_MACHINE", "Software\\Missing\\Key", "C:\\x\\y.dll", "v", "Yes"}, // key must exist
        {"R", "HKEY_NOWHERE", "K", "C:\\x", "v", ""},
        {"S", "C:\\windows\\system32\\evil.dll"}, // not a shortcut
        {"S", "/etc/x.lnk"},                      // not on the target
        {"garbage"},
    };
    std::string file;
    for (const auto& fields : records)
        file += EncodeBackupText(JoinBackupFields(fields)) + "\r\n";
    const auto path = app->dataFolder.path() / "BackUp 01-01-26 01-01-01";
    std::ofstream(path, std::ios::binary) << file;
    std::ofstream(app->dataFolder.path() / "evil.dll") << "payload";
    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome outcome = imgRestoreMouseMove_Click(a(), manager);
    EXPECT_EQ(outcome.failures.size(), 5u);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\windows\\system32\\evil.dll")));
    EXPECT_FALSE(HasValue("Software\\Missing\\Key", "v"));
}

TEST_F(RepairTest, DeleteAsksForEveryTickedRow) {
    for (const char* name : {"BackUp 01-01-26 01-01-01", "BackUp 02-01-26 01-01-01"})
        std::ofstream(app->dataFolder.path() / name) << "x";
    BackupManager manager = LoadBackupManager(a());
    for (auto& row : manager.lvwBackUp)
        row.ticked = true;
    app->frontEnd.answers = {false, true};
    ImgDeleteMouseMove_Click(a(), manager);
    EXPECT_EQ(app->frontEnd.messages.size(), 2u);
    EXPECT_EQ(app->frontEnd.messages[0], "Are you sure you want delete the selected file ?");
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_EQ(manager.lvwBackUp[0].name, "BackUp 01-01-26 01-01-01");
    EXPECT_TRUE(std::filesystem::exists(app->dataFolder.path() / "BackUp 01-01-26 01-01-01"));
    EXPECT_FALSE(std::filesystem::exists(app->dataFolder.path() / "BackUp 02-01-26 01-01-01"));
    EXPECT_EQ(a().MessageBoxKind, "");
}

} // namespace
} // namespace vx

namespace vx {
namespace {

TEST_F(RepairTest, AShortcutThatCannotBeRemovedIsNotClaimedAsRepaired) {
    Scan();
    const auto readOnly = prefix.HostPathOf("C:\\users\\Public\\Desktop\\B\\x.lnk");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const RepairOutcome outcome = ImgRepairMouseMove_Click(a());
    EXPECT_EQ(outcome.repaired, 5);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_TRUE(std::filesystem::exists(readOnly));
    ASSERT_EQ(a().main().lvwShortcut.size(), 1u);
    EXPECT_EQ(a().main().lvwShortcut[0].path, "C:\\users\\Public\\Desktop\\B\\x.lnk");
}

} // namespace
} // namespace vx
