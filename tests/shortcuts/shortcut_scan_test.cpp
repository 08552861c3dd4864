// The shortcut scan over a fixture Wine prefix: which shortcut files the checker records, and the order,
// filters and cancelling of the drive walker. The links are the ones Wine's shell wrote (data/wine) and
// the hand-made ones (data/handmade).
#include "platform/file_system.h"
#include "shortcuts/drive_walker.h"
#include "shortcuts/shortcut_checker.h"
#include "support/fixture_prefix.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace vx {
namespace {

using test::ContextOf;
using test::FindingsOf;
using test::RunOf;
namespace fs = std::filesystem;

const fs::path kOwnData = fs::path(VANTRELIX_SOURCE_DIR) / "tests" / "shortcuts" / "data";

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
std::string Wine(const std::string& name) {
    return Contents(kOwnData / "wine" / name);
}
std::string HandMade(const std::string& name) {
    return Contents(kOwnData / "handmade" / name);
}
std::string UrlTo(const std::string& url) {
    return "[InternetShortcut]\r\nURL=" + url + "\r\n";
}

// A prefix with Wine's shortcut classes, a fixed drive D, a floppy E and a network drive N.
void AddShortcutBasics(test::FixturePrefix& prefix) {
    prefix.WithWindowsBasics()
        .String("HKLM", "Software\\Classes\\.lnk", "", "lnkfile")
        .String("HKLM", "Software\\Classes\\lnkfile", "", "Shortcut")
        .String("HKLM", "Software\\Classes\\lnkfile", "IsShortcut", "yes")
        .String("HKLM", "Software\\Classes\\.url", "", "InternetShortcut")
        .String("HKLM", "Software\\Classes\\InternetShortcut", "", "Internet Shortcut")
        .String("HKLM", "Software\\Classes\\InternetShortcut", "IsShortcut", "")
        // Another extension of the shell-link class: a link, but not of a kind this scan handles.
        .String("HKLM", "Software\\Classes\\.shortcut", "", "lnkfile")
        .Drive('D', "hd")
        .Drive('E', "floppy")
        .Drive('N', "network");
}

std::vector<std::string> Recorded(App& app) {
    std::vector<std::string> paths;
    for (const auto& entry : FindingsOf(app).lvwShortcut) {
        EXPECT_EQ(entry.kind, "Windows Shortcut");
        paths.push_back(entry.path);
    }
    return paths;
}

TEST(ShortcutChecker, RecordsOnlyShortcutsWhoseTargetIsGoneFromAFixedDrive) {
    struct Case {
        std::string path;
        std::string contents;
        bool recorded;
    };
    const std::vector<Case> cases = {
        {"C:\\users\\vx\\Desktop\\missing.lnk", Wine("missing_target.lnk"), true},
        {"C:\\links\\missing_folder.lnk", Wine("missing_folder_target.lnk"), true},
        {"C:\\links\\UPPER.LNK", Wine("missing_target.lnk"), true},
        {"C:\\links\\missing_file.url", HandMade("missing_file.url"), true},
        {"C:\\links\\fixed_d.url", UrlTo("file:///D:/gone/readme.txt"), true},
        // Places the Shell keeps for itself.
        {"C:\\users\\vx\\AppData\\Roaming\\Microsoft\\Windows\\NetHood\\missing.lnk",
         Wine("missing_target.lnk"), false},
        {"C:\\System Volume Information\\missing.lnk", Wine("missing_target.lnk"), false},
        // Targets that exist, or that may still work.
        {"C:\\links\\existing.lnk", Wine("existing_target.lnk"), false},
        {"C:\\links\\existing_file.url", HandMade("existing_file.url"), false},
        {"C:\\links\\homedrive.lnk", Wine("homedrive_workdir.lnk"), false},
        {"C:\\links\\shell_folder.lnk", Wine("shell_folder.lnk"), false},
        {"C:\\links\\missing_drive.lnk", Wine("missing_drive_target.lnk"), false},
        {"C:\\links\\removable.url", UrlTo("file:///E:/gone.txt"), false},
        {"C:\\links\\network.url", UrlTo("file:///N:/gone.txt"), false},
        {"C:\\links\\share.url", UrlTo("file://server/share/gone.txt"), false},
        {"C:\\links\\web.url", HandMade("web.url"), false},
        // Not links, or not the kinds handled.
        {"C:\\links\\dos.pif", HandMade("dos_program.pif"), false},
        {"C:\\links\\missing.shortcut", Wine("missing_target.lnk"), false},
        {"C:\\links\\truncated.lnk", HandMade("truncated.lnk"), false},
        {"C:\\links\\no_url.url", HandMade("no_url.url"), false},
        {"C:\\links\\notes.txt", Wine("missing_target.lnk"), false},
    };
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    for (const auto& c : cases)
        prefix.File(c.path, c.contents);
    test::TestApp app(prefix.WriteAndOpen());
    ASSERT_TRUE(app.target);
    for (const auto& c : cases) {
        FindingsOf(*app).lvwShortcut.clear();
        CheckShortcutFile(ContextOf(*app), c.path);
        EXPECT_EQ(Recorded(*app), c.recorded ? std::vector<std::string>{c.path} : std::vector<std::string>{})
            << c.path;
    }
}

// The program's own copies of the shortcuts it removed (a backup folder on one of the target's drives, as
// older settings or the Windows build may have it) are never findings, however the folder is reached.
TEST(ShortcutChecker, TheProgramsOwnBackupCopiesAreNeverFindings) {
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    const std::string copy = "C:\\Backups\\BackUp 10-12-26 09-05-01 shortcuts\\1 missing.lnk";
    const std::string other = "C:\\links\\missing.lnk";
    prefix.File(copy, Wine("missing_target.lnk")).File(other, Wine("missing_target.lnk"));
    test::TestApp app(prefix.WriteAndOpen());
    std::filesystem::create_directory_symlink(prefix.HostPathOf("C:\\Backups"),
                                              prefix.root() / "backups-link");
    for (const auto& folder : {prefix.HostPathOf("C:\\Backups"), prefix.root() / "backups-link",
                               prefix.HostPathOf("C:\\links") / ".." / "Backups"}) {
        SCOPED_TRACE(folder.string());
        app->SaveSetting("txtBackup", folder.string());
        FindingsOf(*app).lvwShortcut.clear();
        CheckShortcutFile(ContextOf(*app), copy);
        CheckShortcutFile(ContextOf(*app), other);
        EXPECT_EQ(Recorded(*app), std::vector<std::string>{other});
    }
}

TEST(DriveWalker, ChecksTheFilesOfAFolderBeforeItsSubfolders) {
    const std::string missing = Wine("missing_target.lnk");
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    prefix.File("C:\\walk\\a.lnk", missing)
        .File("C:\\walk\\s\\c.lnk", missing)
        .File("C:\\walk\\s\\t\\d.lnk", missing)
        .File("C:\\walk\\README", missing) // no dot: never a candidate
        .File("C:\\walk\\zz.lnk", missing);
    test::TestApp app(prefix.WriteAndOpen());
    ASSERT_TRUE(app.target);
    WalkFolderForShortcuts(ContextOf(*app), "C:\\walk"); // the trailing backslash is added
    EXPECT_EQ(Recorded(*app), (std::vector<std::string>{"C:\\walk\\a.lnk", "C:\\walk\\zz.lnk",
                                                        "C:\\walk\\s\\c.lnk", "C:\\walk\\s\\t\\d.lnk"}));
}

TEST(DriveWalker, ChecksShortcutsOfEitherKindInAnyCase) {
    const std::string missing = Wine("missing_target.lnk");
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    prefix.File("C:\\walk\\a.LnK", missing)
        .File("C:\\walk\\b.URL", HandMade("missing_file.url"))
        .File("C:\\walk\\c.lnk.bak", missing)
        .File("C:\\walk\\d.shortcut", missing)
        .File("C:\\walk\\e.lnk ", missing)
        .File("C:\\walk\\flnk", missing)
        .File("C:\\walk\\g.uRl", HandMade("missing_file.url"));
    test::TestApp app(prefix.WriteAndOpen());
    ASSERT_TRUE(app.target);
    WalkFolderForShortcuts(ContextOf(*app), "C:\\walk\\");
    EXPECT_EQ(Recorded(*app),
              (std::vector<std::string>{"C:\\walk\\a.LnK", "C:\\walk\\b.URL", "C:\\walk\\g.uRl"}));
}

TEST(DriveWalker, ADriveThatCannotBeReadIsNotWalked) {
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    prefix.File("C:\\links\\missing.lnk", Wine("missing_target.lnk"));
    test::TestApp app(prefix.WriteAndOpen());
    ASSERT_TRUE(app.target);
    ScanDriveForShortcuts(ContextOf(*app), "Q:\\");
    EXPECT_TRUE(Recorded(*app).empty());
    ScanDriveForShortcuts(ContextOf(*app), "C:\\");
    EXPECT_EQ(Recorded(*app), std::vector<std::string>{"C:\\links\\missing.lnk"});
}

TEST(DriveWalker, CancelStopsEveryLevelOfTheWalk) {
    const std::string missing = Wine("missing_target.lnk");
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    prefix.File("C:\\walk\\a\\deep\\first.lnk", missing)
        .File("C:\\walk\\a\\deep\\second.lnk", missing)
        .File("C:\\walk\\a\\later.lnk", missing)
        .File("C:\\walk\\b\\other.lnk", missing);
    test::TestApp app(prefix.WriteAndOpen());
    ASSERT_TRUE(app.target);
    // Cancel is pressed as soon as the first broken shortcut shows up.
    for (int yield = 1; yield <= 1000; ++yield)
        app.frontEnd.atYield[yield] = [](App& a) {
            if (!FindingsOf(a).lvwShortcut.empty())
                RunOf(a).ScanCancelled = -1;
        };
    WalkFolderForShortcuts(ContextOf(*app), "C:\\walk\\");
    // Files come before subfolders, so a\later.lnk is the first find; nothing is checked after it.
    EXPECT_EQ(Recorded(*app), std::vector<std::string>{"C:\\walk\\a\\later.lnk"});
}

// A target whose file system reports chosen attributes for some names, as an NTFS volume can (a Wine
// prefix always adds the archive bit to a plain file).
class AttributeOverride final : public FileSystem {
  public:
    AttributeOverride(FileSystem& real, std::map<std::string, uint32_t> attributes)
        : real_(real), attributes_(std::move(attributes)) {}

