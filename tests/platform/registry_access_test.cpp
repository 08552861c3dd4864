// The registry access layer over a Wine prefix written to disk: what each operation stores and reads,
// and what it leaves alone.
#include "support/registry_test_prefix.h"

#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/wine/wine_target.h"

#include <gtest/gtest.h>

namespace vx {
namespace {
using test::QueryData;
using test::ReadAll;
using test::RegistryPrefix;

std::string Dword(int32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

TEST(RegistryAccess, WriteStoresNumbersAsDwordsAndOtherTextTrimmed) {
    struct Case {
        const char* what;
        RegValue value;
        uint32_t type;
        std::string bytes; // as read back through the A functions
    };
    const Case cases[] = {
        {"42", std::string("42"), REG_DWORD, Dword(42)},
        {"2.5 rounds to even", std::string("2.5"), REG_DWORD, Dword(2)},
        {"3.5 rounds to even", std::string("3.5"), REG_DWORD, Dword(4)},
        {"-2.5 rounds to even", std::string("-2.5"), REG_DWORD, Dword(-2)},
        {"blanks and exponent", std::string(" +1e3 "), REG_DWORD, Dword(1000)},
        {"lowest 32-bit number", std::string("-2147483648"), REG_DWORD, Dword(INT32_MIN)},
        {"a number", int32_t{7}, REG_DWORD, Dword(7)},
        {"text loses its blanks, no terminator", std::string("abc "), REG_SZ, "abc"},
        {"path", std::string("  C:\\Program Files\\app.exe "), REG_SZ, "C:\\Program Files\\app.exe"},
        {"empty text", std::string(), REG_SZ, ""},
        {"empty value", std::monostate{}, REG_SZ, ""},
        {"digits then letters", std::string("12abc"), REG_SZ, "12abc"},
        {"beyond 32 bits stays text", std::string(" 99999999999 "), REG_SZ, "99999999999"},
        {"rounds beyond 32 bits", std::string("2147483647.5"), REG_SZ, "2147483647.5"},
    };
    RegistryPrefix prefix;
    prefix.System("[Software\\\\App] 0\n");
    auto registry = prefix.Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "v", c.value);
        const auto data = QueryData(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "v");
        EXPECT_EQ(data.type, c.type);
        EXPECT_EQ(data.bytes, c.bytes);
    }
    // On disk as Wine keeps text without a terminator.
    WriteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "v", std::string("abc "));
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_NE(ReadAll(prefix / "system.reg").find("\"v\"=hex(1):61,00,62,00,63,00\n"), std::string::npos);
}

TEST(RegistryAccess, WriteAndDeleteNeverCreateKeys) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\App] 0\n\"keep\"=\"1\"\n");
    const std::string before = ReadAll(prefix / "system.reg");
    auto registry = prefix.Open();
    WriteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\Missing", "v", std::string("x"));
    DeleteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\Missing", "v");
    DeleteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "absent");
    EXPECT_EQ(test::SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "Software"), std::vector<std::string>{"App"});
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_EQ(ReadAll(prefix / "system.reg"), before);
    EXPECT_EQ(registry->OpenHandleCount(), 0u);
}

TEST(RegistryAccess, DeleteRemovesNamedAndDefaultValues) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\App] 0\n@=\"default\"\n\"named\"=\"1\"\n\"other\"=\"2\"\n");
    auto registry = prefix.Open();
    DeleteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "");
    DeleteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "Software\\App", "NAMED");
    EXPECT_EQ(test::ValuesOf(*registry, HKEY_LOCAL_MACHINE, "Software\\App"),
              std::vector<std::string>{"other"});
}

TEST(RegistryAccess, SetCreatingKeyMakesTheKeyAndTheValue) {
    RegistryPrefix prefix;
    std::filesystem::create_directory(prefix / "drive_c"); // a prefix without registry files yet
    auto registry = prefix.Open();
    SetRegistryValueCreatingKey(*registry, HKEY_LOCAL_MACHINE,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Vantrelix",
                                std::string("C:\\vx.exe"), REG_SZ);
    SetRegistryValueCreatingKey(*registry, HKEY_CURRENT_USER, "Software\\Vx", "Count", std::string("12"),
                                REG_DWORD);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);

    auto reopened = prefix.Open();
    EXPECT_EQ(QueryData(*reopened, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                        "Vantrelix")
                  .bytes,
              std::string("C:\\vx.exe\0", 10));
    EXPECT_EQ(QueryData(*reopened, HKEY_CURRENT_USER, "Software\\Vx", "Count").bytes, Dword(12));
    EXPECT_EQ(ReadAll(prefix / "system.reg")
                  .rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n", 0),
              0u);
}

