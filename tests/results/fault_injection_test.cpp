// Repair and restore with each of their file operations made to fail in turn (a full disk, a failing
// device, a refusal), in the spirit of SQLite's I/O-error tests: whatever fails, every change on disk has
// its record, the outcome says what happened, and a restore gives everything back.
//
// VANTRELIX_FAULTS_LONG=1 also makes the disk stay full after the failing call, and runs every case
// for the volume's hives too when a test volume can be made.
#include "app/message_box.h"
#include "engine/repair.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/file_operations.h"
#include "platform/registry_access.h"
#include "results/backup_file.h"
#include "results/backup_manager.h"
#include "support/registry_dump.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::ModelOf;
using test::WindowOf;

using test::FixturePrefix;
using test::TempDir;
using test::TestApp;

namespace fs = std::filesystem;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* kShortcuts[] = {"C:\\users\\Public\\Desktop\\Old Game.lnk",
                            "C:\\users\\Public\\Desktop\\Gone.url"};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below `root` with its content, hidden temporary files included.
std::map<std::string, std::string> FilesBelow(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && !it->is_symlink())
            files[fs::relative(it->path(), root).string()] = ReadFile(it->path());
    return files;
}

// The registry of every root a repair here changes, as a reopened target reads it from disk.
std::string DiskDump(FixturePrefix& prefix) {
    TestApp reopened(prefix.Open());
    return test::DumpRegistry(reopened->registry(), HKEY_LOCAL_MACHINE) +
           test::DumpRegistry(reopened->registry(), HKEY_CURRENT_USER) +
           test::DumpRegistry(reopened->registry(), HKEY_USERS);
}

class FaultInjection : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone A", "gone-a.ttf")
            .String("HKLM", kFonts, "Gone B", "gone-b.ttf")
            .String("HKCU", kRun, "Gone", "C:\\Gone\\gone.exe")
            .String("HKU.Default", kRun, "Gone", "C:\\Gone\\gone.exe")
            .File(kShortcuts[0], "old game")
            .File(kShortcuts[1], "[InternetShortcut]\r\nURL=file:///C:/Gone/x.exe\r\n");
        prefix.Write();
        registryBefore = DiskDump(prefix);
        prefixBefore = FilesBelow(prefix.root());
    }
    void TearDown() override { file_ops::Arm(0, 0); }

    // A target opened afresh, as a new run of the program opens it, with backups in `backups`.
    std::unique_ptr<TestApp> Run() {
        auto app = std::make_unique<TestApp>(prefix.Open());
        (*app)->SaveSetting("txtBackup", backups.path().string());
        return app;
    }
    // The findings of a scan of the fonts, and findings in user.reg and userdef.reg made alike (the
    // scan looks at few keys of the users' registries) and the shortcuts.
    static void FindEverything(App& app) {
        LoadlvwRegistryvaluesScanValues(EngineOf(app));
        for (auto& row : EngineOf(app).checkList().rows)
            row.checked = row.text == "Windows Fonts";
        WindowOf(app).ImgScanNowMouseMove_Click();
        ASSERT_EQ(FindingsOf(app).lvwErrors.size(), 2u);
        for (const auto& [root, rootName, path] :
             {std::tuple{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", std::string(kRun)},
              std::tuple{HKEY_USERS, "HKEY_USERS", ".DEFAULT\\" + std::string(kRun)}}) {
            ProblemEntry row = FindingsOf(app).lvwErrors[0];
            row.MainKey = std::to_string(static_cast<int32_t>(root));
            row.mainkeyname = rootName;
            row.FullKeyPath = path;
            row.KeyName = row.valueName = "Gone";
            row.KeyValue = "C:\\Gone\\gone.exe";
            FindingsOf(app).lvwErrors.push_back(row);
        }
        FindingsOf(app).lvwShortcut = {ShortcutEntry{kShortcuts[0]}, ShortcutEntry{kShortcuts[1]}};
    }
    // How many of the findings are gone from the disk.
    int GoneOnDisk() {
        TestApp reopened(prefix.Open());
        int gone = 0;
        std::string text;
        for (const char* name : {"Gone A", "Gone B"})
            gone += ReadRegistryString(reopened->registry(), HKEY_LOCAL_MACHINE, kFonts, name, text) ? 0 : 1;
        gone += ReadRegistryString(reopened->registry(), HKEY_CURRENT_USER, kRun, "Gone", text) ? 0 : 1;
        gone += ReadRegistryString(reopened->registry(), HKEY_USERS, std::string(".DEFAULT\\") + kRun, "Gone",
                                   text)
                    ? 0
                    : 1;
        for (const char* shortcut : kShortcuts)
            gone += fs::exists(prefix.HostPathOf(shortcut)) ? 0 : 1;
        return gone;
    }
    // Restores every backup file there is, nothing failing.
    RestoreOutcome RestoreAll() {
        auto app = Run();
        BackupManager manager = LoadBackupManager(**app);
        for (auto& row : manager.lvwBackUp)
            row.ticked = true;
        return EngineOf(**app).Restore(manager);
    }
    // The prefix as it was: its registry, its shortcuts and no file of its own left behind.
    void ExpectAsBefore(const std::string& where) {
        EXPECT_EQ(DiskDump(prefix), registryBefore) << where;
        auto now = FilesBelow(prefix.root());
        for (const char* file : {"system.reg", "user.reg", "userdef.reg"}) {
            // Changed keys carry the time of the restore; their values are compared above.
            now.erase(file);
        }
        auto before = prefixBefore;
        for (const char* file : {"system.reg", "user.reg", "userdef.reg"})
            before.erase(file);
        EXPECT_EQ(now, before) << where << ": the shortcuts are back and nothing else is there";
    }

    struct Fault {
        const char* name;
        int error;
        bool sticky;
    };
    std::vector<Fault> Faults() const {
        std::vector<Fault> faults = {
            {"no space", ENOSPC, false}, {"I/O error", EIO, false}, {"permission", EACCES, false}};
        if (std::getenv("VANTRELIX_FAULTS_LONG"))
            faults.push_back({"a disk that stays full", ENOSPC, true});
        return faults;
    }

    FixturePrefix prefix;
    TempDir backups;
    std::string registryBefore;
    std::map<std::string, std::string> prefixBefore;
};

