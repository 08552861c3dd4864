// Every checker over a real fixture prefix whose "existing" files exist: value text in, the recorded
// KeyValue and DefaultOrNot out (or no finding).
#include "checks/problem_list.h"
#include "checks/section_checkers.h"
#include "platform/root_keys.h"
#include "support/test_app.h"

#include <gtest/gtest.h>
#include <sys/xattr.h>

namespace vx {
namespace {
using test::FindingsOf;

using test::ContextOf;
using test::ModelOf;

using test::FixturePrefix;
using test::TestApp;
using Checker = void (*)(CheckContext&, const RegistryEntry&);

struct Case {
    const char* label;
    Checker checker;
    std::string valueName;
    std::string valueText;
    // Expected findings: KeyValue and DefaultOrNot of each, in order.
    std::vector<std::pair<std::string, std::string>> found;
};

class CheckersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .Drive('D', "hd")
            .File("C:\\Program Files\\App\\app.exe")
            .File("C:\\Program Files\\My.App\\app.exe")
            .File("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe")
            .File("C:\\Program Files\\Common Files\\System\\ado\\msado15.dll")
            .File("C:\\windows\\Help\\notepad.hlp")
            .File("C:\\windows\\system\\vmm32\\ios.vxd")
            .File("C:\\windows\\system32\\ios.vxd")
            .File("C:\\windows\\system32\\msxml3.dll")
            .File("C:\\windows\\system32\\.hidden.dll")
            .File("C:\\windows\\system32\\hidsys.dll")
            .File("C:\\windows\\system32\\Über.dll")
            .File("C:\\Program Files\\App\\uninst.exe")
            .File("C:\\Program Files\\App\\Ctor.dll")
            .Folder("C:\\windows\\system32\\folder.dll");
        const auto hidsys = prefix.HostPathOf("C:\\windows\\system32\\hidsys.dll");
        ASSERT_EQ(setxattr(hidsys.c_str(), "user.DOSATTRIB", "0x6", 3, 0), 0);
        app = std::make_unique<TestApp>(prefix.WriteAndOpen());
        ASSERT_TRUE(app->target);
    }

    std::vector<std::pair<std::string, std::string>> Run(const Case& c) {
        FindingsOf(**app).lvwErrors.clear();
        c.checker(ContextOf(**app), RegistryEntry{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", c.valueName,
                                                  c.valueText, "Section", "Some\\Key"});
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& row : FindingsOf(**app).lvwErrors)
            found.emplace_back(row.KeyValue, row.DefaultOrNot);
        return found;
    }

    void RunTable(const std::vector<Case>& cases) {
        for (const auto& c : cases)
            EXPECT_EQ(Run(c), c.found) << c.label << ": [" << c.valueName << "] = [" << c.valueText << "]";
    }

    FixturePrefix prefix;
    std::unique_ptr<TestApp> app;
};

const std::string kSys = "C:\\windows\\system32\\";

