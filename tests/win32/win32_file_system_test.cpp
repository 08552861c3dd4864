// The drives and files of the machine through the Win32 backend, under Wine, on a folder the tests fill.
#include "native_helpers.h"
#include "platform/atomic_file.h"
#include "platform/host_file_io.h"
#include "platform/shortcut_files.h"
#include "platform/utf8_path.h"
#include "platform/win32/win32_calls.h"
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace vx {
namespace {

namespace fs = std::filesystem;

class Win32FileSystemTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = files.GetTempPath() + "vantrelix tests \xC3\xA4";
        fs::remove_all(Utf8Path(folder));
        fs::create_directories(Utf8Path(folder + "\\Sub"));
        for (const char* name :
             {"b.txt", "A.txt", "c.TXT", "\xC3\xA9t\xC3\xA9.dll", "hidden.dll", "system.dll"})
            Write(name, "data");
        ASSERT_TRUE(testing::SetNativeAttributes(Utf8Path(folder + "\\hidden.dll").wstring(), 0x2));
        ASSERT_TRUE(testing::SetNativeAttributes(Utf8Path(folder + "\\system.dll").wstring(), 0x4));
    }
    void TearDown() override { fs::remove_all(Utf8Path(folder)); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(Utf8Path(folder + "\\" + name), std::ios::binary) << text;
    }
    std::vector<std::string> Listing(const std::string& pattern) {
        std::vector<std::string> names;
        FindData entry;
        auto search = files.FindFirstFile(pattern, entry);
        if (!search)
            return names;
        do
            names.push_back(entry.name);
        while (search->FindNextFile(entry));
        return names;
    }

    Win32FileSystem files;
    std::string folder;
};

TEST_F(Win32FileSystemTest, AFolderListsItsDotsThenItsNamesWithoutRegardToCase) {
    EXPECT_EQ(Listing(folder + "\\*"),
              (std::vector<std::string>{".", "..", "A.txt", "b.txt", "c.TXT", "hidden.dll", "Sub",
                                        "system.dll", "\xC3\xA9t\xC3\xA9.dll"}));
    EXPECT_EQ(Listing(folder + "\\*.txt"), (std::vector<std::string>{"A.txt", "b.txt", "c.TXT"}));
    EXPECT_TRUE(Listing(folder + "\\*.none").empty());
    EXPECT_TRUE(Listing(folder + "\\missing folder\\*").empty());
    // A drive's root has no dots.
    const auto root = Listing("C:\\*");
    EXPECT_TRUE(std::find(root.begin(), root.end(), ".") == root.end());
    EXPECT_TRUE(std::find(root.begin(), root.end(), "windows") != root.end());
}

