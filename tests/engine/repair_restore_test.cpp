// Repair and restore over real fixture prefixes: what is removed, what is backed up, and that a restore
// puts back exactly what repair took away.
#include "engine/repair.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/registry_access.h"
#include "platform/utf16.h"
#include "platform/wine/wine_registry.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "support/registry_dump.h"
#include "support/test_app.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::ModelOf;
using test::WindowOf;

using test::FixturePrefix;
using test::TempDir;
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
        LoadlvwRegistryvaluesScanValues(EngineOf(a()));
        for (auto& row : EngineOf(a()).checkList().rows)
            row.checked = row.text == "Windows Fonts" || row.text == "Software Locations";
        WindowOf(a()).ImgScanNowMouseMove_Click();
        FindingsOf(a()).lvwShortcut = {ShortcutEntry{"C:\\users\\Public\\Desktop\\A\\x.lnk"},
                                       ShortcutEntry{"C:\\users\\Public\\Desktop\\B\\x.lnk"}};
    }
    std::vector<std::string> BackupLines(const std::string& backupFile) {
        std::vector<std::string> kinds;
        for (const auto& line : SplitBackupLines(ReadFile(backupFile)))
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
    ASSERT_EQ(FindingsOf(a()).lvwErrors.size(), 4u);
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    EXPECT_EQ(outcome.repaired, 6);
    EXPECT_EQ(outcome.skipped, 0);
    EXPECT_EQ(outcome.backupFile, (app->dataFolder.path() / "BackUp 10-12-26 09-05-01").string());
    EXPECT_EQ(BackupLines(outcome.backupFile), (std::vector<std::string>{"T", "R", "R", "R", "R", "S", "S"}));

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
    // Each shortcut has its own copy, in the backup file's own folder of copies.
    const auto copies = app->dataFolder.path() / "BackUp 10-12-26 09-05-01 shortcuts";
    EXPECT_EQ(ReadFile(copies / "1 x.lnk"), "first");
    EXPECT_EQ(ReadFile(copies / "2 x.lnk"), "second");

    auto& main = ModelOf(a());
    EXPECT_TRUE(FindingsOf(a()).lvwErrors.empty());
    EXPECT_TRUE(FindingsOf(a()).lvwShortcut.empty());
    EXPECT_TRUE(main.lvwRegistryProblems.rows.empty());
    EXPECT_FALSE(main.PicResults);
    EXPECT_EQ(app->frontEnd.messages, std::vector<std::string>{" All Problems were repaired sucessfully !"});
}

// One scan, repair or restore at a time: the windows let events in while one runs, and a start that
// comes in meanwhile (a second click, the tray menu) does nothing; repair says why.
TEST_F(RepairTest, AStartWhileAScanRepairOrRestoreIsAtWorkDoesNothing) {
    Scan();
    WindowOf(a()).ImgRepairMouseMove_Click(); // a backup file to restore
    auto& frontEnd = app->frontEnd;
    const std::string busy(kAnotherRunAtWork);
    int tried = 0;
    bool armed = false;
    // At the first yield of the run about to start, every start is tried; none may change anything.
    auto tryEveryStartInside = [&] {
        armed = true;
        for (int i = 1; i <= 100; ++i)
            frontEnd.atYield[frontEnd.yields + i] = [&](App& running) {
                if (!armed || !running.RunAtWork())
                    return;
                armed = false;
                ++tried;
                auto& main = ModelOf(running);
                const std::string registry = Dump(running);
                const std::vector<ProblemEntry> findings = FindingsOf(running).lvwErrors.ToVector();
                const bool scanIdle = main.ImgScanNowNormal, scanning = main.PicScanning,
                           results = main.PicResults;
                WindowOf(running).ImgScanNowMouseMove_Click();
                const RepairOutcome repaired = WindowOf(running).ImgRepairMouseMove_Click();
                BackupManager manager = LoadBackupManager(running);
                for (auto& row : manager.lvwBackUp)
                    row.ticked = true;
                const RestoreOutcome restored = EngineOf(running).Restore(manager);
                EXPECT_EQ(Dump(running), registry);
                EXPECT_EQ(FindingsOf(running).lvwErrors.ToVector(), findings);
                EXPECT_EQ(main.ImgScanNowNormal, scanIdle);
                EXPECT_EQ(main.PicScanning, scanning);
                EXPECT_EQ(main.PicResults, results);
                EXPECT_EQ(repaired.repaired + repaired.skipped, 0);
                EXPECT_EQ(repaired.error, busy);
                ASSERT_FALSE(frontEnd.messages.empty());
                EXPECT_EQ(frontEnd.messages.back(), "Nothing was repaired: " + busy);
                EXPECT_EQ(restored.failures, std::vector<std::string>{"nothing was restored: " + busy});
                EXPECT_EQ(restored.restored, 0);
            };
    };

    tryEveryStartInside();
    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    EXPECT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    EXPECT_EQ(Dump(a()), before);

    tryEveryStartInside();
    Scan();
    EXPECT_EQ(FindingsOf(a()).lvwErrors.size(), 4u) << "one scan's findings, once";

    tryEveryStartInside();
    EXPECT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().repaired, 6);
    EXPECT_EQ(tried, 3);

    // Once a run is over, the next starts as usual.
    Scan();
    EXPECT_EQ(FindingsOf(a()).lvwErrors.size(), 0u);
}