TEST_F(CheckersTest, ComEntries) {
    RunTable({
        {"existing server", CheckComEntry, "", "C:\\WINDOWS\\system32\\shell32.dll", {}},
        {"missing server",
         CheckComEntry,
         "",
         "C:\\windows\\system32\\gone.dll",
         {{"C:\\windows\\system32\\gone.dll", ""}}},
        {"quoted missing server", CheckComEntry, "", "\"C:\\x\\a.ocx\"", {{"C:\\x\\a.ocx", ""}}},
        {"bare existing", CheckComEntry, "", "shell32.dll", {}},
        {"bare missing", CheckComEntry, "", "foo.dll", {{kSys + "foo.dll", "Yes"}}},
        {"bare .dll", CheckComEntry, "", ".dll", {}},
        {"ax accepted", CheckComEntry, "", "C:\\x\\filter.ax", {{"C:\\x\\filter.ax", ""}}},
        {"icon index", CheckComEntry, "", "C:\\WINDOWS\\system32\\gone.dll,-101", {}},
        {"quoted path with switch", CheckComEntry, "", "\"C:\\x\\srv.exe\" /automation", {}},
        {"version number", CheckComEntry, "", "1.0", {}},
        {"network path", CheckComEntry, "", "\\\\server\\share\\x.dll", {}},
        {"missing drive", CheckComEntry, "", "Q:\\x\\y.dll", {}},
        {"systemroot", CheckComEntry, "", "%SystemRoot%\\System32\\msxml3.dll", {}},
        {"systemroot missing",
         CheckComEntry,
         "",
         "%SystemRoot%\\System32\\gone.dll",
         {{"C:\\windows\\System32\\gone.dll", ""}}},
        {"sysroot as the windows folder",
         CheckComEntry,
         "",
         "%Sysroot%\\System32\\gone.dll",
         {{"C:\\windows\\System32\\gone.dll", ""}}},
        {"sysroot existing", CheckComEntry, "", "%Sysroot%\\System32\\msxml3.dll", {}},
        {"common files", CheckComEntry, "", "%CommonProgramFiles%\\System\\ado\\msado15.dll", {}},
        {"program files missing",
         CheckComEntry,
         "",
         "%ProgramFiles%\\Gone\\g.exe",
         {{"C:\\Program Files\\Gone\\g.exe", ""}}},
        {"hidden file exists", CheckComEntry, "", kSys + ".hidden.dll", {}},
        {"hidden and system file exists", CheckComEntry, "", kSys + "hidsys.dll", {}},
        {"folder is not a file", CheckComEntry, "", kSys + "folder.dll", {{kSys + "folder.dll", ""}}},
        {"case and non-ASCII", CheckComEntry, "", "c:\\WINDOWS\\SYSTEM32\\über.DLL", {}},
        {"wildcard existing", CheckComEntry, "", "C:\\windows\\system32\\shell*.dll", {}},
        {"malformed path counts as existing", CheckComEntry, "", "C:\\x<y\\z.dll", {}},
        {"trailing blank in a component", CheckComEntry, "", "C:\\windows \\system32\\shell32.dll", {}},
    });
}

TEST_F(CheckersTest, ProgramIdentifiersThatLookLikeFileNamesAreNotFiles) {
    struct KeyCase {
        std::string keyPath;
        size_t found;
    };
    for (const auto& c : std::vector<KeyCase>{{"CLSID\\{6BF52A52}\\VersionIndependentProgId", 0},
                                              {"CLSID\\{6BF52A52}\\ProgID", 0},
                                              {"CLSID\\{6BF52A52}\\InprocServer32", 1}}) {
        FindingsOf(**app).lvwErrors.clear();
        CheckComEntry(ContextOf(**app), RegistryEntry{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "",
                                                      "WMPlayer.OCX", "ActiveX \\ COM", c.keyPath});
        EXPECT_EQ(FindingsOf(**app).lvwErrors.size(), c.found) << c.keyPath;
    }
}

TEST_F(CheckersTest, AppPathEntries) {
    RunTable({
        {"existing", CheckAppPathEntry, "", "C:\\Program Files\\App\\app.exe", {}},
        {"missing",
         CheckAppPathEntry,
         "",
         "C:\\Program Files\\Gone\\app.exe",
         {{"C:\\Program Files\\Gone\\app.exe", ""}}},
        {"path value", CheckAppPathEntry, "Path", "C:\\Program Files\\App;", {}},
        {"ax not accepted", CheckAppPathEntry, "", "C:\\x\\filter.ax", {}},
        {"unreachable network path counts as existing",
         CheckAppPathEntry,
         "",
         "\\\\server\\share\\x.exe",
         {}},
        // Tested unchanged: without a drive letter the path cannot be searched, which counts as existing.
        {"sysroot tested unchanged", CheckAppPathEntry, "", "%Sysroot%\\x.exe", {}},
        {"leading dot tested", CheckAppPathEntry, "", ".exe", {{kSys + ".exe", "Yes"}}},
        {"bare missing", CheckAppPathEntry, "", "tool.exe", {{kSys + "tool.exe", "Yes"}}},
    });
}