    uint32_t GetSystemDirectory(std::span<char> b) override { return real_.GetSystemDirectory(b); }
    uint32_t GetWindowsDirectory(std::span<char> b) override { return real_.GetWindowsDirectory(b); }
    std::string GetTempPath() override { return real_.GetTempPath(); }
    std::vector<Drive> Drives() override { return real_.Drives(); }
    bool GetVolumeInformation(std::string_view root) override { return real_.GetVolumeInformation(root); }
    FindResult FindFirstEntry(std::string_view p, uint32_t m) override { return real_.FindFirstEntry(p, m); }
    std::unique_ptr<FileSearch> FindFirstFile(std::string_view pattern, FindData& first) override {
        auto search = real_.FindFirstFile(pattern, first);
        if (!search)
            return nullptr;
        Override(first);
        return std::make_unique<Search>(std::move(search), *this);
    }
    uint32_t GetFileAttributes(std::string_view path) override {
        const size_t slash = path.rfind('\\');
        const auto found = attributes_.find(std::string(path.substr(slash + 1)));
        return found != attributes_.end() ? found->second : real_.GetFileAttributes(path);
    }
    uint32_t GetShortPathName(std::string_view p, std::span<char> b) override {
        return real_.GetShortPathName(p, b);
    }
    std::optional<uint64_t> GetFileSize(std::string_view p) override { return real_.GetFileSize(p); }
    bool CopyFile(std::string_view a, std::string_view b, bool f) override { return real_.CopyFile(a, b, f); }
    bool DeleteFile(std::string_view p) override { return real_.DeleteFile(p); }
    std::optional<std::filesystem::path> HostPath(std::string_view p) override { return real_.HostPath(p); }