TEST_F(RepairTest, RestorePutsBackExactlyWhatRepairRemoved) {
    Scan();
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    ASSERT_NE(Dump(a()), before);

    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    EXPECT_EQ(manager.lvwBackUp[0].date, "10/12/26");
    EXPECT_EQ(manager.lvwBackUp[0].time, "09:05:01");
    EXPECT_EQ(manager.lvwBackUp[0].size, std::to_string(std::filesystem::file_size(outcome.backupFile)));
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = EngineOf(a()).Restore(manager);
    EXPECT_TRUE(restored.failures.empty());
    EXPECT_TRUE(manager.lvwBackUp.empty());

    auto reopened = prefix.Open();
    EXPECT_EQ(Dump(*std::make_unique<TestApp>(std::move(reopened))->app), before);
    EXPECT_EQ(ReadFile(prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk")), "first");
    EXPECT_EQ(ReadFile(prefix.HostPathOf("C:\\users\\Public\\Desktop\\B\\x.lnk")), "second");
    EXPECT_FALSE(std::filesystem::exists(outcome.backupFile)) << "a full restore consumes its file";
    EXPECT_TRUE(std::filesystem::is_empty(app->dataFolder.path())) << "and its copies";
}

TEST_F(RepairTest, AMissingBackupFolderIsCreated) {
    Scan();
    a().SaveSetting("txtBackup", (app->dataFolder.path() / "new" / "folder").string());
    EXPECT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().repaired, 6);
    EXPECT_TRUE(
        std::filesystem::exists(app->dataFolder.path() / "new" / "folder" / "BackUp 10-12-26 09-05-01"));
}

TEST_F(RepairTest, ABackupFolderThatCannotBeCreatedStopsTheRepairWithItsReason) {
    Scan();
    std::ofstream(app->dataFolder.path() / "a file") << "x";
    a().SaveSetting("txtBackup", (app->dataFolder.path() / "a file" / "backups").string());
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    EXPECT_EQ(outcome.repaired, 0);
    EXPECT_EQ(Dump(*std::make_unique<TestApp>(prefix.Open())->app), before);
    EXPECT_TRUE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk")));
    EXPECT_NE(RepairClosingMessage(outcome).find("Nothing was repaired: the backup folder " +
                                                 (app->dataFolder.path() / "a file" / "backups").string() +
                                                 " cannot be created"),
              std::string::npos)
        << RepairClosingMessage(outcome);
}

TEST_F(RepairTest, WithBackupsOffNothingIsWrittenAside) {
    Scan();
    a().SaveSetting("chkMakeBackUp", "0");
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
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
    FindingsOf(a()).lvwErrors = {row};
    EngineOf(a()).summaryRows().push_back("x");
    const RepairOutcome outcome = RepairAllProblems(EngineOf(a()));
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
    ASSERT_EQ(manager.lvwBackUp.size(), 1u) << "a shortcut copy named like a backup is not one";
    EXPECT_EQ(manager.lvwBackUp[0].name, "BackUp 07-03-05 09-05-01");
    EXPECT_EQ(manager.lvwBackUp[0].date, "07/03/05");

    manager.lvwBackUp[0].ticked = true;
    EXPECT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
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
    const RestoreOutcome outcome = EngineOf(a()).Restore(manager);
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
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    EXPECT_EQ(outcome.repaired, 5);
    EXPECT_EQ(outcome.skipped, 1);
    EXPECT_TRUE(std::filesystem::exists(readOnly));
    ASSERT_EQ(FindingsOf(a()).lvwShortcut.size(), 1u);
    EXPECT_EQ(FindingsOf(a()).lvwShortcut[0].path, "C:\\users\\Public\\Desktop\\B\\x.lnk");
}

} // namespace
} // namespace vx

namespace vx {
namespace {

// Backup files and copies written for one run never mix with another's.
TEST_F(RepairTest, TwoRunsInOneSecondKeepTheirOwnFilesAndCopies) {
    const std::string a1 = "C:\\users\\Public\\Desktop\\A\\x.lnk";
    const std::string b1 = "C:\\users\\Public\\Desktop\\B\\x.lnk";
    FindingsOf(a()).lvwShortcut = {ShortcutEntry{a1}};
    const RepairOutcome first = RepairAllProblems(EngineOf(a()));
    FindingsOf(a()).lvwShortcut = {ShortcutEntry{b1}};
    const RepairOutcome second = RepairAllProblems(EngineOf(a()));
    ASSERT_EQ(first.repaired + second.repaired, 2);
    EXPECT_EQ(second.backupFile, (app->dataFolder.path() / "BackUp 10-12-26 09-05-01 (2)").string());

    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 2u) << "the folders of copies are not listed";
    EXPECT_EQ(manager.lvwBackUp[1].time, "09:05:01 (2)");
    manager.lvwBackUp[1].ticked = true; // deleting the second run's backup …
    ImgDeleteMouseMove_Click(a(), manager);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true; // … leaves the first one's copy to restore
    EXPECT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    EXPECT_EQ(ReadFile(prefix.HostPathOf(a1)), "first");
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf(b1)));
    EXPECT_TRUE(std::filesystem::is_empty(app->dataFolder.path()));
}