TEST_F(CheckersTest, PlaceholderBranchesKeepABlankNameOnlyForTheWindowsAndProgramFolders) {
    struct NameCase {
        std::string text;
        std::string keyName;
    };
    for (const auto& c : std::vector<NameCase>{{"%SystemRoot%\\gone.dll", "  "},
                                               {"%ProgramFiles%\\gone.dll", "  "},
                                               {"%commonprogramfiles%\\gone.dll", "(Default)"}}) {
        FindingsOf(**app).lvwErrors.clear();
        CheckComEntry(ContextOf(**app), RegistryEntry{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "  ", c.text,
                                                      "ActiveX \\ COM", "CLSID\\{x}"});
        ASSERT_EQ(FindingsOf(**app).lvwErrors.size(), 1u) << c.text;
        EXPECT_EQ(FindingsOf(**app).lvwErrors[0].KeyName, c.keyName) << c.text;
        EXPECT_EQ(FindingsOf(**app).lvwErrors[0].MainKey, "-2147483648");
    }
}

TEST_F(CheckersTest, FileReferenceEntries) {
    RunTable({
        {"help folder", CheckHelpEntry, "notepad.hlp", "C:\\WINDOWS\\Help", {}},
        {"help folder with backslash", CheckHelpEntry, "notepad.hlp", "C:\\WINDOWS\\Help\\", {}},
        {"help missing",
         CheckHelpEntry,
         "gone.hlp",
         "C:\\WINDOWS\\Help",
         {{"C:\\WINDOWS\\Help\\gone.hlp", ""}}},
        {"help empty", CheckHelpEntry, "x.hlp", "", {}},
        {"help blank folder", CheckHelpEntry, "gone.hlp", "   ", {{kSys + "   ", "Yes"}}},
        // A path that cannot be searched (no drive letter) counts as existing.
        {"help path without drive", CheckHelpEntry, "x.hlp", "Help", {}},
        {"shared existing",
         CheckSharedEntry,
         "",
         "C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo\\msinfo32.exe",
         {}},
        {"shared missing",
         CheckSharedEntry,
         "",
         "C:\\Program Files\\Gone\\x.exe",
         {{"C:\\Program Files\\Gone\\x.exe", ""}}},
        {"shared with switch", CheckSharedEntry, "", "C:\\Program Files\\Gone\\x.exe /s", {}},
        {"shared quoted", CheckSharedEntry, "", "\"C:\\Program Files\\Gone\\x.exe\"", {}},
        {"shared text before drive", CheckSharedEntry, "", "run C:\\Gone\\x.exe", {{"C:\\Gone\\x.exe", ""}}},
        {"shared network", CheckSharedEntry, "", "\\\\srv\\x\\y.dll", {}},
        {"shared bare missing", CheckSharedEntry, "", "msinfo32.exe", {{kSys + "msinfo32.exe", "Yes"}}},
        {"shared bare present", CheckSharedEntry, "", "shell32.dll", {}},
        {"shared wildcard", CheckSharedEntry, "", "*.dll", {}},
        {"shared no dot", CheckSharedEntry, "", "C:\\Gone\\x", {}},
        {"vxd no dot", CheckVxdEntry, "", "*VMM", {}},
        {"vxd path", CheckVxdEntry, "", "C:\\WINDOWS\\system\\vmm32\\ios.vxd", {}},
        {"vxd path missing",
         CheckVxdEntry,
         "",
         "C:\\WINDOWS\\system\\gone.vxd",
         {{"C:\\WINDOWS\\system\\gone.vxd", ""}}},
        {"vxd bare", CheckVxdEntry, "", "ios.vxd", {}},
        {"vxd bare missing", CheckVxdEntry, "", "gone.vxd", {{kSys + "gone.vxd", "Yes"}}},
        {"vxd wildcard tested", CheckVxdEntry, "", "*.vxd", {}},
        {"font bare", CheckFontEntry, "Arial", "ARIAL.TTF", {}},
        {"font bare missing", CheckFontEntry, "Gone", "gone.ttf", {{"C:\\windows\\Fonts\\gone.ttf", ""}}},
        {"font path missing", CheckFontEntry, "X", "D:\\MyFonts\\x.ttf", {{"D:\\MyFonts\\x.ttf", ""}}},
        {"font blank", CheckFontEntry, "X", "  ", {{"C:\\windows\\Fonts\\  ", ""}}},
        {"font empty", CheckFontEntry, "X", "", {}},
    });
}

