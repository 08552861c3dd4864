// The Shell's view of a target's items: the type and link flag from the target's classes, and the target
// path and working directory of real shortcut files (made by Windows, by Wine's shell, and by hand).
#include "platform/host_file_system.h"
#include "platform/shell_link_reader.h"
#include "platform/shortcut_files.h"
#include "support/fixture_prefix.h"
#include "support/memory_registry.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace vx {
namespace {
namespace fs = std::filesystem;

const fs::path kRealData = VANTRELIX_TESTDATA;
const fs::path kOwnData = fs::path(VANTRELIX_SOURCE_DIR) / "tests" / "shortcuts" / "data";

// The classes and folders a Wine prefix's registry holds, for a user "vx".
void AddWineBasics(test::MemoryRegistry& registry) {
    registry.String("HKCR\\.lnk", "", "lnkfile")
        .String("HKCR\\lnkfile", "", "Shortcut")
        .String("HKCR\\lnkfile", "IsShortcut", "yes")
        .String("HKCR\\.url", "", "InternetShortcut")
        .String("HKCR\\InternetShortcut", "", "Internet Shortcut")
        .String("HKCR\\InternetShortcut", "IsShortcut", "")
        .String("HKCR\\.txt", "", "txtfile")
        .String("HKCR\\txtfile", "", "Text Document")
        .String("HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "1252")
        .String("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files")
        .String("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir",
                "C:\\Program Files\\Common Files")
        .String("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProgramData",
                "C:\\ProgramData", REG_EXPAND_SZ)
        .String("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-18",
                "ProfileImagePath", "%systemroot%\\system32\\config\\systemprofile", REG_EXPAND_SZ)
        .String("HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-0-0-0-1000",
                "ProfileImagePath", "C:\\users\\vx")
        .String("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData",
                "C:\\users\\vx\\AppData\\Roaming")
        .String("HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment", "ComSpec",
                "%SystemRoot%\\system32\\cmd.exe", REG_EXPAND_SZ)
        .String("HKLM\\System\\CurrentControlSet\\Control\\Session Manager\\Environment", "TEMP",
                "%SystemRoot%\\temp", REG_EXPAND_SZ)
        .String("HKCU\\Environment", "TEMP", "%USERPROFILE%\\Temp", REG_EXPAND_SZ);
}

// Drive C is an empty temporary folder; D: holds the shared real-world files, E: this program's own.
class ShellLinkReaderTest : public ::testing::Test {
  protected:
    ShellLinkReaderTest() : files(Config()) { AddWineBasics(registry); }

    HostFileSystemConfig Config() const {
        HostFileSystemConfig config;
        config.drives = {HostDrive{'C', driveC.path(), DriveType::Fixed},
                         HostDrive{'D', kRealData, DriveType::Fixed},
                         HostDrive{'E', kOwnData, DriveType::Fixed}};
        config.windowsFolder = "C:\\windows";
        config.systemFolder = "C:\\windows\\system32";
        config.tempFolder = "C:\\windows\\temp";
        return config;
    }

    void Put(const std::string& relative, const std::string& contents) {
        const fs::path file = driveC.path() / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
    }
    static std::string Contents(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::optional<ShellItem> Item(std::string_view path) {
        const size_t slash = path.rfind('\\');
        return shell.GetItem(path.substr(0, slash + 1), path.substr(slash + 1));
    }

    test::TempDir driveC;
    HostFileSystem files;
    test::MemoryRegistry registry;
    TargetShellItems shell{files, registry};
};

TEST_F(ShellLinkReaderTest, EveryRealShortcutFileIsReadWithoutFault) {
    // Damaged, truncated and oddly encoded files among them: each gives an item and never a crash or leak
    // (the sanitizer build checks the latter).
    for (const auto& [root, drive] :
         {std::pair{kRealData, std::string("D:")}, std::pair{kOwnData, std::string("E:")}}) {
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string extension = entry.path().extension().string();
            if (!entry.is_regular_file() ||
                (extension != ".lnk" && extension != ".url" && extension != ".pif"))
                continue;
            std::string path = drive + "\\" + fs::relative(entry.path(), root).string();
            std::replace(path.begin(), path.end(), '/', '\\');
            const auto item = Item(path);
            ASSERT_TRUE(item) << path;
            EXPECT_FALSE(item->type.empty()) << path;
            if (!item->isLink) {
                EXPECT_TRUE(item->linkPath.empty() && item->workingDirectory.empty()) << path;
            }
        }
    }
}

TEST_F(ShellLinkReaderTest, TargetAndWorkingDirectoryOfRealShortcuts) {
    struct Case {
        std::string path;
        bool isLink;
        std::string linkPath;
        std::string workingDirectory;
    };
    const std::vector<Case> cases = {
        // Made by Windows.
        {"D:\\lnk\\pylnk\\local_file.lnk", true, "C:\\Windows\\explorer.exe", "C:\\Windows"},
        {"D:\\lnk\\lnkparse3\\microsoft_example.lnk", true, "C:\\test\\a.txt", "C:\\test"},
        // Only an environment-variable location: expanded against this target's Windows folder.
        {"D:\\lnk\\pylnk\\send_to_fax.lnk", true, "C:\\windows\\system32\\WFS.exe", ""},
        {"D:\\lnk\\plaso\\example.lnk", true, "C:\\windows\\system32\\migwiz\\migwiz.exe",
         "%windir%\\system32\\migwiz"},
        // A share reached through a mapped drive: only the network path is known.
        {"D:\\lnk\\pylnk\\mounted_folder1_file1.lnk", true,
         "\\\\192.168.138.2\\storage\\Downloads\\folder1\\file1.txt", "Z:\\Downloads\\folder1"},
        // Installer-advertised and app links: a link without a path.
        {"D:\\lnk\\lnkparse3\\darwin_block.lnk", true, "", ""},
        {"D:\\lnk\\pylnk\\uwp_calc.lnk", true, "", ""},
        // Damaged beyond liblnk's reading.
        {"D:\\lnk\\lnkparse3\\padded_cli_arguments.lnk", false, "", ""},
        {"D:\\url\\MsDiala_lab-01\\Bing.url", true, "http://go.microsoft.com/fwlink/p/?LinkId=255142", ""},
        // Made by Wine's shell.
        {"E:\\wine\\existing_target.lnk", true, "C:\\windows\\notepad.exe", "C:\\windows"},
        {"E:\\wine\\missing_target.lnk", true, "C:\\vx-missing\\gone.exe", "C:\\vx-missing"},
        {"E:\\wine\\homedrive_workdir.lnk", true, "C:\\vx-missing\\tool.exe", "%HOMEDRIVE%%HOMEPATH%"},
        {"E:\\wine\\shell_folder.lnk", true, "", ""},
        // Made by hand.
        {"E:\\handmade\\truncated.lnk", false, "", ""},
        {"E:\\handmade\\missing_file.url", true, "C:\\vx-missing\\read me.txt", ""},
        {"E:\\handmade\\existing_file.url", true, "C:\\windows\\notepad.exe", ""},
        {"E:\\handmade\\no_url.url", false, "", ""},
        {"E:\\handmade\\dos_program.pif", true, "C:\\VX-DOS\\EDIT.COM", ""},
        {"E:\\handmade\\short.pif", false, "", ""},
    };
    for (const auto& c : cases) {
        const auto item = Item(c.path);
        ASSERT_TRUE(item) << c.path;
        EXPECT_EQ(item->isLink, c.isLink) << c.path;
        EXPECT_EQ(item->linkPath, c.linkPath) << c.path;
        EXPECT_EQ(item->workingDirectory, c.workingDirectory) << c.path;
    }
}

TEST_F(ShellLinkReaderTest, SingleByteLinkTextFollowsTheTargetsCodePage) {
    // The link was made on a Cyrillic system; its ANSI path only reads right in that code page.
    registry.String("HKLM\\System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "1251");
    const auto item = Item("D:\\lnk\\lnkparse3\\decoding_error3.lnk");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->linkPath, "C:\\Users\\Дима\\Desktop\\PixelMod\\Mod for Pixelmon\\Error Fix.bat");
}

TEST_F(ShellLinkReaderTest, TypeAndLinkFlagComeFromTheTargetsClasses) {
    const std::string link = Contents(kOwnData / "wine" / "existing_target.lnk");
    Put("files/notes.txt", "x");
    Put("files/data.xyz", "x");
    Put("files/README", "x");
    Put("files/dosapp.pif", Contents(kOwnData / "handmade" / "dos_program.pif"));
    Put("files/App.LNK", link);
    fs::create_directories(driveC.path() / "files" / "sub.lnk");
    struct Case {
        std::string name;
        bool isLink;
        std::string type;
    };
    const std::vector<Case> cases = {
        {"notes.txt", false, "Text Document"},
        {"data.xyz", false, "XYZ File"},
        {"README", false, "File"},
        {"sub.lnk", false, "File folder"},
        {"app.lnk", true, "Shortcut"},                      // looked up without regard to case
        {"dosapp.pif", true, "Shortcut to MS-DOS Program"}, // no class in the registry: the Shell's own
    };
    for (const auto& c : cases) {
        const auto item = shell.GetItem("C:\\files\\", c.name);
        ASSERT_TRUE(item) << c.name;
        EXPECT_EQ(item->isLink, c.isLink) << c.name;
        EXPECT_EQ(item->type, c.type) << c.name;
    }
    EXPECT_FALSE(shell.GetItem("C:\\files\\", "absent.lnk"));
    EXPECT_FALSE(shell.GetItem("C:\\no-such-folder\\", "app.lnk"));
    EXPECT_FALSE(shell.GetItem("Q:\\", "app.lnk"));
}

TEST_F(ShellLinkReaderTest, ClassesOfTheRegistryOverrideTheShellsDefaults) {
    Put("links/app.lnk", Contents(kOwnData / "wine" / "existing_target.lnk"));
    struct Case {
        std::string what;
        std::function<void(test::MemoryRegistry&)> classes;
        bool isLink;
        std::string type;
    };
    const std::vector<Case> cases = {
        {"a translated description", [](auto& r) { r.String("HKCR\\lnkfile", "", "Verknüpfung"); }, true,
         "Verknüpfung"},
        {"a class without IsShortcut is no link",
         [](auto& r) { r.String("HKCR\\.lnk", "", "plainfile").String("HKCR\\plainfile", "", "Plain"); },
         false, "Plain"},
        {"an extension whose class is missing keeps the Shell's own",
         [](auto& r) { r.String("HKCR\\.lnk", "", "gonefile"); }, true, "Shortcut"},
    };
    for (const auto& c : cases) {
        test::MemoryRegistry classes;
        AddWineBasics(classes);
        c.classes(classes);
        TargetShellItems reader(files, classes);
        const auto item = reader.GetItem("C:\\links\\", "app.lnk");
        ASSERT_TRUE(item) << c.what;
        EXPECT_EQ(item->isLink, c.isLink) << c.what;
        EXPECT_EQ(item->type, c.type) << c.what;
        if (c.isLink) {
            EXPECT_EQ(item->linkPath, "C:\\windows\\notepad.exe") << c.what;
        }
    }
}

TEST_F(ShellLinkReaderTest, EnvironmentLocationsExpandAgainstTheTarget) {
    TargetEnvironment environment(files, registry);
    struct Case {
        std::string text;
        std::string expanded;
    };
    const std::vector<Case> cases = {
        {"%SystemRoot%\\system32\\cmd.exe", "C:\\windows\\system32\\cmd.exe"},
        {"%WINDIR%\\notepad.exe", "C:\\windows\\notepad.exe"},
        {"%ProgramFiles%\\App\\app.exe", "C:\\Program Files\\App\\app.exe"},
        {"%CommonProgramFiles%\\x.dll", "C:\\Program Files\\Common Files\\x.dll"},
        {"%ProgramData%\\x", "C:\\ProgramData\\x"},
        {"%USERPROFILE%\\Desktop", "C:\\users\\vx\\Desktop"},
        {"%HOMEDRIVE%%HOMEPATH%", "C:\\users\\vx"},
        {"C:\\Users\\%USERNAME%\\x", "C:\\Users\\vx\\x"},
        {"%APPDATA%\\.minecraft", "C:\\users\\vx\\AppData\\Roaming\\.minecraft"},
        {"%ComSpec%", "C:\\windows\\system32\\cmd.exe"}, // the machine's environment, itself expanded
        {"%TEMP%", "C:\\users\\vx\\Temp"},               // the user's environment wins
        {"%NoSuchVariable%\\x", "%NoSuchVariable%\\x"},
        {"%nosuch%windir%", "%nosuchC:\\windows"},
        {"100% sure", "100% sure"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(environment.Expand(c.text), c.expanded) << c.text;
}

TEST(TargetPathOfUrl, FileUrlsBecomeWindowsPaths) {
    struct Case {
        std::string url;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"file:///C:/x/y.txt", "C:\\x\\y.txt"},
        {"FILE:///c:/Program%20Files/a%25b.exe", "c:\\Program Files\\a%b.exe"},
        {"file:C:\\x\\y.txt", "C:\\x\\y.txt"},
        {"file://C:/x", "C:\\x"},
        {"file://localhost/C:/x", "C:\\x"},
        {"file:///C|/x", "C:\\x"},
        {"file://server/share/doc.txt", "\\\\server\\share\\doc.txt"},
        {"file:////server/share/doc.txt", "\\\\server\\share\\doc.txt"},
        {"file:///C:/%D0%94%D0%B8%D0%BC%D0%B0", "C:\\Дима"},
        {"http://example.org/file:///C:/x", "http://example.org/file:///C:/x"},
        {"mailto:someone@example.org", "mailto:someone@example.org"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TargetPathOfUrl(c.url), c.path) << c.url;
}

} // namespace
} // namespace vx