TEST_F(Win32FileSystemTest, HiddenSystemAndFolderEntriesAreFoundOnlyWhenTheMaskAdmitsThem) {
    struct Case {
        std::string pattern;
        uint32_t mask;
        Lookup kind;
    };
    const Case cases[] = {
        {"\\hidden.dll", 0, Lookup::NotFound},
        {"\\hidden.dll", FILE_ATTRIBUTE_HIDDEN, Lookup::Found},
        {"\\system.dll", FILE_ATTRIBUTE_HIDDEN, Lookup::NotFound},
        {"\\system.dll", FILE_ATTRIBUTE_SYSTEM, Lookup::Found},
        {"\\Sub", 0, Lookup::NotFound},
        {"\\sub", FILE_ATTRIBUTE_DIRECTORY, Lookup::Found},
        {"\\B.TXT", 0, Lookup::Found},
        {"\\\xC3\x89T\xC3\x89.DLL", 0, Lookup::Found}, // non-ASCII names without regard to case
        {"\\missing.dll", 0xFF, Lookup::NotFound},
        {"\\no folder\\x.dll", 0xFF, Lookup::NotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern + " mask " + std::to_string(c.mask));
        EXPECT_EQ(files.FindFirstEntry(folder + c.pattern, c.mask).kind, c.kind);
    }
    EXPECT_EQ(files.FindFirstEntry("Q:\\nothing\\x.dll", 0xFF).kind, Lookup::Failed);
    const uint32_t masks[] = {0, FILE_ATTRIBUTE_HIDDEN};
    EXPECT_EQ(files.FindAnyEntry(folder + "\\hidden.dll", masks), Lookup::Found);
    EXPECT_EQ(files.FindFirstEntry(folder + "\\*.dll", 0).name, "\xC3\xA9t\xC3\xA9.dll");
    EXPECT_EQ(files.GetFileAttributes(folder + "\\hidden.dll") & 0x6, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(files.GetFileAttributes(folder + "\\missing.dll"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(files.GetFileSize(folder + "\\A.txt"), 4u);
    EXPECT_EQ(files.GetFileSize(folder + "\\Sub"), std::nullopt);
}

TEST_F(Win32FileSystemTest, ShortPathsCopiesAndDeletesFollowTheWindowsCalls) {
    const std::string path = folder + "\\A.txt";
    char small[4];
    const uint32_t needed = files.GetShortPathName(path, small);
    ASSERT_GT(needed, sizeof small);
    std::vector<char> buffer(needed);
    const uint32_t written = files.GetShortPathName(path, buffer);
    EXPECT_EQ(written + 1, needed);
    EXPECT_EQ(files.GetFileAttributes(std::string(buffer.data(), written)), files.GetFileAttributes(path));
    EXPECT_EQ(files.GetShortPathName(folder + "\\missing.txt", buffer), 0u);

    EXPECT_FALSE(files.CopyFile(path, folder + "\\b.txt", true));
    EXPECT_TRUE(files.CopyFile(path, folder + "\\copy \xC3\xA9.txt", true));
    EXPECT_TRUE(files.DeleteFile(folder + "\\copy \xC3\xA9.txt"));
    EXPECT_FALSE(files.DeleteFile(folder + "\\copy \xC3\xA9.txt"));
    EXPECT_FALSE(files.DeleteFile(folder + "\\Sub"));
}

TEST(Win32Drives, TheDriveTypesAreMappedToTheScriptingNumbering) {
    const std::pair<uint32_t, DriveType> cases[] = {
        {0, DriveType::Unknown}, {1, DriveType::Unknown}, {2, DriveType::Removable}, {3, DriveType::Fixed},
        {4, DriveType::Network}, {5, DriveType::CdRom},   {6, DriveType::RamDisk},   {7, DriveType::Unknown},
    };
    for (const auto& [native, expected] : cases)
        EXPECT_EQ(DriveTypeFromWin32(native), expected) << native;
}

TEST(Win32Drives, UnderWineAFixedDriveOutsideThePrefixIsTheHostsAndNotWalked) {
    const struct {
        DriveType type;
        const char* drive;
        const char* c;
        DriveType expected;
    } cases[] = {
        {DriveType::Fixed, "/", "/home/u/.wine/dosdevices/c:/", DriveType::Network}, // Z:, the host's root
        {DriveType::Fixed, "/media/usb/", "/home/u/.wine/dosdevices/c:/", DriveType::Network},
        {DriveType::Fixed, "/home/u/.wine/dosdevices/d:/", "/home/u/.wine/dosdevices/c:/", DriveType::Fixed},
        {DriveType::Fixed, "/home/u/.wine/drive_d/", "/home/u/.wine/drive_c/", DriveType::Fixed},
        {DriveType::Fixed, "/home/u/.wine2/drive_c/", "/home/u/.wine/drive_c/",
         DriveType::Network}, // not a folder of it
        {DriveType::CdRom, "/media/cdrom/", "/home/u/.wine/dosdevices/c:/", DriveType::CdRom},
        {DriveType::Fixed, "/", "/srv/windows/", DriveType::Fixed}, // a layout the rule does not know
        {DriveType::Fixed, "", "", DriveType::Fixed},               // not Wine: Windows itself
    };
    for (const auto& c : cases)
        EXPECT_EQ(DriveTypeUnderWine(c.type, c.drive, c.c), c.expected) << c.drive << " with C: at " << c.c;
}

TEST(Win32Drives, TheDrivesComeInLetterOrderWithTheSystemDriveFixed) {
    Win32FileSystem files;
    const auto drives = files.Drives();
    ASSERT_FALSE(drives.empty());
    std::string letters;
    for (const auto& drive : drives)
        letters += drive.letter;
    EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
    EXPECT_EQ(std::set<char>(letters.begin(), letters.end()).size(), letters.size());
    const auto c = std::find_if(drives.begin(), drives.end(), [](const Drive& d) { return d.letter == "C"; });
    ASSERT_NE(c, drives.end());
    EXPECT_EQ(c->type, DriveType::Fixed);
    // Under Wine, Z: is the host's whole file system, never walked as this Windows' own drive.
    const auto z = std::find_if(drives.begin(), drives.end(), [](const Drive& d) { return d.letter == "Z"; });
    if (z != drives.end() && win32::WineUnixPath(L"Z:\\") == "/") {
        EXPECT_NE(z->type, DriveType::Fixed);
    }
    EXPECT_TRUE(files.GetVolumeInformation("C:\\"));
    EXPECT_FALSE(files.GetVolumeInformation("C:\\windows"));
    char buffer[260];
    const uint32_t n = files.GetWindowsDirectory(buffer);
    EXPECT_EQ(std::string(buffer, n), "C:\\windows");
}

TEST_F(Win32FileSystemTest, AShellLinkIsReadThroughTheShell) {
    const std::string link = folder + "\\to \xC3\xA9t\xC3\xA9.lnk";
    ASSERT_TRUE(testing::WriteShellLink(Utf8Path(link).wstring(),
                                        Utf8Path(folder + "\\\xC3\xA9t\xC3\xA9.dll").wstring(),
                                        Utf8Path(folder).wstring()));
    const auto fields = ReadLnkFile(Utf8Path(link));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->localPath, folder + "\\\xC3\xA9t\xC3\xA9.dll");
    EXPECT_EQ(fields->workingDirectory, folder);
    EXPECT_FALSE(ReadLnkFile(Utf8Path(folder + "\\A.txt")));
}

TEST_F(Win32FileSystemTest, TheProgramsOwnFilesAreReplacedWholeAndCreatedOnlyOnce) {
    const fs::path file = Utf8Path(folder + "\\settings \xC3\xA4.ini");
    ASSERT_EQ(ReplaceFileContent(file, "first"), 0);
    ASSERT_EQ(ReplaceFileContent(file, "second\r\n"), 0);
    EXPECT_EQ(ReadRegularFile(file), "second\r\n");
    EXPECT_EQ(CreateSynced(file, "x"), EEXIST);
    ASSERT_EQ(AppendSynced(file, "more"), 0);
    EXPECT_EQ(ReadRegularFile(file), "second\r\nmore");
    TruncateSynced(file, 6);
    EXPECT_EQ(ReadRegularFile(file), "second");
    const auto before = StampHostFile(file);
    ASSERT_TRUE(before);
    ASSERT_EQ(ReplaceFileContent(file, "third"), 0);
    EXPECT_NE(StampHostFile(file), before);
    // Nothing but the file is left in the folder by the replacements.
    for (const auto& entry : fs::directory_iterator(Utf8Path(folder)))
        EXPECT_FALSE(entry.path().filename().wstring().starts_with(L".settings")) << PathUtf8(entry.path());
}

} // namespace
} // namespace vx