TEST_F(CheckersTest, CommandLineEntries) {
    RunTable({
        {"full path", CheckCommandLineEntry, "x", "C:\\WINDOWS\\system32\\rundll32.exe", {}},
        {"bare present", CheckCommandLineEntry, "x", "rundll32.exe", {}},
        {"bare missing", CheckCommandLineEntry, "x", "ctfmon.exe", {{kSys + "ctfmon.exe", "Yes"}}},
        {"dash switch",
         CheckCommandLineEntry,
         "x",
         "C:\\PROGRA~1\\Gone\\app.exe -tray",
         {{"C:\\PROGRA~1\\Gone\\app.exe", ""}}},
        {"slash switch",
         CheckCommandLineEntry,
         "x",
         "C:\\Program Files\\Gone\\app.exe /background",
         {{"C:\\Program Files\\Gone\\app.exe", ""}}},
        {"entry point",
         CheckCommandLineEntry,
         "x",
         "rundll32.exe gone32.dll,Control_RunDLL",
         {{kSys + "gone32.dll", "Yes"}}},
        {"argument without switch", CheckCommandLineEntry, "x", "C:\\Program Files\\App\\gone.exe arg", {}},
        {"two dots", CheckCommandLineEntry, "x", "app.beta.exe", {}},
        {"dot in folder, one path",
         CheckCommandLineEntry,
         "x",
         "C:\\Program Files\\My.App\\gone.exe",
         {{"C:\\Program Files\\My.App\\gone.exe", ""}}},
        {"dot in folder, existing", CheckCommandLineEntry, "x", "C:\\Program Files\\My.App\\app.exe", {}},
        {"blank", CheckCommandLineEntry, "x", "   ", {}},
        {"quoted with switch",
         CheckCommandLineEntry,
         "x",
         "\"C:\\Program Files\\Gone\\p.exe\" /tray",
         {{"C:\\Program Files\\Gone\\p.exe", ""}}},
    });
}

TEST_F(CheckersTest, UninstallEntriesRouteByName) {
    const std::string twoPaths = "RunDll32 C:\\PROGRA~1\\Gone\\Ctor.dll,LaunchSetup \"C:\\Program "
                                 "Files\\Gone2\\setup.exe\" -l0x9 -remove";
    RunTable({
        {"uninstall string, any case",
         CheckUninstallEntry,
         "uNiNsTaLlStRiNg",
         "C:\\Gone\\un.exe",
         {{"C:\\Gone\\un.exe", ""}}},
        {"uninstall path",
         CheckUninstallEntry,
         "UninstallPath",
         "C:\\Gone\\un.exe",
         {{"C:\\Gone\\un.exe", ""}}},
        {"display name passed over", CheckUninstallEntry, "DisplayName", "C:\\Gone\\un.exe", {}},
        {"two drive paths",
         CheckUninstallEntry,
         "UninstallString",
         twoPaths,
         {{"C:\\PROGRA~1\\Gone\\Ctor.dll", ""}, {"C:\\Program Files\\Gone2\\setup.exe", ""}}},
        {"display icon",
         CheckUninstallEntry,
         "DisplayIcon",
         "C:\\Program Files\\Gone\\app.exe,0",
         {{"C:\\Program Files\\Gone\\app.exe", ""}}},
        {"display icon existing",
         CheckUninstallEntry,
         "DisplayIcon",
         "C:\\Program Files\\App\\app.exe,0",
         {}},
        {"display icon bare", CheckUninstallEntry, "DisplayIcon", "gone.exe,0", {{kSys + "gone.exe", "Yes"}}},
        {"install source folder", CheckUninstallEntry, "InstallSource", "C:\\Installers\\Tool\\", {}},
        {"modify path web address", CheckUninstallEntry, "ModifyPath", "http://x.example/setup.exe", {}},
        {"install source network", CheckUninstallEntry, "InstallSource", "\\\\srv\\x\\setup.exe", {}},
        {"quiet msiexec present",
         CheckUninstallEntry,
         "QuietUninstallString",
         "MsiExec.exe /X{1234-5678}",
         {}},
        {"quiet bare missing",
         CheckUninstallEntry,
         "QuietUninstallString",
         "Gone.exe /X{1234-5678}",
         {{kSys + "Gone.exe", "Yes"}}},
        {"quiet full path and switch",
         CheckUninstallEntry,
         "QuietUninstallString",
         "\"C:\\Program Files\\Gone\\uninst.exe\" /S",
         {}},
        {"quiet host and path",
         CheckUninstallEntry,
         "QuietUninstallString",
         "rundll32.exe C:\\Gone\\x.dll,Uninstall",
         {{"C:\\Gone\\x.dll", ""}}},
    });
}