TEST(RegistryAccess, SetOfTypeStoresTextWithItsTerminatorAndOnlyTypesOneAndFour) {
    struct Case {
        const char* what;
        uint32_t type;
        RegValue value;
        uint32_t status;
        Status read; // reading the value back
        uint32_t readType;
        std::string bytes;
    };
    const Case cases[] = {
        {"x as REG_SZ is two bytes", REG_SZ, std::string("x"), ERROR_SUCCESS, ERROR_SUCCESS, REG_SZ,
         std::string("x\0", 2)},
        {"a number as REG_SZ", REG_SZ, int32_t{-5}, ERROR_SUCCESS, ERROR_SUCCESS, REG_SZ,
         std::string("-5\0", 3)},
        {"rounded to a dword", REG_DWORD, std::string("4.5"), ERROR_SUCCESS, ERROR_SUCCESS, REG_DWORD,
         Dword(4)},
        {"too big for a dword stays text", REG_DWORD, std::string("4294967296"), ERROR_SUCCESS, ERROR_SUCCESS,
         REG_SZ, std::string("4294967296\0", 11)},
        {"no number at all", REG_DWORD, std::string("abc"), ERROR_INVALID_PARAMETER, ERROR_FILE_NOT_FOUND, 0,
         ""},
        {"REG_BINARY is not written", REG_BINARY, std::string("x"), 0, ERROR_FILE_NOT_FOUND, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegistryPrefix prefix;
        prefix.System("[K] 0\n");
        auto registry = prefix.Open();
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, "K", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        EXPECT_EQ(SetRegistryValueOfType(*registry, key, "v", c.type, c.value), c.status);
        registry->RegCloseKey(key);
        const auto data = QueryData(*registry, HKEY_LOCAL_MACHINE, "K", "v");
        EXPECT_EQ(data.status, c.read);
        if (c.read == ERROR_SUCCESS) {
            EXPECT_EQ(data.type, c.readType);
            EXPECT_EQ(data.bytes, c.bytes);
        }
    }
}

TEST(RegistryAccess, ReadStringDeliversTextNumbersAndEmptyForOtherTypes) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 0\n"
                  "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
                  "\"all\"=dword:ffffffff\n"
                  "\"bin\"=hex:01,02\n"
                  "\"expand\"=str(2):\"%ProgramFiles%\"\n"
                  "\"noZero\"=hex(1):61,00,62,00,63,00\n"
                  "\"empty\"=hex(1):\n");
    auto registry = prefix.Open();
    struct Case {
        const char* name;
        bool read;
        std::string text;
    };
    const Case cases[] = {
        {"ProgramFilesDir", true, "C:\\Program Files"},
        {"all", true, "-1"},
        {"bin", true, ""},
        {"expand", true, ""},
        {"noZero", true, "ab"}, // the last character stands where the terminator should be
        {"empty", true, ""},
        {"missing", false, "earlier text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "earlier text";
        EXPECT_EQ(ReadRegistryString(*registry, HKEY_LOCAL_MACHINE,
                                     "Software\\Microsoft\\Windows\\CurrentVersion", c.name, text),
                  c.read);
        EXPECT_EQ(text, c.text);
    }
    std::string text = "kept";
    EXPECT_FALSE(ReadRegistryString(*registry, HKEY_LOCAL_MACHINE, "Software\\Nowhere", "x", text));
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(registry->OpenHandleCount(), 0u);
}

// A registry the user may only read still answers the folder lookups (they open keys for all access):
// failing them would turn every placeholder path into a false finding. Writes stay refused.
TEST(RegistryAccess, ReadStringWorksOnARegistryThatCannotBeWritten) {
    RegistryPrefix prefix;
    prefix.System("[K] 0\n\"v\"=\"1\"\n");
    auto registry = prefix.Open();
    registry->MachineFile().SetWritable(false); // as for a prefix the user may only read
    std::string text;
    EXPECT_TRUE(ReadRegistryString(*registry, HKEY_LOCAL_MACHINE, "K", "v", text));
    EXPECT_EQ(text, "1");
    WriteRegistryValue(*registry, HKEY_LOCAL_MACHINE, "K", "v", std::string("2"));
    EXPECT_EQ(QueryData(*registry, HKEY_LOCAL_MACHINE, "K", "v").bytes, std::string("1\0", 2));
}

TEST(RegistryAccess, QueryLeavesTheOutputAloneWhenTheValueIsMissing) {
    RegistryPrefix prefix;
    prefix.System("[K] 0\n\"v\"=dword:00000001\n");
    auto registry = prefix.Open();
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, "K", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    RegValue out = std::string("untouched");
    EXPECT_EQ(QueryRegistryValue(*registry, key, "missing", out), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(out, RegValue(std::string("untouched")));
    EXPECT_EQ(QueryRegistryValue(*registry, key, "v", out), ERROR_SUCCESS);
    EXPECT_EQ(out, RegValue(int32_t{1}));
    registry->RegCloseKey(key);
}

TEST(RegistryAccess, FixedDriveIsDecidedByTheFirstDriveWithThePathsLetter) {
    struct Case {
        const char* what;
        std::vector<Drive> drives;
        const char* path;
        bool fixed;
    };
    const Case cases[] = {
        {"C fixed", {{"A", DriveType::Removable}, {"C", DriveType::Fixed}}, "c:\\windows\\x.dll", true},
        {"C a CD-ROM", {{"C", DriveType::CdRom}}, "C:\\x", false},
        {"C a network drive", {{"C", DriveType::Network}}, "C:\\x", false},
        {"the first C decides", {{"C", DriveType::Network}, {"C", DriveType::Fixed}}, "C:\\x", false},
        {"empty path", {{"C", DriveType::Fixed}}, "", false},
        {"no such drive", {{"C", DriveType::Fixed}}, "q:\\x", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsFixedDrivePath(c.path, c.drives), c.fixed);
    }
    bool yielded = false;
    EXPECT_TRUE(
        IsFixedDrivePath("d:", {{"C", DriveType::Fixed}, {"D", DriveType::Fixed}}, [&] { yielded = true; }));
    EXPECT_TRUE(yielded);
}

TEST(RegistryAccess, RootNamesAndPlatform) {
    EXPECT_EQ(RootKeyFromName("  hkey_local_machine  "), std::optional<RootKey>(0x80000002));
    EXPECT_EQ(RootKeyFromName("HKLM"), std::nullopt);
    RegistryPrefix prefix;
    prefix.System("");
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWineTarget(prefix.path(), error, warnings);
    ASSERT_TRUE(target) << error;
    EXPECT_EQ(GetWindowsPlatformId(*target), 2u);
}

} // namespace
} // namespace vx