  private:
    class Search final : public FileSearch {
      public:
        Search(std::unique_ptr<FileSearch> real, AttributeOverride& owner)
            : real_(std::move(real)), owner_(owner) {}
        bool FindNextFile(FindData& entry) override {
            if (!real_->FindNextFile(entry))
                return false;
            owner_.Override(entry);
            return true;
        }

      private:
        std::unique_ptr<FileSearch> real_;
        AttributeOverride& owner_;
    };
    void Override(FindData& entry) const {
        if (const auto found = attributes_.find(entry.name); found != attributes_.end())
            entry.attributes = found->second;
    }

    FileSystem& real_;
    std::map<std::string, uint32_t> attributes_;
};

class OverriddenTarget final : public Target {
  public:
    OverriddenTarget(std::unique_ptr<Target> real, std::map<std::string, uint32_t> attributes)
        : real_(std::move(real)), files_(real_->files(), std::move(attributes)) {}
    Registry& registry() override { return real_->registry(); }
    FileSystem& files() override { return files_; }
    ShellItems& shell() override { return real_->shell(); }
    std::string Describe() const override { return real_->Describe(); }

  private:
    std::unique_ptr<Target> real_;
    AttributeOverride files_;
};

TEST(DriveWalker, OnlyFilesWithACandidateAttributeAreChecked) {
    const std::string missing = Wine("missing_target.lnk");
    test::FixturePrefix prefix;
    AddShortcutBasics(prefix);
    prefix.File("C:\\walk\\compressed.lnk", missing)
        .File("C:\\walk\\hidden.lnk", missing)
        .File("C:\\walk\\system.lnk", missing)
        .File("C:\\walk\\temporary.lnk", missing);
    test::TestApp app(std::make_unique<OverriddenTarget>(
        prefix.WriteAndOpen(), std::map<std::string, uint32_t>{{"compressed.lnk", FILE_ATTRIBUTE_COMPRESSED},
                                                               {"hidden.lnk", FILE_ATTRIBUTE_HIDDEN},
                                                               {"system.lnk", FILE_ATTRIBUTE_SYSTEM},
                                                               {"temporary.lnk", FILE_ATTRIBUTE_TEMPORARY}}));
    WalkFolderForShortcuts(ContextOf(*app), "C:\\walk\\");
    EXPECT_EQ(Recorded(*app), (std::vector<std::string>{"C:\\walk\\hidden.lnk", "C:\\walk\\system.lnk",
                                                        "C:\\walk\\temporary.lnk"}));
}

} // namespace
} // namespace vx