TEST_F(CheckersTest, DrivePathsCutsBothPiecesOrOne) {
    struct DriveCase {
        std::string text;
        std::vector<std::string> found;
    };
    const std::vector<DriveCase> cases = {
        {"C:\\Gone\\one.exe /s", {"C:\\Gone\\one.exe"}},
        {"C:\\Gone\\one.exe", {"C:\\Gone\\one.exe"}},
        // The first piece runs up to the second drive letter, blank included.
        {"C:\\Gone\\one.exe C:\\Gone\\two.dll", {"C:\\Gone\\one.exe ", "C:\\Gone\\two.dll"}},
        {"x C:\\Gone\\one.exe C:\\Gone\\two.dll", {"C:\\Gone\\one.exe", "C:\\Gone\\two.dll"}},
        {"C:\\Program Files\\App\\uninst.exe C:\\Gone\\two.dll,Run", {"C:\\Gone\\two.dll"}},
        {"C:\\Gone\\long.extension C:\\x.dll", {"C:\\Gone\\long.ext", "C:\\x.dll"}},
        {"no drive", {}},
    };
    for (const auto& c : cases) {
        FindingsOf(**app).lvwErrors.clear();
        const RegistryEntry entry{
            HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "UninstallString", c.text, "Uninstall Section", "K"};
        CheckDrivePaths(ContextOf(**app), entry, c.text);
        std::vector<std::string> found;
        for (const auto& row : FindingsOf(**app).lvwErrors) {
            found.push_back(row.KeyValue);
            EXPECT_EQ(row.DefaultOrNot, "");
        }
        EXPECT_EQ(found, c.found) << c.text;
    }
}

TEST_F(CheckersTest, QuietUninstallWithTwoDrivePaths) {
    RunTable({
        {"quiet two paths",
         CheckQuietUninstallEntry,
         "QuietUninstallString",
         "C:\\Gone\\a.exe C:\\Gone\\b.dll",
         {{"C:\\Gone\\a.exe ", ""}, {"C:\\Gone\\b.dll", ""}}},
        {"quiet one path after host",
         CheckQuietUninstallEntry,
         "QuietUninstallString",
         "RunDll32.exe C:\\Gone\\a.dll",
         {{"C:\\Gone\\a.dll", ""}}},
    });
}

TEST_F(CheckersTest, FindingsCountAndSoundFollowTheSettings) {
    App& a = **app;
    const RegistryEntry entry{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE",         "",
                              "gone.dll",         "ActiveX \\ COM Subsections", "K"};
    a.SaveSetting("chkPlaySound", "1");
    a.SaveSetting("txtWaveFilesPath", "C:\\windows\\Media\\missing.wav");
    for (int i = 0; i < 3; ++i)
        CheckComEntry(ContextOf(a), entry);
    EXPECT_EQ(ModelOf(a).lblProblemsFound, "3");
    EXPECT_TRUE(app->sound.played.empty());

    prefix.File("C:\\windows\\Media\\ding.wav", "RIFF");
    a.SaveSetting("txtWaveFilesPath", "  C:\\windows\\Media\\DING.wav  ");
    CheckComEntry(ContextOf(a), entry);
    ASSERT_EQ(app->sound.played.size(), 1u);
    EXPECT_EQ(app->sound.played[0].filename(), "ding.wav");

    a.SaveSetting("chkPlaySound", "0");
    CheckComEntry(ContextOf(a), entry);
    EXPECT_EQ(app->sound.played.size(), 1u);
    EXPECT_EQ(ModelOf(a).lblProblemsFound, "5");

    ModelOf(a).lblProblemsFound = "n/a";
    CheckComEntry(ContextOf(a), entry);
    EXPECT_EQ(ModelOf(a).lblProblemsFound, "6")
        << "the counter shows the engine's count, not a sum of labels";
}

} // namespace
} // namespace vx