TEST_F(RepairTest, ABackupOfAnotherTargetIsRefusedWhole) {
    FixturePrefix other;
    other.WithWindowsBasics()
        .String("HKLM", kFonts, "Arial", "arial.ttf")
        .String("HKLM", kFonts, "Gone A", "x.ttf");
    TestApp otherApp(other.WriteAndOpen());
    otherApp->SaveSetting("txtBackup", app->dataFolder.path().string());
    FindingsOf(*otherApp).lvwErrors = {};
    LoadlvwRegistryvaluesScanValues(EngineOf(*otherApp));
    for (auto& row : EngineOf(*otherApp).checkList().rows)
        row.checked = row.text == "Windows Fonts";
    WindowOf(*otherApp).ImgScanNowMouseMove_Click();
    ASSERT_EQ(WindowOf(*otherApp).ImgRepairMouseMove_Click().repaired, 1);

    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome outcome = EngineOf(a()).Restore(manager);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0], "BackUp 10-12-26 09-05-01 was made from " + otherApp->target().Identity() +
                                       ", not from " + a().target().Identity() + "; it was not restored");
    EXPECT_EQ(Dump(a()), before);
    EXPECT_EQ(manager.lvwBackUp.size(), 1u);
}

// A record restores only when it is complete; a damaged one is reported and nothing of it is written.
TEST_F(RepairTest, ADamagedRecordIsReportedAndNotWritten) {
    const std::string header =
        EncodeBackupText(JoinBackupFields(TargetRecordFields(a().target().Identity())));
    const std::string hexProgram =
        HexOf(std::vector<uint8_t>{'C', ':', '\\', 'P', 'r', 'o', 'g', 'r', 'a', 'm', 0});
    auto record = [](std::vector<std::string> fields) { return EncodeBackupText(JoinBackupFields(fields)); };
    const std::vector<std::string> base = {"R", "HKEY_LOCAL_MACHINE", kFonts, "x", "Arial", "", "1", "1"};
    struct Case {
        const char* what;
        std::string line; // without its line end
        bool ended;
    };
    auto with = [&](std::vector<std::string> extra) {
        auto fields = base;
        fields.insert(fields.end(), extra.begin(), extra.end());
        return record(fields);
    };
    const std::vector<Case> cases = {
        {"cut short: no line end", with({hexProgram, "Arial"}), false},
        {"an old record cut in its path", record({"R", "HKEY_LOCAL_MACHINE", kFonts, "C:\\Program"}), false},
        {"a field missing", record({"R", "HKEY_LOCAL_MACHINE", kFonts, "x", "Arial", "", "1", "1"}), true},
        {"a number of three bytes",
         record({"R", "HKEY_LOCAL_MACHINE", kFonts, "x", "Arial", "", "1", "4", "010203", "Arial"}), true},
        {"half a byte of data", with({hexProgram.substr(0, 7), "Arial"}), true},
    };
    for (const auto& c : cases) {
        const auto path = app->dataFolder.path() / "BackUp 01-01-26 01-01-01";
        std::ofstream(path, std::ios::binary) << header << "\r\n" << c.line << (c.ended ? "\r\n" : "");
        BackupManager manager = LoadBackupManager(a());
        manager.lvwBackUp.at(0).ticked = true;
        const RestoreOutcome outcome = EngineOf(a()).Restore(manager);
        ASSERT_EQ(outcome.failures.size(), 1u) << c.what;
        EXPECT_NE(outcome.failures[0].find("line 2: "), std::string::npos) << outcome.failures[0];
        EXPECT_NE(outcome.failures[0].find("nothing of it was written"), std::string::npos) << c.what;
        EXPECT_EQ(RawValue(kFonts, "Arial"), std::string("arial.ttf", 10)) << c.what;
        EXPECT_TRUE(std::filesystem::exists(path)) << c.what;
    }
}

