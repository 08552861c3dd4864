// The host file system over real folders: how Windows paths find host files, which entries a search with
// an attribute mask admits, listings, attributes, and walks that stay on their drive.
#include "platform/host_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vx {
namespace {
namespace fs = std::filesystem;

// A temporary folder tree that is removed again.
class Tree {
  public:
    Tree() {
        std::string pattern = (fs::temp_directory_path() / "vx-hostfs-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& root() const { return root_; }
    fs::path File(const std::string& rel, const std::string& content = "x") {
        const fs::path p = root_ / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    fs::path Folder(const std::string& rel) {
        fs::create_directories(root_ / rel);
        return root_ / rel;
    }
    // Wine's way of storing hidden and system bits.
    void DosAttrib(const std::string& rel, const std::string& value) {
        ASSERT_EQ(setxattr((root_ / rel).c_str(), "user.DOSATTRIB", value.data(), value.size(), 0), 0)
            << "extended attributes are needed for this test";
    }
    void ReadOnly(const std::string& rel) {
        fs::permissions(root_ / rel,
                        fs::perms::all &
                            ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write) &
                            fs::status(root_ / rel).permissions());
    }
    void Link(const std::string& rel, const fs::path& target) { fs::create_symlink(target, root_ / rel); }

  private:
    fs::path root_;
};

HostFileSystemConfig DriveC(const fs::path& root) {
    HostFileSystemConfig config = VolumeAsDriveC(root);
    config.drives.push_back(HostDrive{'D', std::nullopt, DriveType::CdRom}); // no medium
    return config;
}

// The tree most tests share: a small Windows drive with every kind of entry the rules care about.
class HostFileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.File("Windows/System32/ole32.dll");
        tree.File("Windows/win.ini");
        tree.File("Windows/system.ini");
        tree.File("App/plain.dll", "12345");
        tree.File("App/hidden.dll");
        tree.DosAttrib("App/hidden.dll", "0x2");
        tree.File("App/system.dll");
        tree.DosAttrib("App/system.dll", "0x4");
        tree.File("App/both.dll");
        tree.DosAttrib("App/both.dll", "0x6");
        tree.File("App/archived.dll");
        tree.DosAttrib("App/archived.dll", "0x22");
        tree.File("App/garbled.dll");
        tree.DosAttrib("App/garbled.dll", "0x2 hidden");
        tree.File("App/.dotted.dll");
        tree.File("App/readonly.dll");
        tree.ReadOnly("App/readonly.dll");
        tree.Folder("App/Plugins");
        tree.Folder("App/.cache");
        tree.File("NoDot/README");
        tree.File("Programme/Über/x.dll");
        tree.File("Hidden/.only");
    }