TEST_F(FaultInjection, RepairLosesNothingWhicheverFileOperationFails) {
    for (const Fault& fault : Faults()) {
        for (uint64_t n = 1;; ++n) {
            const std::string where = std::string(fault.name) + " at operation " + std::to_string(n);
            SCOPED_TRACE(where);
            for (const auto& stale : fs::directory_iterator(backups.path()))
                fs::remove_all(stale.path());
            prefix.Write();
            for (const char* shortcut : kShortcuts)
                std::ofstream(prefix.HostPathOf(shortcut), std::ios::binary)
                    << prefixBefore.at(fs::relative(prefix.HostPathOf(shortcut), prefix.root()).string());
            auto app = Run();
            FindEverything(**app);
            file_ops::Arm(n, fault.error, fault.sticky);
            const RepairOutcome outcome = WindowOf(**app).ImgRepairMouseMove_Click();
            const bool fired = file_ops::Fired();
            file_ops::Arm(0, 0);

            // Nothing is called repaired that is still there, and nothing gone is called left in place
            // (but for a disk failing the save and then the putting back of the files saved: the message then
            // names those files, and every record stays).
            const bool savedInPart = outcome.error.find("saved only in part") != std::string::npos;
            if (!savedInPart) {
                EXPECT_EQ(GoneOnDisk(), outcome.repaired) << RepairClosingMessage(outcome);
            }
            const bool refusedWhole = outcome.repaired == 0 && outcome.skipped == 0 && !outcome.error.empty();
            if (!refusedWhole) {
                EXPECT_EQ(outcome.repaired + outcome.skipped, 6) << RepairClosingMessage(outcome);
            }
            if (outcome.skipped > 0) {
                EXPECT_NE(RepairClosingMessage(outcome), MessageOfKind(kFilesRepaired));
            }
            // Every change on disk has its record: restoring gives everything back.
            const RestoreOutcome restored = RestoreAll();
            EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
            ExpectAsBefore(where);
            if (!fired)
                break;
        }
    }
}

TEST_F(FaultInjection, RestoreLosesNothingWhicheverFileOperationFails) {
    for (const Fault& fault : Faults()) {
        for (uint64_t n = 1;; ++n) {
            const std::string where = std::string(fault.name) + " at operation " + std::to_string(n);
            SCOPED_TRACE(where);
            for (const auto& stale : fs::directory_iterator(backups.path()))
                fs::remove_all(stale.path());
            prefix.Write();
            for (const char* shortcut : kShortcuts)
                std::ofstream(prefix.HostPathOf(shortcut), std::ios::binary)
                    << prefixBefore.at(fs::relative(prefix.HostPathOf(shortcut), prefix.root()).string());
            {
                auto app = Run();
                FindEverything(**app);
                ASSERT_EQ(WindowOf(**app).ImgRepairMouseMove_Click().repaired, 6);
            }
            file_ops::Arm(n, fault.error, fault.sticky);
            const RestoreOutcome first = RestoreAll();
            const bool fired = file_ops::Fired();
            file_ops::Arm(0, 0);
            if (!fired) {
                EXPECT_TRUE(first.failures.empty());
            }
            // Whatever the first restore did, the backup files it did not finish are still there.
            const RestoreOutcome second = RestoreAll();
            EXPECT_TRUE(second.failures.empty()) << second.failures.front();
            ExpectAsBefore(where);
            EXPECT_TRUE(fs::is_empty(backups.path())) << "a finished restore removes its backup files";
            if (!fired)
                break;
        }
    }
}

} // namespace
} // namespace vx