// A shortcut record can only put its own copy back where repair could have removed it from.
TEST_F(RepairTest, RestoreWritesShortcutsOnlyInsideTheTarget) {
    TempDir outside;
    std::filesystem::create_directory_symlink("/", prefix.root() / "dosdevices" / "z:");
    std::filesystem::create_directory_symlink(outside.path(),
                                              prefix.HostPathOf("C:\\users\\Public\\Desktop") / "linked");
    app = std::make_unique<TestApp>(prefix.Open());
    const std::string name = "BackUp 01-01-26 01-01-01";
    const auto copies = app->dataFolder.path() / (name + " shortcuts");
    std::filesystem::create_directory(copies);
    std::ofstream(copies / "1 evil.lnk") << "payload";
    std::ofstream(app->dataFolder.path() / "passwd") << "payload";
    const std::vector<std::vector<std::string>> records = {
        {"S", "Z:" + (outside.path() / "evil.lnk").string(), "1 evil.lnk"},  // a drive outside the target
        {"S", "C:\\users\\Public\\Desktop\\linked\\evil.lnk", "1 evil.lnk"}, // through a link
        {"S", "C:\\users\\Public\\Desktop\\evil.exe", "1 evil.lnk"},         // not a shortcut
        {"S", "C:\\users\\Public\\Desktop\\ok.lnk", "../passwd"},            // a copy elsewhere
        {"S", "C:\\users\\Public\\..\\..\\..\\evil.lnk", "1 evil.lnk"},      // not the form repair writes
        {"S", "C:\\users\\.\\Public\\Desktop\\evil.lnk", "1 evil.lnk"},
        {"S", "C:\\users\\Public\\Desktop/evil.lnk", "1 evil.lnk"},
        {"S", "C:\\users\\\\Public\\Desktop\\evil.lnk", "1 evil.lnk"},
    };
    std::string file;
    for (const auto& fields : records)
        file += EncodeBackupText(JoinBackupFields(fields)) + "\r\n";
    std::ofstream(app->dataFolder.path() / name, std::ios::binary) << file;
    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    const RestoreOutcome outcome = EngineOf(a()).Restore(manager);
    EXPECT_EQ(outcome.failures.size(), records.size());
    EXPECT_TRUE(std::filesystem::is_empty(outside.path()));
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\evil.exe")));
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\ok.lnk")));
    EXPECT_FALSE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\evil.lnk")));
    EXPECT_FALSE(std::filesystem::exists(prefix.root() / "evil.lnk"));
    EXPECT_TRUE(std::filesystem::exists(app->dataFolder.path() / "passwd"));
}

// A finding whose registry change is refused, or whose save fails, is left in place and said so; the
// backup file then describes only what really changed.
TEST_F(RepairTest, RefusedRegistryChangesAreLeftInPlaceWithTheirReason) {
    struct Case {
        const char* what;
        std::function<void(WineRegistry&)> spoil;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"a file that may not be written",
         [](WineRegistry& r) {
             r.MachineFile().SetWritable(false, "cannot write system.reg: Permission denied");
         },
         "cannot write system.reg: Permission denied"},
        {"a save that fails",
         [](WineRegistry& r) {
             r.MachineFile().SetSaveFault(
                 [](WineRegFile::SaveStage s) { return s == WineRegFile::SaveStage::BeforeRename; });
         },
         "cannot save the registry file"},
    };
    for (const auto& c : cases) {
        app = std::make_unique<TestApp>(prefix.Open());
        c.spoil(dynamic_cast<WineRegistry&>(a().registry()));
        Scan();
        const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
        EXPECT_EQ(outcome.repaired, 2) << c.what << ": the shortcuts";
        EXPECT_EQ(outcome.skipped, 4) << c.what;
        EXPECT_EQ(FindingsOf(a()).lvwErrors.size(), 4u) << c.what;
        ASSERT_EQ(app->frontEnd.messages.size(), 1u);
        EXPECT_NE(app->frontEnd.messages[0].find("2 problem(s) were repaired; 4 were left in place: "),
                  std::string::npos)
            << app->frontEnd.messages[0];
        EXPECT_NE(app->frontEnd.messages[0].find(c.reason), std::string::npos)
            << c.what << ": " << app->frontEnd.messages[0];
        EXPECT_EQ(Dump(*std::make_unique<TestApp>(prefix.Open())->app), before) << c.what;
        EXPECT_EQ(BackupLines(outcome.backupFile), (std::vector<std::string>{"T", "S", "S"})) << c.what;
        RemoveBackupFile(outcome.backupFile);
        prefix.File("C:\\users\\Public\\Desktop\\A\\x.lnk", "first")
            .File("C:\\users\\Public\\Desktop\\B\\x.lnk", "second");
        prefix.Write();
    }
}

// A value whose name is only blanks is shown as "(Default)", but repair removes that value, not the
// key's unnamed one, and restore puts it back.
TEST_F(RepairTest, ABlankNamedValueIsTheOneRemovedAndRestored) {
    const std::string key = kFonts;
    prefix.String("HKLM", key, "", "arial.ttf").String("HKLM", key, "  ", "gone-blank.ttf");
    app = std::make_unique<TestApp>(prefix.WriteAndOpen());
    before = Dump(a());
    Scan();
    std::vector<ProblemEntry> blank;
    for (const auto& row : FindingsOf(a()).lvwErrors)
        if (row.valueName == "  ")
            blank.push_back(row);
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_EQ(blank[0].KeyName, "(Default)");
    FindingsOf(a()).lvwErrors = blank;
    FindingsOf(a()).lvwShortcut.clear();
    WindowOf(a()).ImgRepairMouseMove_Click();
    EXPECT_FALSE(HasValue(key, "  "));
    EXPECT_EQ(RawValue(key, ""), std::string("arial.ttf", 10)) << "the unnamed value is untouched";

    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    EXPECT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    EXPECT_EQ(Dump(a()), before);
}