    Tree tree;
    HostFileSystem files{DriveC(tree.root())};
};

TEST_F(HostFileSystemTest, FindFirstEntryAdmitsByMask) {
    struct Case {
        std::string pattern;
        uint32_t mask;
        Lookup kind;
        std::string name;
    };
    const std::vector<Case> cases = {
        {"C:\\Windows\\System32\\ole32.dll", 0, Lookup::Found, "ole32.dll"},
        {"C:\\App\\readonly.dll", 0, Lookup::Found, "readonly.dll"}, // read-only never excludes
        {"C:\\App\\archived.dll", 0x20, Lookup::NotFound, ""},       // hidden: the archive bit does not help
        {"C:\\App\\archived.dll", 0x2, Lookup::Found, "archived.dll"},
        {"C:\\App\\hidden.dll", 0, Lookup::NotFound, ""},
        {"C:\\App\\hidden.dll", 0x2, Lookup::Found, "hidden.dll"},
        {"C:\\App\\hidden.dll", 0x1, Lookup::NotFound, ""},
        {"C:\\App\\system.dll", 0x2, Lookup::NotFound, ""},
        {"C:\\App\\system.dll", 0x4, Lookup::Found, "system.dll"},
        {"C:\\App\\both.dll", 0x2, Lookup::NotFound, ""},
        {"C:\\App\\both.dll", 0x4, Lookup::NotFound, ""},
        {"C:\\App\\both.dll", 0x6, Lookup::Found, "both.dll"},
        {"C:\\App\\garbled.dll", 0, Lookup::Found, "garbled.dll"}, // not Wine's format: no bits
        {"C:\\App\\.dotted.dll", 0, Lookup::NotFound, ""},         // a dot name is hidden
        {"C:\\App\\.dotted.dll", 0x2, Lookup::Found, ".dotted.dll"},
        {"C:\\App\\Plugins", 0x27, Lookup::NotFound, ""}, // folders only with the folder bit
        {"C:\\App\\Plugins", 0x10, Lookup::Found, "Plugins"},
        {"C:\\App\\.cache", 0x10, Lookup::NotFound, ""},
        {"C:\\App\\.cache", 0x12, Lookup::Found, ".cache"},
        // Wildcards: the first admitted entry in name order.
        {"C:\\Windows\\*.ini", 0, Lookup::Found, "system.ini"},
        {"C:\\Windows\\*.INI", 0, Lookup::Found, "system.ini"},
        {"C:\\Windows\\*.dll", 0, Lookup::NotFound, ""},
        {"C:\\App\\*.dll", 0, Lookup::Found, "garbled.dll"},
        {"C:\\App\\h*.dll", 0, Lookup::NotFound, ""},
        {"C:\\App\\h*.dll", 0x2, Lookup::Found, "hidden.dll"},
        {"C:\\App\\plug???", 0, Lookup::NotFound, ""},
        {"C:\\App\\plug???", 0x10, Lookup::Found, "Plugins"},
        {"C:\\App\\*", 0x10, Lookup::Found, "."},
        {"C:\\NoDot\\*.*", 0, Lookup::Found, "README"},
        {"C:\\NoDot\\*.", 0, Lookup::Found, "README"},
        {"C:\\Windows\\*.", 0, Lookup::NotFound, ""},
        {"C:\\Hidden\\*", 0, Lookup::NotFound, ""},
        {"C:\\Hidden\\*", 0x2, Lookup::Found, ".only"},
        // Nothing there, or nothing that is a file.
        {"C:\\Missing\\x.dll", 0, Lookup::NotFound, ""},
        {"C:\\App\\missing.dll", 0x37, Lookup::NotFound, ""},
        {"C:\\App\\plain.dll\\x.dll", 0, Lookup::NotFound, ""},
        {"C:\\App\\", 0x37, Lookup::NotFound, ""},
        {"C:\\", 0x37, Lookup::NotFound, ""},
        {"", 0, Lookup::NotFound, ""},
        // Paths that cannot be searched.
        {"C:\\App\\a<b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\a>b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\a|b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\a\"b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\a:b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\a\x01b.dll", 0, Lookup::Failed, ""},
        {"C:\\App\\*\\plain.dll", 0, Lookup::Failed, ""},   // a wildcard only in the last name
        {"/no/such:folder/x.dll", 0, Lookup::NotFound, ""}, // on the host ':' is a character
        {"C:\\Ap*\\plain.dll", 0, Lookup::Failed, ""},
        {"C:\\A?p\\plain.dll", 0, Lookup::Failed, ""},
        {"Q:\\plain.dll", 0, Lookup::Failed, ""},
        {"D:\\setup.exe", 0, Lookup::Failed, ""},
        {"plain.dll", 0, Lookup::Failed, ""},
        {"App\\plain.dll", 0, Lookup::Failed, ""},
        {"\\\\server\\share\\plain.dll", 0, Lookup::Failed, ""},
    };
    for (const Case& c : cases) {
        const FindResult r = files.FindFirstEntry(c.pattern, c.mask);
        EXPECT_EQ(r.kind, c.kind) << c.pattern << " mask " << c.mask;
        EXPECT_EQ(r.name, c.name) << c.pattern << " mask " << c.mask;
    }
}

TEST_F(HostFileSystemTest, WindowsPathsResolveAsWindowsResolvesThem) {
    struct Case {
        std::string path;
        std::string name; // the entry found, as the folder holds it
    };
    const std::vector<Case> cases = {
        {"c:\\WINDOWS\\system32\\OLE32.DLL", "ole32.dll"},
        {"C:\\Windows\\SYSTEM32\\ole32.dll", "ole32.dll"}, // another case only halfway down
        {"C:\\Windows\\System32\\Ole32.dll", "ole32.dll"}, // only in the last name
        {"c:\\programme\\über\\X.DLL", "x.dll"},
        {"C:\\PROGRAMME\\ÜBER\\x.dll", "x.dll"},
        {"C:/Windows/System32/ole32.dll", "ole32.dll"},
        {"C:\\Windows/System32\\\\ole32.dll", "ole32.dll"},
        {"C:\\App\\plain.dll ", "plain.dll"},
        {"C:\\App\\plain.dll. . ", "plain.dll"},
        {"C:\\App.\\plain.dll", "plain.dll"},
        {"C:\\Windows\\System32\\..\\win.ini", "win.ini"},
        {"C:\\Windows\\.\\System32\\.\\ole32.dll", "ole32.dll"},
        {"C:\\..\\..\\Windows\\win.ini", "win.ini"},
        {"C:Windows\\win.ini", "win.ini"},
        {"\\Windows\\win.ini", "win.ini"}, // rooted on the drive Windows lives on
        {"\\\\?\\C:\\Windows\\win.ini", "win.ini"},
        {(tree.root() / "App/plain.dll").string(), "plain.dll"},
        {tree.root().string() + "\\app\\PLAIN.DLL", "plain.dll"},
    };
    for (const Case& c : cases) {
        const FindResult r = files.FindFirstEntry(c.path, 0);
        EXPECT_EQ(r.kind, Lookup::Found) << c.path;
        EXPECT_EQ(r.name, c.name) << c.path;
    }
}

TEST_F(HostFileSystemTest, ExactNameWinsOverOtherCases) {
    tree.File("Case/Readme.txt", "mixed");
    tree.File("Case/README.TXT", "upper");
    EXPECT_EQ(files.FindFirstEntry("C:\\Case\\README.TXT", 0).name, "README.TXT");
    EXPECT_EQ(files.FindFirstEntry("C:\\Case\\Readme.txt", 0).name, "Readme.txt");
    // No exact match: the same one of the two every time.
    EXPECT_EQ(files.FindFirstEntry("C:\\Case\\readme.txt", 0).name, "README.TXT");
}

TEST_F(HostFileSystemTest, GetFileAttributesFollowsWineRules) {
    struct Case {
        std::string path;
        uint32_t attributes;
    };
    const std::vector<Case> cases = {
        {"C:\\App\\plain.dll", FILE_ATTRIBUTE_ARCHIVE},
        {"C:\\App\\readonly.dll", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {"C:\\App\\hidden.dll", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
        {"C:\\App\\both.dll", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"C:\\App\\archived.dll", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
        {"C:\\App\\garbled.dll", FILE_ATTRIBUTE_ARCHIVE},
        {"C:\\App\\.dotted.dll", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
        {"C:\\App\\Plugins", FILE_ATTRIBUTE_DIRECTORY},
        {"C:\\App\\plugins\\", FILE_ATTRIBUTE_DIRECTORY},
        {"C:\\App\\.cache", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {"C:\\", FILE_ATTRIBUTE_DIRECTORY},
        {"c:", FILE_ATTRIBUTE_DIRECTORY},
        {"C:\\App\\plain.dll\\", INVALID_FILE_ATTRIBUTES},
        {"C:\\App\\missing.dll", INVALID_FILE_ATTRIBUTES},
        {"C:\\App\\*.dll", INVALID_FILE_ATTRIBUTES},
        {"D:\\", INVALID_FILE_ATTRIBUTES},
        {"\\\\server\\share", INVALID_FILE_ATTRIBUTES},
    };
    for (const Case& c : cases)
        EXPECT_EQ(files.GetFileAttributes(c.path), c.attributes) << c.path;
}

TEST_F(HostFileSystemTest, ListingHasDotsFirstThenNamesInNtfsOrder) {
    tree.File("List/b.txt");
    tree.File("List/A.txt");
    tree.File("List/_under");
    tree.File("List/Ärger.txt");
    tree.File("List/.profile");
    tree.Folder("List/c");
    tree.File("List/a.TXT.bak");

    struct Case {
        std::string pattern;
        std::vector<std::pair<std::string, uint32_t>> entries;
    };
    const std::vector<Case> cases = {
        {"C:\\list\\*",
         {{".", 0x10},
          {"..", 0x10},
          {".profile", 0x22},
          {"A.txt", 0x20},
          {"a.TXT.bak", 0x20},
          {"b.txt", 0x20},
          {"c", 0x10},
          {"_under", 0x20},
          {"Ärger.txt", 0x20}}},
        {"C:\\List\\*.TXT", {{"A.txt", 0x20}, {"b.txt", 0x20}, {"Ärger.txt", 0x20}}},
        {"C:\\List\\b.txt", {{"b.txt", 0x20}}},
        {"C:\\LIST", {{"List", 0x10}}},
        {"C:\\*",
         {{"App", 0x10},
          {"Hidden", 0x10},
          {"List", 0x10},
          {"NoDot", 0x10},
          {"Programme", 0x10},
          {"Windows", 0x10}}}, // a drive's root lists no "." and ".."
    };
    for (const Case& c : cases) {
        FindData entry;
        auto search = files.FindFirstFile(c.pattern, entry);
        ASSERT_TRUE(search) << c.pattern;
        std::vector<std::pair<std::string, uint32_t>> seen;
        do {
            seen.emplace_back(entry.name, entry.attributes);
        } while (search->FindNextFile(entry));
        EXPECT_EQ(seen, c.entries) << c.pattern;
    }

    FindData entry;
    for (const char* nothing : {"C:\\List\\*.dll", "C:\\List\\", "C:\\Missing\\*", "Q:\\*", "C:\\Li*\\*"})
        EXPECT_FALSE(files.FindFirstFile(nothing, entry)) << nothing;
}

TEST_F(HostFileSystemTest, ListingReportsSizes) {
    FindData entry;
    auto search = files.FindFirstFile("C:\\App\\plain.*", entry);
    ASSERT_TRUE(search);
    EXPECT_EQ(entry.size, 5u);
    EXPECT_EQ(files.GetFileSize("c:\\app\\PLAIN.dll"), 5u);
    EXPECT_EQ(files.GetFileSize("C:\\App\\Plugins"), std::nullopt);
    EXPECT_EQ(files.GetFileSize("C:\\App\\missing.dll"), std::nullopt);
}

TEST_F(HostFileSystemTest, LinkedFoldersAreNotWalkedInto) {
    Tree outside;
    outside.File("secret/deep.lnk");
    tree.Link("App/linked", outside.root() / "secret");
    tree.Link("App/linked.dll", tree.root() / "App/plain.dll");
    tree.Link("App/dangling.dll", tree.root() / "App/gone.dll");

    struct Case {
        std::string path;
        uint32_t attributes;
    };
    const std::vector<Case> cases = {
        {"C:\\App\\linked", FILE_ATTRIBUTE_ARCHIVE},     // a plain entry, never a folder
        {"C:\\App\\linked.dll", FILE_ATTRIBUTE_ARCHIVE}, // a linked file is the file
        {"C:\\App\\dangling.dll", INVALID_FILE_ATTRIBUTES},
        {"C:\\App\\linked\\deep.lnk", FILE_ATTRIBUTE_ARCHIVE}, // named paths still go through
    };
    for (const Case& c : cases)
        EXPECT_EQ(files.GetFileAttributes(c.path), c.attributes) << c.path;

    FindData entry;
    auto search = files.FindFirstFile("C:\\App\\*", entry);
    ASSERT_TRUE(search);
    std::map<std::string, uint32_t> listed;
    do {
        listed[entry.name] = entry.attributes;
    } while (search->FindNextFile(entry));
    EXPECT_EQ(listed.at("linked"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(listed.at("linked.dll"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_FALSE(listed.contains("dangling.dll"));
    EXPECT_EQ(files.FindFirstEntry("C:\\App\\linked", 0).kind, Lookup::Found); // as a plain entry
}

TEST_F(HostFileSystemTest, BasicListingGivesTheNamesAndFolderBitsOfTheFullOne) {
    Tree outside;
    outside.File("secret/deep.lnk");
    tree.Link("App/linked", outside.root() / "secret");
    tree.Link("App/linked.dll", tree.root() / "App/plain.dll");
    tree.Link("App/dangling.dll", tree.root() / "App/gone.dll");
    tree.Link("App/Zfolder", tree.root() / "NoDot");
    ASSERT_EQ(mkfifo((tree.root() / "App/pipe.lnk").c_str(), 0644), 0);
    tree.File("App/Plugins/a.lnk");

    auto list = [&](const std::string& pattern, FindInfoLevel level) {
        std::vector<std::pair<std::string, uint32_t>> seen;
        FindData entry;
        if (auto search = files.FindFirstFileEx(pattern, level, entry)) {
            do {
                seen.emplace_back(entry.name, entry.attributes & FILE_ATTRIBUTE_DIRECTORY);
            } while (search->FindNextFile(entry));
        }
        return seen;
    };
    for (const char* pattern :
         {"C:\\App\\*", "C:\\app\\*.DLL", "C:\\App\\?inked*", "C:\\*", "C:\\App\\Plugins\\*",
          "C:\\App\\plain.dll", "C:\\App\\linked", "C:\\Missing\\*"}) {
        EXPECT_EQ(list(pattern, FindInfoLevel::Basic), list(pattern, FindInfoLevel::Standard)) << pattern;
    }
    const auto app = list("C:\\App\\*", FindInfoLevel::Basic);
    const std::map<std::string, uint32_t> folderBits(app.begin(), app.end());
    EXPECT_EQ(folderBits.at("Plugins"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(folderBits.at("linked"), 0u); // a linked folder is a plain entry
    EXPECT_EQ(folderBits.at("Zfolder"), 0u);
    EXPECT_EQ(folderBits.at("linked.dll"), 0u);
    EXPECT_FALSE(folderBits.contains("dangling.dll"));
    EXPECT_FALSE(folderBits.contains("pipe.lnk"));
}

TEST_F(HostFileSystemTest, NamesInAnotherCaseFollowChangesToAFolderThatHasNotChangedForLong) {
    tree.File("Settled/One.dll");
    tree.File("Settled/AB.txt");
    tree.File("Settled/ab.TXT");
    // Only a folder whose times are some seconds old has its names kept between lookups.
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_EQ(files.GetFileAttributes("C:\\settled\\ONE.DLL"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files.GetFileAttributes("C:\\Settled\\two.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.HostPath("C:\\Settled\\Ab.Txt"), tree.root() / "Settled/AB.txt"); // the first bytewise
    // Below a folder whose names are known: a folder it lacks, in any case.
    EXPECT_EQ(files.FindFirstEntry("C:\\Settled\\Gone\\x.dll", 0).kind, Lookup::NotFound);

    tree.File("Settled/Gone/x.dll");
    EXPECT_EQ(files.FindFirstEntry("C:\\Settled\\Gone\\x.dll", 0).kind, Lookup::Found);
    EXPECT_EQ(files.FindFirstEntry("C:\\settled\\GONE\\X.DLL", 0).kind, Lookup::Found);
    tree.File("Settled/TWO.dll");
    fs::remove(tree.root() / "Settled/One.dll");
    fs::remove(tree.root() / "Settled/AB.txt");
    EXPECT_EQ(files.GetFileAttributes("C:\\Settled\\two.dll"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(files.GetFileAttributes("C:\\Settled\\one.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.HostPath("C:\\Settled\\Ab.Txt"), tree.root() / "Settled/ab.TXT");
}

TEST(HostFileSystemMounts, FoldersOfOtherFileSystemsAreNotWalkedInto) {
    // The host's root as a drive (Wine's Z:): its mounted file systems (/proc, /sys …) must not be entered.
    struct stat rootStat {};
    ASSERT_EQ(stat("/", &rootStat), 0);
    std::string mounted, local;
    for (const auto& e : fs::directory_iterator("/")) {
        struct stat st {};
        if (lstat(e.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        (st.st_dev != rootStat.st_dev ? mounted : local) = e.path().filename().string();
    }
    if (mounted.empty() || local.empty())
        GTEST_SKIP() << "no mounted file system below / to test with";

    HostFileSystemConfig config;
    config.drives.push_back(HostDrive{'Z', fs::path("/"), DriveType::Network});
    HostFileSystem files(config);
    EXPECT_EQ(files.GetFileAttributes("Z:\\" + mounted) & FILE_ATTRIBUTE_DIRECTORY, 0u) << mounted;
    EXPECT_NE(files.GetFileAttributes("Z:\\" + local) & FILE_ATTRIBUTE_DIRECTORY, 0u) << local;
    FindData entry;
    auto search = files.FindFirstFile("Z:\\" + mounted, entry);
    ASSERT_TRUE(search);
    EXPECT_EQ(entry.attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // The cheap listing of a walk tells them apart as well.
    std::map<std::string, uint32_t> folderBits;
    auto listing = files.FindFirstFileEx("Z:\\*", FindInfoLevel::Basic, entry);
    ASSERT_TRUE(listing);
    do {
        folderBits[entry.name] = entry.attributes & FILE_ATTRIBUTE_DIRECTORY;
    } while (listing->FindNextFile(entry));
    EXPECT_EQ(folderBits.at(mounted), 0u) << mounted;
    EXPECT_EQ(folderBits.at(local), FILE_ATTRIBUTE_DIRECTORY) << local;
}

TEST_F(HostFileSystemTest, CopyFileReplacesAndDeleteFileRemoves) {
    tree.File("Backup/X.LNK", "old");
    EXPECT_TRUE(files.CopyFile("C:\\App\\plain.dll", "C:\\Backup\\x.lnk", false));
    EXPECT_TRUE(files.CopyFile("C:\\App\\hidden.dll", "C:\\Backup\\hidden copy.dll", true));
    EXPECT_TRUE(files.CopyFile("C:\\App\\plain.dll", (tree.root() / "Backup/host.dll").string(), false));

    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(tree.root() / "Backup"))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"X.LNK", "hidden copy.dll", "host.dll"})); // no temporary left
    EXPECT_EQ(files.GetFileSize("C:\\Backup\\X.LNK"), 5u);
    EXPECT_EQ(files.GetFileAttributes("C:\\Backup\\hidden copy.dll"),
              FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);

    struct Refused {
        std::string from, to;
        bool failIfExists;
    };
    const std::vector<Refused> refused = {
        {"C:\\App\\plain.dll", "C:\\Backup\\x.lnk", true},         // exists
        {"C:\\App\\missing.dll", "C:\\Backup\\y.lnk", false},      // no source
        {"C:\\App\\Plugins", "C:\\Backup\\y.lnk", false},          // a folder
        {"C:\\App\\plain.dll", "C:\\NoSuchFolder\\y.lnk", false},  // no destination folder
        {"C:\\App\\plain.dll", "C:\\App\\readonly.dll", false},    // read-only destination
        {"C:\\App\\plain.dll", "C:\\App\\PLAIN.DLL", false},       // itself
        {"C:\\App\\plain.dll", "\\\\server\\share\\y.lnk", false}, // UNC
    };
    for (const Refused& r : refused)
        EXPECT_FALSE(files.CopyFile(r.from, r.to, r.failIfExists)) << r.from << " -> " << r.to;
    EXPECT_EQ(files.GetFileSize("C:\\App\\plain.dll"), 5u);

    EXPECT_TRUE(files.DeleteFile("c:\\backup\\x.lnk"));
    EXPECT_FALSE(fs::exists(tree.root() / "Backup/X.LNK"));
    for (const char* kept : {"C:\\Backup\\x.lnk", "C:\\App\\Plugins", "C:\\App\\readonly.dll", "C:\\"})
        EXPECT_FALSE(files.DeleteFile(kept)) << kept;
    EXPECT_TRUE(fs::exists(tree.root() / "App/readonly.dll"));
}

TEST_F(HostFileSystemTest, HostPathKeepsAMissingLastName) {
    const fs::path root = tree.root();
    struct Case {
        std::string path;
        std::optional<fs::path> host;
    };
    const std::vector<Case> cases = {
        {"c:\\windows\\SYSTEM32\\Ole32.dll", root / "Windows/System32/ole32.dll"},
        {"C:\\Windows\\New File.txt ", root / "Windows/New File.txt"},
        {"C:\\", root},
        {"C:\\Missing\\x.txt", std::nullopt},
        {"\\\\server\\share\\x.txt", std::nullopt},
        {"Q:\\x.txt", std::nullopt},
        {(root / "App/plain.dll").string(), root / "App/plain.dll"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(files.HostPath(c.path), c.host) << c.path;
}

TEST_F(HostFileSystemTest, FoldersDrivesAndVolumes) {
    char buffer[256];
    ASSERT_EQ(files.GetSystemDirectory(buffer), 19u);
    EXPECT_STREQ(buffer, "C:\\Windows\\System32");
    ASSERT_EQ(files.GetWindowsDirectory(buffer), 10u);
    EXPECT_STREQ(buffer, "C:\\Windows");
    char small[10];
    EXPECT_EQ(files.GetWindowsDirectory(small), 0u); // no room for the terminating zero
    EXPECT_EQ(files.GetTempPath(), "C:\\Windows\\Temp\\");

    const std::vector<Drive> drives = files.Drives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].letter, "C");
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    EXPECT_EQ(drives[1].letter, "D");
    EXPECT_EQ(drives[1].type, DriveType::CdRom);

    EXPECT_TRUE(files.GetVolumeInformation("C:\\"));
    EXPECT_TRUE(files.GetVolumeInformation("c:"));
    EXPECT_FALSE(files.GetVolumeInformation("D:\\")); // no medium
    EXPECT_FALSE(files.GetVolumeInformation("Q:\\"));
    EXPECT_FALSE(files.GetVolumeInformation("C:\\Windows\\"));

    char shortPath[165];
    EXPECT_EQ(files.GetShortPathName("C:\\Windows\\win.ini", {shortPath, 164}), 18u);
    EXPECT_STREQ(shortPath, "C:\\Windows\\win.ini");
    EXPECT_EQ(files.GetShortPathName("C:\\Windows\\win.ini", {shortPath, 5}), 19u); // size needed
    EXPECT_EQ(files.GetShortPathName("C:\\Windows\\missing.ini", {shortPath, 164}), 0u);
}

TEST(FilePattern, MatchesAsTheWindowsFileSearch) {
    struct Case {
        std::string name, pattern;
        bool matches;
    };
    const std::vector<Case> cases = {
        {"README", "*", true},         {"README", "*.*", true},
        {"README", "*.", true},        {"a.txt", "*.", false},
        {"a.txt", "*.TXT", true},      {"a.b.txt", "*.txt", true},
        {"x.txt.bak", "*.txt", false}, {".profile", "*", true},
        {"a.txt", "a?.txt", true}, // "?" may match nothing before a dot
        {"ab.txt", "a?.txt", true},    {"abc.txt", "a?.txt", false},
        {"ab", "ab??", true}, // … and at the end
        {"a.b", "a?b", false},         {"setup.exe", "S*P.E?E", true},
        {"ÜBER.DLL", "über.*", true},  {"ärger", "Ä*", true},
        {"abcabcabd", "*a*b*d", true}, {"abcabcabc", "*a*b*d", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

// A drive at a long host path: the folder fits the host's path limit, a file's full path does not. The
// file exists and is found; a path the host cannot search for any reason but "no such file" is never
// taken for missing.
TEST(HostFileSystemLimits, AFileBeyondTheHostsPathLimitIsNeverTakenForMissing) {
    Tree tree;
    std::string deep;
    while (tree.root().string().size() + deep.size() < 3900)
        deep += std::string(200, 'd') + "/";
    const fs::path drive = tree.Folder(deep);
    const std::string name(240, 'f');
    ASSERT_GT(drive.string().size() + name.size(), 4096u);
    {
        // Made through its folder: its full path is too long to open by name.
        const int dir = ::open(drive.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(dir, 0);
        const int fd = ::openat(dir, (name + ".dll").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
        ::close(dir);
    }
    HostFileSystem files(VolumeAsDriveC(drive));
    for (const uint32_t mask : {0u, 2u, 6u}) {
        EXPECT_NE(files.FindFirstEntry("C:\\" + name + ".dll", mask).kind, Lookup::NotFound) << mask;
        EXPECT_NE(files.FindFirstEntry("C:\\" + std::string(240, 'g') + ".dll", mask).kind, Lookup::NotFound)
            << mask << ": a path the host cannot search counts as existing";
    }
}

} // namespace
} // namespace vx
