// The registry of an offline Windows volume over real hives: what Windows shows where, in Windows' order,
// which user is HKEY_CURRENT_USER, and hives that are missing, damaged, dirty or not hives at all.
#include "platform/root_keys.h"
#include "support/hive_volume.h"
#include "support/registry_test_prefix.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>

namespace vx {
namespace {

using test::ClassesHive;
using test::FixtureVolume;
using test::HiveBuilder;
using test::kSoftwareHive;
using test::kSystemHive;
using test::UserHive;

// The volume most tests use: the Windows 10 hives of the user bperry, and the template profile.
FixtureVolume& Windows10(FixtureVolume& volume) {
    return volume.Hive(kSystemHive, "hives/win10_SYSTEM")
        .Hive(UserHive("bperry"), "hives/win10_NTUSER.DAT")
        .Hive(ClassesHive("bperry"), "hives/win10_UsrClass.dat")
        .Hive(UserHive("Default"), "hives/win7_NTUSER-RunTests.DAT");
}

std::optional<std::string> ReadText(Registry& registry, HKEY root, const std::string& path,
                                    std::string_view name) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<uint8_t> data(4096);
    uint32_t size = static_cast<uint32_t>(data.size());
    const Status status = registry.RegQueryValueEx(key, name, nullptr, data, &size);
    registry.RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(data.begin(), data.begin() + size);
    return text.substr(0, text.find('\0'));
}

Status OpenStatus(Registry& registry, HKEY root, const std::string& path, uint32_t access = KEY_READ) {
    HKEY key = 0;
    const Status status = registry.RegOpenKeyEx(root, path, access, key);
    if (status == ERROR_SUCCESS)
        registry.RegCloseKey(key);
    return status;
}

std::vector<std::string> ValueNames(Registry& registry, HKEY root, const std::string& path) {
    std::vector<std::string> names;
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return names;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 16384;
        if (registry.RegEnumValue(key, i, name, size, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    registry.RegCloseKey(key);
    return names;
}

// Every key below root\path, depth first in enumeration order, relative to path ("" for path itself).
void KeyPaths(Registry& registry, HKEY root, const std::string& path, const std::string& relative,
              std::vector<std::string>& out, std::string_view skip = {}) {
    out.push_back(relative);
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> children;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 256;
        if (registry.RegEnumKeyEx(key, i, name, size) != ERROR_SUCCESS)
            break;
        if (relative.empty() && name == skip)
            continue;
        children.push_back(name);
    }
    registry.RegCloseKey(key);
    for (const auto& child : children)
        KeyPaths(registry, root, path + "\\" + child, relative.empty() ? child : relative + "\\" + child,
                 out);
}

TEST(HiveRegistry, RegQueryShowsTheRealHivesWhereWindowsShowsThem) {
    FixtureVolume volume;
    Windows10(volume);
    struct Case {
        std::vector<std::string> args;
        std::string shown;
    };
    const Case cases[] = {
        {{"query", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v", "Spotify"},
         "    Spotify    REG_SZ    \"C:\\Users\\bperry\\AppData\\Roaming\\Spotify\\Spotify.exe\" -autostart "
         "-minimized\n"},
        {{"query", "HKU\\bperry\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v",
          "Spotify Web Helper"},
         "    Spotify Web Helper    REG_SZ    "
         "\"C:\\Users\\bperry\\AppData\\Roaming\\Spotify\\SpotifyWebHelper.exe\"\n"},
        // The link Windows makes to the control set it boots with.
        {{"query", "HKLM\\SYSTEM\\CurrentControlSet\\Control", "/v", "CurrentUser"},
         "    CurrentUser    REG_SZ    USERNAME\n"},
        {{"query", "hklm\\system\\SELECT", "/v", "Current"}, "    Current    REG_DWORD    0x1\n"},
        // The user's classes, as HKCR, as HKCU\Software\Classes and as their own key below HKU.
        {{"query", "HKCR\\.3g2\\OpenWithProgids"},
         "    AppXhjhjmgrfm2d7rd026az898dy2p1pcsyt    REG_NONE    \n"},
        {{"query", "HKCU\\Software\\Classes\\.3g2\\OpenWithProgids"}, "AppXhjhjmgrfm2d7rd026az898dy2p1pcsyt"},
        {{"query", "HKU"}, "HKEY_USERS\\bperry\nHKEY_USERS\\bperry_Classes\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{VANTRELIX_CLI, "--windows", volume.root().string(), "reg"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const test::ProgramRun run = test::RunProgram(argv);
        EXPECT_EQ(run.status, 0) << c.args[1] << run.err;
        EXPECT_NE(run.out.find(c.shown), std::string::npos) << c.args[1] << "\n" << run.out;
    }
}

TEST(HiveRegistry, EnumeratesKeysInTheHivesOrderAndValuesAsTheHiveStoresThem) {
    FixtureVolume volume;
    auto target = Windows10(volume).Open();
    ASSERT_TRUE(target);
    Registry& registry = target->registry();
    EXPECT_EQ(ValueNames(registry, HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
              (std::vector<std::string>{"Spotify Web Helper", "Spotify"}))
        << "stored order, as RegEnumValue returns it on Windows";

    struct Case {
        HKEY root;
        std::string path;
        std::string hive;
        std::string skip; // a key Windows adds that the file does not hold
    };
    const Case cases[] = {
        {HKEY_USERS, "bperry_Classes", ClassesHive("bperry"), ""},
        {HKEY_LOCAL_MACHINE, "SYSTEM", std::string(kSystemHive), "CurrentControlSet"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> shown;
        KeyPaths(registry, c.root, c.path, "", shown, c.skip);
        EXPECT_EQ(shown, test::HiveKeyPaths(volume.HostPathOf(c.hive))) << c.path;
    }
}

TEST(HiveRegistry, CurrentControlSetIsTheControlSetThatSelectNames) {
    struct Case {
        std::optional<uint32_t> current;
        std::optional<std::string> seen; // HKLM\SYSTEM\CurrentControlSet\Control "Which"
    };
    for (const Case& c :
         {Case{1, "one"}, Case{2, "two"}, Case{std::nullopt, std::nullopt}, Case{7, std::nullopt}}) {
        FixtureVolume volume;
        {
            HiveBuilder system(volume.HostPathOf(kSystemHive));
            system.String("ControlSet001\\Control", "Which", "one")
                .String("ControlSet002\\Control", "Which", "two");
            if (c.current)
                system.Dword("Select", "Current", *c.current);
        }
        auto target = volume.Open();
        ASSERT_TRUE(target);
        EXPECT_EQ(
            ReadText(target->registry(), HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control", "Which"),
            c.seen);
    }
}

TEST(HiveRegistry, AMissingHiveIsAMissingRoot) {
    FixtureVolume userOnly;
    userOnly.Hive(UserHive("bperry"), "hives/win10_NTUSER.DAT");
    auto target = userOnly.Open();
    ASSERT_TRUE(target);
    Registry& registry = target->registry();
    EXPECT_EQ(OpenStatus(registry, HKEY_LOCAL_MACHINE, "SOFTWARE"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenStatus(registry, HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(OpenStatus(registry, HKEY_CURRENT_USER, "Software\\Classes"), ERROR_FILE_NOT_FOUND)
        << "no UsrClass.dat";
    EXPECT_EQ(OpenStatus(registry, HKEY_CURRENT_USER, "Software\\Spotify"), ERROR_SUCCESS);

    FixtureVolume machineOnly;
    HiveBuilder(machineOnly.HostPathOf(kSoftwareHive)).String("Classes\\.txt", "", "txtfile");
    std::string error;
    std::vector<std::string> warnings;
    auto machine = OpenWindowsVolumeTarget(machineOnly.root(), "", error, warnings);
    ASSERT_TRUE(machine) << error;
    EXPECT_EQ(OpenStatus(machine->registry(), HKEY_CURRENT_USER, ""), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ReadText(machine->registry(), HKEY_CLASSES_ROOT, ".txt", ""), "txtfile");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("HKEY_CURRENT_USER is empty"), std::string::npos) << warnings[0];
}

TEST(WindowsVolume, TakesTheNamedUserOrTheOnlyOne) {
    struct Case {
        std::vector<std::string> profiles; // folders of Users holding an NTUSER.DAT
        std::string user;                  // --user
        std::string chosen;                // HKEY_USERS\<chosen>, or empty for an error
        std::string error;
    };
    const Case cases[] = {
        {{"bperry", "Default"}, "", "bperry", ""},
        {{"bperry", "Default"}, "DEFAULT", "Default", ""},
        {{"bperry", "nfury"}, "NFury", "nfury", ""},
        {{"bperry", "nfury", "Default"},
         "",
         "",
         "2 users have a profile here (bperry, nfury); choose one with --user NAME"},
        {{"bperry"}, "ghost", "", "no user \"ghost\" with an NTUSER.DAT in Users; users: bperry"},
    };
    for (const Case& c : cases) {
        FixtureVolume volume;
        volume.File("C:\\Users\\Public\\desktop.ini"); // a profile folder without a hive
        for (const auto& profile : c.profiles)
            volume.Hive(UserHive(profile), "hives/win7_NTUSER-RunTests.DAT");
        HiveLocations hives;
        std::string error;
        std::vector<std::string> warnings;
        const bool found = LocateWindowsHives(volume.root(), c.user, hives, error, warnings);
        EXPECT_EQ(found, !c.chosen.empty()) << c.user << error;
        EXPECT_EQ(hives.userName, c.chosen);
        if (!c.error.empty()) {
            EXPECT_EQ(error, volume.root().string() + ": " + c.error);
        }
    }
}

TEST(WindowsVolume, FindsItsHivesWithoutRegardToCase) {
    FixtureVolume volume;
    volume.Hive("C:\\WINDOWS\\system32\\Config\\software", "hives/edge/hivex_minimal")
        .Hive("C:\\WINDOWS\\system32\\Config\\System", "hives/win10_SYSTEM")
        .Hive("C:\\users\\BPerry\\ntuser.dat", "hives/win10_NTUSER.DAT")
        .Hive("C:\\users\\BPerry\\appdata\\LOCAL\\microsoft\\windows\\usrclass.DAT",
              "hives/win10_UsrClass.dat");
    HiveLocations hives;
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(LocateWindowsHives(volume.root(), "", hives, error, warnings)) << error;
    EXPECT_EQ(hives.software, volume.HostPathOf("C:\\WINDOWS\\system32\\Config\\software"));
    EXPECT_EQ(hives.system, volume.HostPathOf("C:\\WINDOWS\\system32\\Config\\System"));
    EXPECT_EQ(hives.user, volume.HostPathOf("C:\\users\\BPerry\\ntuser.dat"));
    EXPECT_EQ(hives.userClasses,
              volume.HostPathOf("C:\\users\\BPerry\\appdata\\LOCAL\\microsoft\\windows\\usrclass.DAT"));
    EXPECT_EQ(hives.userName, "BPerry");
}

TEST(HiveFile, UnusualHivesAreOpenedAndOthersRefusedInOneLine) {
    const std::string truncated = [] {
        std::ifstream in(test::Testdata("hives/win10_NTUSER.DAT"), std::ios::binary);
        std::string head(8192, '\0');
        in.read(head.data(), head.size());
        return head;
    }();
    struct Case {
        std::string hive;     // a test-data hive, or "text:" and the file's content
        std::string refusal;  // empty: opened
        std::string readOnly; // opened read-only, for this reason
        std::string warning;
    };
    const Case cases[] = {
        {"hives/edge/hivex_minimal", "", "", ""},
        {"hives/edge/hivex_special", "", "", ""},
        {"hives/edge/hivex_rlenvalue_test_hive", "", "", ""},
        {"hives/edge/plaso_100_sub_keys.hiv", "", "", ""},
        {"hives/edge/ez_SECURITYNoRoot", "", "", ""},
        {"hives/edge/plaso_corrupt_sub_key_list.hiv", "", "damaged", "the subkeys of \\ cannot be read"},
        {"hives/win10_SYSTEM", "", "not closed cleanly", ""},
        {"hives/negative/win9x_USER.DAT", "Windows 95/98/Me registry file (CREG format)", "", ""},
        {"text:REGEDIT4\r\n", "not a registry hive", "", ""},
        {"text:", "not a registry hive", "", ""},
        {"text:" + truncated, "", "damaged", "the subkeys of \\ cannot be read"},
        // A page that is not one, in a file cut short: hivex's lenient mode would look for the next page
        // beyond the end of the file.
        {"text:" + truncated + std::string(0x800, 'x'), "shorter than its header says", "", ""},
        {"text:regf" + std::string(8, '\0'), "hivex cannot open the hive", "", ""},
    };
    for (const Case& c : cases) {
        FixtureVolume volume;
        if (c.hive.starts_with("text:"))
            volume.File(kSoftwareHive, c.hive.substr(5));
        else
            volume.Hive(kSoftwareHive, c.hive);
        std::string error;
        std::vector<std::string> warnings;
        auto target = OpenWindowsVolumeTarget(volume.root(), "", error, warnings);
        const std::string name = c.hive.substr(0, 40);
        if (!c.refusal.empty()) {
            EXPECT_FALSE(target) << name;
            EXPECT_NE(error.find(c.refusal), std::string::npos) << name << ": " << error;
            EXPECT_TRUE(error.starts_with(volume.HostPathOf(kSoftwareHive).string() + ": ")) << error;
            EXPECT_EQ(error.find('\n'), std::string::npos) << error;
            continue;
        }
        ASSERT_TRUE(target) << name << ": " << error;
        std::string why;
        EXPECT_EQ(target->CanWrite(why), c.readOnly.empty()) << name;
        EXPECT_NE(why.find(c.readOnly), std::string::npos) << name << ": " << why;
        EXPECT_EQ(why.find('\n'), std::string::npos) << why;
        const std::string expected = c.warning.empty() ? "damaged" : c.warning;
        const bool warned = std::any_of(warnings.begin(), warnings.end(), [&](const std::string& w) {
            return w.find(expected) != std::string::npos;
        });
        EXPECT_EQ(warned, !c.warning.empty()) << name;
    }
}

TEST(HiveFile, AHiveThatIsNotARegularFileIsRefusedAtOnce) {
    struct Case {
        const char* kind;
        std::function<void(const std::filesystem::path&)> make;
    };
    const Case cases[] = {
        {"a folder", [](const auto& path) { std::filesystem::create_directory(path); }},
        {"a named pipe", [](const auto& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
        {"a device", [](const auto& path) { std::filesystem::create_symlink("/dev/null", path); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        test::TempDir dir;
        const auto hive = dir.path() / "SOFTWARE";
        c.make(hive);
        std::string error;
        std::vector<std::string> warnings;
        EXPECT_FALSE(HiveFile::Load(hive, error, warnings));
        EXPECT_EQ(error, hive.string() + ": cannot read the hive: it is " + c.kind + ", not a regular file");
    }
}

} // namespace
} // namespace vx