// Runs that change one target never save over each other.
TEST_F(RepairTest, TwoRunsOnOneTargetNeverLoseEachOthersChanges) {
    Scan();
    std::string why;
    {
        const auto held = a().target().LockForChanges(why);
        ASSERT_TRUE(held) << why;
        const RepairOutcome refused = WindowOf(a()).ImgRepairMouseMove_Click();
        EXPECT_EQ(refused.repaired, 0);
        EXPECT_NE(refused.error.find("another Vantrelix run is changing"), std::string::npos)
            << refused.error;
    }
    // Another run saved the prefix after this one read it: this one's save is refused, nothing is lost.
    TestApp otherRun(prefix.Open());
    FindingsOf(*otherRun).lvwErrors = {FindingsOf(a()).lvwErrors.front()};
    EngineOf(*otherRun).summaryRows().push_back("x");
    ASSERT_EQ(RepairAllProblems(EngineOf(*otherRun)).repaired, 1);
    const std::string saved = ReadFile(prefix.root() / "system.reg");
    Scan();
    const RepairOutcome late = WindowOf(a()).ImgRepairMouseMove_Click();
    EXPECT_NE(late.error.find("was changed by another program since it was read"), std::string::npos)
        << late.error;
    EXPECT_EQ(ReadFile(prefix.root() / "system.reg"), saved);
}

