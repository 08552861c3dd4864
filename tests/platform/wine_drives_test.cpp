// The drives of a Wine prefix from its dosdevices links, and the Windows folders from SystemRoot.
#include "platform/wine/wine_drives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace vx {
namespace {
namespace fs = std::filesystem;

class WineDrivesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vx-winedrives-XXXXXX").string();
        root = mkdtemp(pattern.data());
        prefix = root / "prefix";
        fs::create_directories(prefix / "dosdevices");
        fs::create_directories(prefix / "drive_c");
        fs::create_directories(prefix / "drive_e");
        fs::create_directories(root / "elsewhere");
    }
    void TearDown() override { fs::remove_all(root); }
    void Link(const std::string& name, const fs::path& target) {
        fs::create_symlink(target, prefix / "dosdevices" / name);
    }

    fs::path root, prefix;
};

TEST_F(WineDrivesTest, DrivesComeFromDosDevicesInLetterOrder) {
    Link("z:", "/");
    Link("c:", "../drive_c");
    Link("e:", "../drive_e");
    Link("D:", root / "elsewhere"); // outside the prefix, but Wine says CD-ROM
    Link("f:", root / "elsewhere"); // outside the prefix: a share of the host
    Link("g:", root / "gone");      // nothing there (no medium)
    Link("h:", prefix / "drive_c"); // an absolute link into the prefix
    // A link to a folder of the prefix that is itself a link to elsewhere: the whole chain decides.
    fs::create_directory_symlink(root / "elsewhere", prefix / "drive_c" / "escape");
    Link("i:", "../drive_c/escape");
    Link("com1", "/dev/ttyS0");
    Link("c::", "/dev/sda1");
    Link("d::", "/dev/sr0");
    const WineDriveTypes types = {{"d:", "cdrom"}, {"E:", "floppy"}, {"z:", "hd"}, {"f:", "network"}};

    struct Expected {
        char letter;
        DriveType type;
        std::optional<fs::path> folder;
    };
    const std::vector<Expected> expected = {
        {'C', DriveType::Fixed, fs::canonical(prefix / "drive_c")},
        {'D', DriveType::CdRom, fs::canonical(root / "elsewhere")},
        {'E', DriveType::Removable, fs::canonical(prefix / "drive_e")},
        {'F', DriveType::Network, fs::canonical(root / "elsewhere")},
        {'G', DriveType::Network, std::nullopt},
        {'H', DriveType::Fixed, fs::canonical(prefix / "drive_c")},
        {'I', DriveType::Network, fs::canonical(root / "elsewhere")},
        {'Z', DriveType::Network, fs::path("/")}, // the host's root is never a fixed drive
    };
    const std::vector<HostDrive> drives = WineDrives(prefix, types);
    ASSERT_EQ(drives.size(), expected.size());
    for (size_t i = 0; i < drives.size(); ++i) {
        EXPECT_EQ(drives[i].letter, expected[i].letter);
        EXPECT_EQ(drives[i].type, expected[i].type) << expected[i].letter;
        EXPECT_EQ(drives[i].folder, expected[i].folder) << expected[i].letter;
    }
}

TEST_F(WineDrivesTest, PrefixBecomesAFileSystem) {
    Link("c:", "../drive_c");
    Link("z:", "/");
    fs::create_directories(prefix / "drive_c/windows/system32");
    std::ofstream(prefix / "drive_c/windows/system32/ole32.dll") << "x";

    HostFileSystem files(WinePrefixFileSystemConfig(prefix, {}, "C:\\windows"));
    EXPECT_EQ(files.FindFirstEntry("C:\\WINDOWS\\System32\\OLE32.dll", 0).name, "ole32.dll");
    EXPECT_EQ(files.GetTempPath(), "C:\\windows\\temp\\");
    const std::vector<Drive> drives = files.Drives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].letter, "C");
    EXPECT_EQ(drives[0].type, DriveType::Fixed);
    EXPECT_EQ(drives[1].type, DriveType::Network);
}

TEST(WineDriveType, NamesWineUses) {
    const std::vector<std::pair<std::string, DriveType>> cases = {
        {"hd", DriveType::Fixed},         {"network", DriveType::Network}, {"CDROM", DriveType::CdRom},
        {"floppy", DriveType::Removable}, {"ramdisk", DriveType::RamDisk}, {"tape", DriveType::Fixed},
    };
    for (const auto& [text, type] : cases)
        EXPECT_EQ(WineDriveType(text), type) << text;
}

TEST(WindowsFolders, FromSystemRoot) {
    struct Case {
        std::string systemRoot, windows, system;
    };
    const std::vector<Case> cases = {
        {"C:\\windows", "C:\\windows", "C:\\windows\\system32"},
        {"", "C:\\windows", "C:\\windows\\system32"},
        {"   ", "C:\\windows", "C:\\windows\\system32"},
        {" D:\\WINNT\\ ", "D:\\WINNT", "D:\\WINNT\\system32"},
        {"E:\\", "E:\\", "E:\\system32"},
    };
    for (const Case& c : cases) {
        const WindowsFolders f = WindowsFoldersFromSystemRoot(c.systemRoot);
        EXPECT_EQ(f.windows, c.windows) << c.systemRoot;
        EXPECT_EQ(f.system, c.system) << c.systemRoot;
    }
}

} // namespace
} // namespace vx