std::tm At(int day, int month, int year, int hour, int minute, int second) {
    std::tm t{};
    t.tm_mday = day;
    t.tm_mon = month - 1;
    t.tm_year = year - 1900;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// Runs restored together are undone newest first, however their names sort: a value removed by two runs
// ends with what the older run found.
TEST_F(RepairTest, SeveralBackupsAreUndoneNewestFirst) {
    struct Case {
        const char* what;
        std::tm older, newer;
    };
    const Case cases[] = {
        {"names sort as the runs were made", At(1, 12, 2026, 9, 0, 0), At(2, 12, 2026, 9, 0, 0)},
        {"a later day of an earlier month", At(30, 11, 2026, 9, 0, 0), At(1, 12, 2026, 9, 0, 0)},
        {"a new year", At(31, 12, 2026, 23, 0, 0), At(1, 1, 2027, 0, 0, 1)},
        {"the same second", At(5, 12, 2026, 9, 0, 0), At(5, 12, 2026, 9, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        for (const auto& stale : std::filesystem::directory_iterator(app->dataFolder.path()))
            std::filesystem::remove_all(stale.path());
        auto repairOnly = [&](const std::tm& when, const char* data) {
            HKEY key = 0;
            ASSERT_EQ(a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, kFonts, key), ERROR_SUCCESS);
            const std::string text = std::string(data) + '\0';
            a().registry().RegSetValueEx(key, "Gone A", REG_SZ,
                                         {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
            a().registry().RegCloseKey(key);
            ASSERT_EQ(a().registry().Flush(), ERROR_SUCCESS);
            a().now = [when] { return when; };
            Scan();
            std::vector<ProblemEntry> goneA;
            for (const auto& row : FindingsOf(a()).lvwErrors)
                if (row.valueName == "Gone A")
                    goneA.push_back(row);
            FindingsOf(a()).lvwErrors = goneA;
            FindingsOf(a()).lvwShortcut.clear();
            ASSERT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().repaired, 1);
        };
        repairOnly(c.older, "gone-a.ttf");
        repairOnly(c.newer, "gone-again.ttf");
        BackupManager manager = LoadBackupManager(a());
        ASSERT_EQ(manager.lvwBackUp.size(), 2u);
        for (auto& row : manager.lvwBackUp)
            row.ticked = true;
        const RestoreOutcome outcome = EngineOf(a()).Restore(manager);
        EXPECT_TRUE(outcome.failures.empty());
        EXPECT_EQ(RawValue(kFonts, "Gone A"), std::string("gone-a.ttf\0", 11)) << "the older run's value";
    }
}

// A save of several registry files that fails part-way leaves every file as it was, takes the changes
// back in memory too (a later save must not write them without their records), and says so.
TEST_F(RepairTest, ASaveOfSeveralFilesThatFailsPartWayChangesNoFile) {
    const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    prefix.String("HKCU", kRun, "Gone", "C:\\Gone\\gone.exe");
    struct Case {
        const char* what;
        WineRegFile::SaveStage stage;
    };
    const Case cases[] = {
        {"no room for the second file", WineRegFile::SaveStage::HalfWritten},
        {"the second file cannot be put in place", WineRegFile::SaveStage::BeforeRename},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        const std::string systemBefore = ReadFile(prefix.root() / "system.reg");
        const std::string userBefore = ReadFile(prefix.root() / "user.reg");
        const std::string dumpBefore = Dump(a());
        dynamic_cast<WineRegistry&>(a().registry()).UserFile().SetSaveFault([&](WineRegFile::SaveStage s) {
            return s == c.stage;
        });
        LoadlvwRegistryvaluesScanValues(EngineOf(a()));
        for (auto& row : EngineOf(a()).checkList().rows)
            row.checked = row.text == "Windows Fonts";
        WindowOf(a()).ImgScanNowMouseMove_Click();
        ASSERT_EQ(FindingsOf(a()).lvwErrors.size(), 3u);
        // A finding in user.reg too (the scan looks at few keys of the user's registry).
        ProblemEntry user = FindingsOf(a()).lvwErrors[0];
        user.MainKey = std::to_string(static_cast<int32_t>(HKEY_CURRENT_USER));
        user.mainkeyname = "HKEY_CURRENT_USER";
        user.FullKeyPath = kRun;
        user.KeyName = user.valueName = "Gone";
        user.KeyValue = "C:\\Gone\\gone.exe";
        FindingsOf(a()).lvwErrors.push_back(user);
        const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
        EXPECT_EQ(outcome.repaired, 0);
        EXPECT_NE(outcome.error.find("user.reg"), std::string::npos) << outcome.error;
        EXPECT_EQ(ReadFile(prefix.root() / "system.reg"), systemBefore);
        EXPECT_EQ(ReadFile(prefix.root() / "user.reg"), userBefore);
        EXPECT_EQ(Dump(a()), dumpBefore) << "the changes are taken back in memory too";
        dynamic_cast<WineRegistry&>(a().registry()).UserFile().SetSaveFault({});
        ASSERT_EQ(a().registry().Flush(), ERROR_SUCCESS);
        EXPECT_EQ(Dump(*std::make_unique<TestApp>(prefix.Open())->app), dumpBefore)
            << "a later save writes no change that lost its record";
        for (const auto& file : std::filesystem::directory_iterator(prefix.root()))
            EXPECT_FALSE(file.path().filename().string().starts_with(".")) << file.path() << " left behind";
    }
}

// A shortcut made again after repair removed its namesake is never written over by a restore: that
// record fails with its reason and the backup file stays. A file holding exactly the copy counts as
// restored.
TEST_F(RepairTest, RestoreNeverWritesOverAShortcutMadeSince) {
    struct Case {
        const char* what;
        std::optional<std::string> madeSince; // what the user put at A\x.lnk after the repair
        bool restored;
    };
    const Case cases[] = {
        {"a new, working shortcut", std::string("a new shortcut"), false},
        {"the same bytes as the copy", std::string("first"), true},
        {"nothing", std::nullopt, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prefix.Write();
        prefix.File("C:\\users\\Public\\Desktop\\A\\x.lnk", "first")
            .File("C:\\users\\Public\\Desktop\\B\\x.lnk", "second");
        prefix.Write();
        app = std::make_unique<TestApp>(prefix.Open());
        Scan();
        FindingsOf(a()).lvwErrors.clear();
        const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
        ASSERT_EQ(outcome.repaired, 2);
        const auto place = prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk");
        if (c.madeSince)
            std::ofstream(place, std::ios::binary) << *c.madeSince;
        BackupManager manager = LoadBackupManager(a());
        manager.lvwBackUp.at(0).ticked = true;
        const RestoreOutcome restored = EngineOf(a()).Restore(manager);
        EXPECT_EQ(ReadFile(place), c.madeSince.value_or("first"));
        EXPECT_EQ(ReadFile(prefix.HostPathOf("C:\\users\\Public\\Desktop\\B\\x.lnk")), "second");
        EXPECT_EQ(restored.failures.empty(), c.restored);
        EXPECT_EQ(std::filesystem::exists(outcome.backupFile), !c.restored)
            << "a file with a failed record stays";
        if (!c.restored) {
            ASSERT_EQ(restored.failures.size(), 1u);
            EXPECT_NE(restored.failures[0].find("a different file now stands at"), std::string::npos)
                << restored.failures[0];
            RemoveBackupFile(outcome.backupFile);
        }
    }
}

// An undo gives back exactly the bytes the registry held, whatever they are: strings of odd length or
// with a lone UTF-16 surrogate, data of a length its type does not expect.
TEST_F(RepairTest, EveryValueComesBackByteForByte) {
    struct Case {
        const char* name;
        uint32_t type;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"odd string", REG_SZ, std::string("A\0B", 3)},
        {"lone surrogate", REG_SZ,
         std::string("\x00\xD8"
                     "A\0\0\0",
                     6)},
        {"odd expandable", REG_EXPAND_SZ, std::string("%\0X", 3)},
        {"multi with surrogate", REG_MULTI_SZ, std::string("a\0\x01\xDC\0\0\0\0", 8)},
        {"short dword", REG_DWORD, std::string("\x01\x02\x03", 3)},
        {"empty string", REG_SZ, std::string()},
        {"binary", REG_BINARY, std::string("\0\xFF^\r\n", 5)},
    };
    {
        HKEY key = 0;
        ASSERT_EQ(a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, kFonts, key), ERROR_SUCCESS);
        for (const auto& c : cases)
            ASSERT_EQ(a().registry().RegSetValueRaw(key, c.name, c.type, c.bytes), ERROR_SUCCESS);
        a().registry().RegCloseKey(key);
        ASSERT_EQ(a().registry().Flush(), ERROR_SUCCESS);
    }
    TempDir backups;
    auto open = [&] {
        app = std::make_unique<TestApp>(prefix.Open());
        a().SaveSetting("txtBackup", backups.path().string());
    };
    open();
    before = Dump(a());
    Scan();
    ASSERT_FALSE(FindingsOf(a()).lvwErrors.empty());
    std::vector<ProblemEntry> rows;
    for (const auto& c : cases) {
        ProblemEntry row = FindingsOf(a()).lvwErrors[0];
        row.KeyName = row.valueName = c.name;
        rows.push_back(row);
    }
    FindingsOf(a()).lvwErrors = rows;
    FindingsOf(a()).lvwShortcut.clear();
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    ASSERT_EQ(outcome.repaired, static_cast<int>(cases.size())) << RepairClosingMessage(outcome);

    open(); // a new run, as a user restores later
    BackupManager manager = LoadBackupManager(a());
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = EngineOf(a()).Restore(manager);
    ASSERT_TRUE(restored.failures.empty()) << restored.failures.front();
    open();
    HKEY key = 0;
    ASSERT_EQ(a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, kFonts, key), ERROR_SUCCESS);
    for (const auto& c : cases) {
        uint32_t type = 0;
        std::string bytes;
        ASSERT_EQ(a().registry().RegQueryValueRaw(key, c.name, type, bytes), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
    a().registry().RegCloseKey(key);
    EXPECT_EQ(Dump(a()), before);
}

// Names are exact: two values whose names differ only in an unpaired surrogate are two findings, repair
// removes both and restore puts each back under its own name.
TEST_F(RepairTest, NamesDifferingOnlyInUnpairedSurrogatesAreRepairedAndRestoredApart) {
    const std::string high = "Gone \xED\xA0\x80", next = "Gone \xED\xA0\x81"; // U+D800 and U+D801 alone
    const std::string highData = Utf8ToUtf16("gone-high.ttf") + std::string(2, '\0');
    const std::string nextData = Utf8ToUtf16("gone-next.ttf") + std::string(2, '\0');
    {
        HKEY key = 0;
        ASSERT_EQ(a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, kFonts, key), ERROR_SUCCESS);
        ASSERT_EQ(a().registry().RegSetValueRaw(key, high, REG_SZ, highData), ERROR_SUCCESS);
        ASSERT_EQ(a().registry().RegSetValueRaw(key, next, REG_SZ, nextData), ERROR_SUCCESS);
        a().registry().RegCloseKey(key);
        ASSERT_EQ(a().registry().Flush(), ERROR_SUCCESS);
    }
    const std::string saved = ReadFile(prefix.root() / "system.reg");
    EXPECT_NE(saved.find("\"Gone \\xd800\"=\"gone-high.ttf\"\n\"Gone \\xd801\"=\"gone-next.ttf\"\n"),
              std::string::npos)
        << saved;
    app = std::make_unique<TestApp>(prefix.Open());
    before = Dump(a());
    Scan();
    std::vector<ProblemEntry> rows;
    for (const auto& row : FindingsOf(a()).lvwErrors)
        if (row.valueName == high || row.valueName == next)
            rows.push_back(row);
    ASSERT_EQ(rows.size(), 2u);
    FindingsOf(a()).lvwErrors = rows;
    FindingsOf(a()).lvwShortcut.clear();
    ASSERT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().repaired, 2);
    EXPECT_FALSE(HasValue(kFonts, high));
    EXPECT_FALSE(HasValue(kFonts, next));
    EXPECT_TRUE(HasValue(kFonts, "Gone A")) << "not among the findings repaired";

    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    ASSERT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    app = std::make_unique<TestApp>(prefix.Open()); // what is on disk now
    EXPECT_EQ(Dump(a()), before);
    HKEY key = 0;
    ASSERT_EQ(a().registry().RegOpenKey(HKEY_LOCAL_MACHINE, kFonts, key), ERROR_SUCCESS);
    for (const auto& [name, data] : {std::pair{high, highData}, std::pair{next, nextData}}) {
        uint32_t type = 0;
        std::string bytes;
        EXPECT_EQ(a().registry().RegQueryValueRaw(key, name, type, bytes), ERROR_SUCCESS);
        EXPECT_EQ(bytes, data);
    }
    a().registry().RegCloseKey(key);
}

// A backup folder inside the target (reached directly, through a link or through "..") or given as a
// relative path is refused by repair in one sentence, and nothing is changed.
TEST_F(RepairTest, ABackupFolderInsideTheTargetIsRefused) {
    TempDir outside;
    std::filesystem::create_directory_symlink(prefix.root() / "drive_c", outside.path() / "into-prefix");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {(prefix.root() / "drive_c" / "Backups").string(), "lies inside"},
        {(outside.path() / "into-prefix" / "Backups").string(), "lies inside"},
        {(outside.path() / ".." / prefix.root().filename() / "b").string(), "lies inside"},
        {"backups", "is not a full path"},
    };
    for (const auto& [folder, sentence] : cases) {
        SCOPED_TRACE(folder);
        app = std::make_unique<TestApp>(prefix.Open());
        a().SaveSetting("txtBackup", folder);
        Scan();
        const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
        EXPECT_EQ(outcome.repaired, 0);
        EXPECT_NE(outcome.error.find(sentence), std::string::npos) << outcome.error;
        EXPECT_EQ(Dump(*std::make_unique<TestApp>(prefix.Open())->app), before);
        EXPECT_TRUE(std::filesystem::exists(prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk")));
    }
}

// A shortcut comes back with the mode, the owner (where the program may give it) and the DOS attributes
// (Wine's hidden and system bits) it had.
TEST_F(RepairTest, RestoredShortcutsKeepModeOwnerAndDosAttributes) {
    const auto place = prefix.HostPathOf("C:\\users\\Public\\Desktop\\A\\x.lnk");
    ::chmod(place.c_str(), 0640);
    ASSERT_EQ(::setxattr(place.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0)
        << "extended attributes are needed";
    const bool root = ::geteuid() == 0;
    if (root)
        ASSERT_EQ(::chown(place.c_str(), 12345, 12346), 0);
    Scan();
    FindingsOf(a()).lvwErrors.clear();
    const RepairOutcome outcome = WindowOf(a()).ImgRepairMouseMove_Click();
    ASSERT_EQ(outcome.repaired, 2);
    ASSERT_FALSE(std::filesystem::exists(place));
    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    ASSERT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    struct stat st {};
    ASSERT_EQ(::stat(place.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    char attributes[16] = {};
    EXPECT_EQ(::getxattr(place.c_str(), "user.DOSATTRIB", attributes, sizeof attributes), 3);
    EXPECT_EQ(std::string(attributes, 3), "0x2");
    if (root) {
        EXPECT_EQ(st.st_uid, 12345u);
        EXPECT_EQ(st.st_gid, 12346u);
    }
}

} // namespace
} // namespace vx

namespace vx {
namespace {

std::vector<std::string> ValueNames(Registry& registry, HKEY root, const std::string& keyPath) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (registry.RegOpenKey(root, keyPath, key) != ERROR_SUCCESS)
        return names;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 16384;
        if (registry.RegEnumValue(key, i, name, nameSize, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    registry.RegCloseKey(key);
    return names;
}

// Repair of a key's unnamed value also removes a value literally named "(Default)"; restore gives that
// value back under its own name, whatever its letter case.
TEST_F(RepairTest, ATwinNamedDefaultComesBackInItsOwnLetterCase) {
    const std::string key = std::string(kAppPaths) + "\\old.exe";
    prefix.String("HKLM", key, "(DEFAULT)", "twin");
    TempDir backups;
    auto open = [&](std::unique_ptr<Target> target) {
        app = std::make_unique<TestApp>(std::move(target));
        a().SaveSetting("txtBackup", backups.path().string());
    };
    open(prefix.WriteAndOpen());
    before = Dump(a());
    Scan();
    FindingsOf(a()).lvwShortcut.clear();
    ASSERT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().skipped, 0);
    ASSERT_FALSE(HasValue(key, "(DEFAULT)"));

    open(prefix.Open());
    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    ASSERT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    app = std::make_unique<TestApp>(prefix.Open());
    EXPECT_EQ(ValueNames(a().registry(), HKEY_LOCAL_MACHINE, key),
              (std::vector<std::string>{"", "(DEFAULT)", "Flags", "Path"}));
    EXPECT_EQ(Dump(a()), before);
}

// A class the machine registers, whose key the user's classes hold too (without the value): the finding
// read through HKEY_CLASSES_ROOT is removed, recorded and restored on the machine's side, where it was.
TEST_F(RepairTest, AClassFindingIsChangedOnTheSideThatHoldsIt) {
    const std::string server = "CLSID\\{0E5AAE11-A475-4C5B-AB00-C66DE400274E}\\InprocServer32";
    prefix.String("HKLM", "Software\\Classes\\" + server, "", "C:\\Gone\\server.dll")
        .Dword("HKCU", "Software\\Classes\\" + server, "UserOnly", 1);
    TempDir backups;
    app = std::make_unique<TestApp>(prefix.WriteAndOpen());
    a().SaveSetting("txtBackup", backups.path().string());
    const std::string userBefore = ReadFile(prefix.root() / "user.reg");
    LoadlvwRegistryvaluesScanValues(EngineOf(a()));
    for (auto& row : EngineOf(a()).checkList().rows)
        row.checked = row.text == "Custom Controls";
    WindowOf(a()).ImgScanNowMouseMove_Click();
    ASSERT_EQ(FindingsOf(a()).lvwErrors.size(), 1u);
    ASSERT_EQ(FindingsOf(a()).lvwErrors[0].mainkeyname, "HKEY_CLASSES_ROOT");
    ASSERT_EQ(WindowOf(a()).ImgRepairMouseMove_Click().repaired, 1);

    auto valuesOf = [&](HKEY root) {
        TestApp reopened(prefix.Open());
        return test::DumpRegistry(reopened->registry(), root, "Software\\Classes\\" + server);
    };
    EXPECT_EQ(valuesOf(HKEY_LOCAL_MACHINE), "[Software\\Classes\\" + server + "]\n  \"\" type 1 =\n")
        << "the machine's value is the one emptied";
    EXPECT_EQ(ReadFile(prefix.root() / "user.reg"), userBefore) << "the user's classes are not written";

    app = std::make_unique<TestApp>(prefix.Open());
    a().SaveSetting("txtBackup", backups.path().string());
    BackupManager manager = LoadBackupManager(a());
    manager.lvwBackUp.at(0).ticked = true;
    ASSERT_TRUE(EngineOf(a()).Restore(manager).failures.empty());
    std::string text;
    TestApp reopened(prefix.Open());
    ASSERT_TRUE(ReadRegistryString(reopened->registry(), HKEY_LOCAL_MACHINE, "Software\\Classes\\" + server,
                                   "", text));
    EXPECT_EQ(text, "C:\\Gone\\server.dll");
    EXPECT_EQ(ReadFile(prefix.root() / "user.reg"), userBefore) << "nor by the restore";
}

} // namespace
} // namespace vx
