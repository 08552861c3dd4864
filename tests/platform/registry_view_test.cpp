// The Registry calls over a Wine prefix: order, names, buffers, data delivery, links, the merged classes
// root and the other predefined roots.
#include "registry_test_prefix.h"

#include "platform/root_keys.h"

#include <functional>
#include <gtest/gtest.h>

namespace vx {
namespace {
using test::QueryData;
using test::RegistryPrefix;
using test::SubkeysOf;
using test::ValuesOf;
using Names = std::vector<std::string>;

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(RegistryView, EnumeratesSubkeysAndValuesInWinesOrder) {
    RegistryPrefix prefix;
    // Deliberately out of order in the file: Wine sorts what it loads.
    prefix.System("[Software\\\\Order] 0\n\"zeta\"=\"1\"\n\"Alpha\"=\"2\"\n@=\"d\"\n"
                  "[Software\\\\Order\\\\a_b] 0\n[Software\\\\Order\\\\AB] 0\n[Software\\\\Order\\\\aa] 0\n");
    auto registry = prefix.Open();

    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Order", key), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegSetValueEx(key, "mid", REG_SZ, Bytes("3")), ERROR_SUCCESS);
    registry->RegCloseKey(key);

    // Upper-cased comparison: "_" (0x5F) sorts after the letters.
    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "Software\\Order"), (Names{"aa", "AB", "a_b"}));
    EXPECT_EQ(ValuesOf(*registry, HKEY_LOCAL_MACHINE, "Software\\Order"),
              (Names{"", "Alpha", "mid", "zeta"}));
}

TEST(RegistryView, NamesMatchWithoutRegardToCaseBeyondAscii) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\\\x00c4rger] 0\n\"Gr\\x00f6\\x00dfe\"=\"x\"\n");
    auto registry = prefix.Open();

    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "Software"), (Names{"Ärger"}));
    const auto data = QueryData(*registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\äRGER", "GRÖßE");
    EXPECT_EQ(data.status, ERROR_SUCCESS);
    EXPECT_EQ(data.bytes, std::string("x\0", 2));
}

TEST(RegistryView, EnumerationBuffersBehaveAsWindowsAFunctions) {
    const std::string name254(254, 'n'), name255(255, 'm');
    const std::string data254(254, 'd'), data255(255, 'e');
    RegistryPrefix prefix;
    prefix.System("[Limits\\\\Names\\\\" + name254 + "] 0\n[Limits\\\\Long\\\\" + name255 + "] 0\n" +
                  "[Limits\\\\Values] 0\n\"" + name254 + "\"=\"short\"\n" + "[Limits\\\\LongName] 0\n\"" +
                  name255 + "\"=\"x\"\n" + "[Limits\\\\Fits] 0\n\"v\"=\"" + data254 + "\"\n" +
                  "[Limits\\\\TooBig] 0\n\"v\"=\"" + data255 + "\"\n");
    auto registry = prefix.Open();

    struct Case {
        const char* what;
        const char* key;
        bool values;
        Status expected;
        uint32_t nameSize; // after the call, when it succeeds
    };
    const Case cases[] = {
        {"254-char key name fits 255", "Limits\\Names", false, ERROR_SUCCESS, 254},
        {"255-char key name needs 256", "Limits\\Long", false, ERROR_MORE_DATA, 0},
        {"254-char value name fits 255", "Limits\\Values", true, ERROR_SUCCESS, 254},
        {"255-char value name needs 256", "Limits\\LongName", true, ERROR_MORE_DATA, 0},
        {"254 chars and the zero fill 255 bytes", "Limits\\Fits", true, ERROR_SUCCESS, 1},
        {"255 chars and the zero need 256 bytes", "Limits\\TooBig", true, ERROR_MORE_DATA, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, c.key, key), ERROR_SUCCESS);
        std::string name;
        uint32_t nameSize = 255;
        std::vector<uint8_t> buffer(255);
        uint32_t dataSize = 255;
        const Status status = c.values
                                  ? registry->RegEnumValue(key, 0, name, nameSize, nullptr, buffer, &dataSize)
                                  : registry->RegEnumKeyEx(key, 0, name, nameSize);
        EXPECT_EQ(status, c.expected);
        if (status == ERROR_SUCCESS)
            EXPECT_EQ(nameSize, c.nameSize);
        uint32_t again = 255;
        EXPECT_EQ(c.values ? registry->RegEnumValue(key, 1, name, again, nullptr, buffer, &dataSize)
                           : registry->RegEnumKeyEx(key, 1, name, again),
                  ERROR_NO_MORE_ITEMS);
        registry->RegCloseKey(key);
    }
    EXPECT_EQ(registry->OpenHandleCount(), 0u);
}

TEST(RegistryView, ValueWithTooMuchDataEndsAnEnumerationThere) {
    const std::string big(300, 'b');
    RegistryPrefix prefix;
    prefix.System("[Walk] 0\n\"a\"=\"1\"\n\"b\"=\"2\"\n\"c\"=\"" + big + "\"\n\"d\"=\"4\"\n");
    auto registry = prefix.Open();
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Walk", key), ERROR_SUCCESS);
    Names visited;
    std::string name;
    std::vector<uint8_t> buffer(255);
    Status status = ERROR_SUCCESS;
    for (uint32_t i = 0; status == ERROR_SUCCESS; ++i) {
        uint32_t nameSize = 255, dataSize = 255;
        status = registry->RegEnumValue(key, i, name, nameSize, nullptr, buffer, &dataSize);
        if (status == ERROR_SUCCESS)
            visited.push_back(name);
        else
            EXPECT_EQ(dataSize, 301u); // what it would need
    }
    EXPECT_EQ(status, ERROR_MORE_DATA);
    EXPECT_EQ(visited, (Names{"a", "b"}));
    registry->RegCloseKey(key);
}

TEST(RegistryView, DeliversDataAsTheAFunctionsDo) {
    RegistryPrefix prefix;
    prefix.System("[Data] 0\n"
                  "@=\"default\"\n"
                  "\"bin\"=hex:01,02,ff\n"
                  "\"dword\"=dword:ffffffff\n"
                  "\"expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
                  "\"expandHex\"=hex(2):25,00,41,00,25,00,00,00\n"
                  "\"multi\"=str(7):\"one\\0two\\0\"\n"
                  "\"noZero\"=hex(1):41,00,42,00\n"
                  "\"unicode\"=\"caf\\x00e9 \\x20ac\"\n");
    auto registry = prefix.Open();
    struct Case {
        const char* name;
        uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {
        {"", REG_SZ, std::string("default\0", 8)},
        {"bin", REG_BINARY, "\x01\x02\xff"},
        {"dword", REG_DWORD, "\xff\xff\xff\xff"},
        {"expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15)},
        {"expandHex", REG_EXPAND_SZ, std::string("%A%\0", 4)},
        {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"noZero", REG_SZ, "AB"},
        {"unicode", REG_SZ, std::string("café €\0", 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto data = QueryData(*registry, HKEY_LOCAL_MACHINE, "Data", c.name);
        EXPECT_EQ(data.status, ERROR_SUCCESS);
        EXPECT_EQ(data.type, c.type);
        EXPECT_EQ(data.bytes, c.bytes);
    }

    // A buffer one byte short is refused with the size needed; one with room gets a zero appended to
    // string data stored without one.
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Data", key), ERROR_SUCCESS);
    std::vector<uint8_t> small(7, 'x');
    uint32_t size = 7;
    EXPECT_EQ(registry->RegQueryValueEx(key, "", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    std::vector<uint8_t> roomy(4, 'x');
    size = 4;
    EXPECT_EQ(registry->RegQueryValueEx(key, "noZero", nullptr, roomy, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(roomy[2], 0);
    EXPECT_EQ(registry->RegQueryValueEx(key, "missing", nullptr, {}, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry->RegDeleteValue(key, "missing"), ERROR_FILE_NOT_FOUND);
    registry->RegCloseKey(key);
    HKEY none = 0;
    EXPECT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Data\\Missing", none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "\\Data", none), ERROR_BAD_PATHNAME);
}

TEST(RegistryView, StringsSetThroughTheAFunctionsAreStoredAsUtf16) {
    RegistryPrefix prefix;
    prefix.System("[Data] 0\n");
    auto registry = prefix.Open();
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Data", key), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegSetValueEx(key, "s", REG_SZ, Bytes(std::string_view("Grüße\0", 8))),
              ERROR_SUCCESS);
    registry->RegCloseKey(key);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_NE(test::ReadAll(prefix / "system.reg").find("\"s\"=\"Gr\\xfc\\x00dfe\"\n"), std::string::npos);
}

TEST(RegistryView, LinksAreListedAndFollowed) {
    RegistryPrefix prefix;
    // HKLM\System\CurrentControlSet is a link in Wine's newer prefixes.
    const std::string target = "\\Registry\\Machine\\System\\ControlSet001";
    std::string hex;
    for (unsigned char c : target)
        hex += (hex.empty() ? "" : ",") + std::string(1, "0123456789abcdef"[c >> 4]) +
               "0123456789abcdef"[c & 15] + ",00";
    prefix.System("[System\\\\ControlSet001\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts] "
                  "0\n\"LogPixels\"=dword:00000060\n"
                  "[System\\\\ControlSet001\\\\Services\\\\Tcpip] 0\n\"Start\"=dword:00000002\n"
                  "[System\\\\CurrentControlSet] 0\n#link\n\"SymbolicLinkValue\"=hex(6):" +
                  hex +
                  "\n"
                  "[System\\\\Dangling] 0\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00,58,00\n");
    auto registry = prefix.Open();

    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "System"),
              (Names{"ControlSet001", "CurrentControlSet", "Dangling"}));
    EXPECT_EQ(
        QueryData(*registry, HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Tcpip", "Start").bytes,
        std::string("\x02\0\0\0", 4));
    EXPECT_EQ(QueryData(*registry, HKEY_CURRENT_CONFIG, "Software\\Fonts", "LogPixels").bytes,
              std::string("\x60\0\0\0", 4));
    EXPECT_EQ(QueryData(*registry, HKEY_LOCAL_MACHINE, "System\\Dangling", "x").status, ERROR_FILE_NOT_FOUND);

    // A key created through the link lands in its target.
    HKEY key = 0;
    ASSERT_EQ(registry->RegCreateKeyEx(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\New",
                                       KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    registry->RegCloseKey(key);
    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services"),
              (Names{"New", "Tcpip"}));
}

// Visits every key below root\path, depth first, opening each by its full path as the scan's walker does.
void Walk(Registry& registry, const std::string& path, std::vector<std::string>& seen) {
    if (seen.size() > 1000)
        return;
    for (const auto& name : SubkeysOf(registry, HKEY_LOCAL_MACHINE, path)) {
        if (name == "<cannot open>")
            continue;
        seen.push_back(path + "\\" + name);
        Walk(registry, path + "\\" + name, seen);
    }
}

TEST(RegistryView, LinksIntoTheirOwnAncestorsCannotMakeAWalkLoop) {
    auto linkTo = [](std::string_view target) {
        std::string hex;
        for (unsigned char c : target) {
            char piece[8];
            std::snprintf(piece, sizeof piece, "%s%02x,00", hex.empty() ? "" : ",", c);
            hex += piece;
        }
        return "#link\n\"SymbolicLinkValue\"=hex(6):" + hex + "\n";
    };
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Loop\\\\Inner] 0\n\"v\"=\"1\"\n"
                  "[Software\\\\Loop\\\\Back] 0\n" +
                  linkTo("\\Registry\\Machine\\Software") + "[Software\\\\Loop\\\\Self] 0\n" +
                  linkTo("\\Registry\\Machine\\Software\\Loop\\Self") + "[Software\\\\A\\\\ToB] 0\n" +
                  linkTo("\\Registry\\Machine\\Software\\B\\Deep") + "[Software\\\\B\\\\Deep\\\\ToA] 0\n" +
                  linkTo("\\Registry\\Machine\\Software\\B"));
    auto registry = prefix.Open();

    std::vector<std::string> seen;
    Walk(*registry, "Software", seen);
    EXPECT_LT(seen.size(), 1000u);
    // Every link is listed; those that lead back up cannot be entered.
    EXPECT_EQ(seen, (Names{"Software\\A", "Software\\A\\ToB", "Software\\A\\ToB\\ToA", "Software\\B",
                           "Software\\B\\Deep", "Software\\B\\Deep\\ToA", "Software\\Loop",
                           "Software\\Loop\\Back", "Software\\Loop\\Inner", "Software\\Loop\\Self"}));
    EXPECT_EQ(registry->OpenHandleCount(), 0u);
}

TEST(RegistryView, ClassesRootMergesMachineAndUserClasses) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Classes\\\\.txt] 0\n@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n"
                  "[Software\\\\Classes\\\\Machine.Only] 0\n@=\"m\"\n");
    prefix.User("[Software\\\\Classes\\\\.txt] 0\n@=\"mytxt\"\n"
                "[Software\\\\Classes\\\\User.Only] 0\n@=\"u\"\n");
    auto registry = prefix.Open();

    EXPECT_EQ(SubkeysOf(*registry, HKEY_CLASSES_ROOT, ""), (Names{".txt", "Machine.Only", "User.Only"}));
    EXPECT_EQ(ValuesOf(*registry, HKEY_CLASSES_ROOT, ".txt"), (Names{"", "Content Type"}));
    EXPECT_EQ(QueryData(*registry, HKEY_CLASSES_ROOT, ".txt", "").bytes, std::string("mytxt\0", 6));
    EXPECT_EQ(QueryData(*registry, HKEY_CLASSES_ROOT, ".txt", "Content Type").bytes,
              std::string("text/plain\0", 11));

    struct Write {
        const char* key;
        const char* landsIn; // the file that receives the value
    };
    const Write writes[] = {{".txt", "user.reg"}, {"Machine.Only", "system.reg"}, {"User.Only", "user.reg"}};
    for (const auto& w : writes) {
        SCOPED_TRACE(w.key);
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_CLASSES_ROOT, w.key, key), ERROR_SUCCESS);
        ASSERT_EQ(registry->RegSetValueEx(key, "Written", REG_SZ, Bytes(std::string(w.key) + '\0')),
                  ERROR_SUCCESS);
        registry->RegCloseKey(key);
    }
    // New keys go to the side that holds their deepest existing parent.
    HKEY key = 0;
    ASSERT_EQ(registry->RegCreateKeyEx(HKEY_CLASSES_ROOT, "User.Only\\shell\\open", KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    registry->RegCloseKey(key);
    ASSERT_EQ(registry->RegCreateKeyEx(HKEY_CLASSES_ROOT, "Brand.New", KEY_ALL_ACCESS, key), ERROR_SUCCESS);
    registry->RegCloseKey(key);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);

    const std::string system = test::ReadAll(prefix / "system.reg"),
                      user = test::ReadAll(prefix / "user.reg");
    for (const auto& w : writes) {
        const std::string line = "\"Written\"=\"" + std::string(w.key) + "\"";
        EXPECT_NE((std::string(w.landsIn) == "user.reg" ? user : system).find(line), std::string::npos)
            << w.key;
        EXPECT_EQ((std::string(w.landsIn) == "user.reg" ? system : user).find(line), std::string::npos)
            << w.key;
    }
    EXPECT_NE(user.find("[Software\\\\Classes\\\\User.Only\\\\shell\\\\open]"), std::string::npos);
    EXPECT_NE(system.find("[Software\\\\Classes\\\\Brand.New]"), std::string::npos);
}

TEST(RegistryView, UsersHoldsTheUserBySidAndTheDefaultUser) {
    RegistryPrefix prefix;
    prefix.User("[Environment] 0\n\"TEMP\"=\"C:\\\\temp\"\n");
    prefix.Put("userdef.reg",
               "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n"
               "[Control Panel] 0\n\"x\"=\"1\"\n");
    auto registry = prefix.Open();
    EXPECT_EQ(registry->UserSid(), "S-1-5-21-1-2-3-1001");
    EXPECT_EQ(SubkeysOf(*registry, HKEY_USERS, ""), (Names{".Default", "S-1-5-21-1-2-3-1001"}));
    EXPECT_EQ(QueryData(*registry, HKEY_USERS, "S-1-5-21-1-2-3-1001\\Environment", "TEMP").bytes,
              QueryData(*registry, HKEY_CURRENT_USER, "Environment", "TEMP").bytes);
    EXPECT_EQ(QueryData(*registry, HKEY_USERS, ".DEFAULT\\Control Panel", "x").bytes, std::string("1\0", 2));
}

TEST(RegistryView, AccessFollowsTheMaskTheKeyWasOpenedWith) {
    RegistryPrefix prefix;
    prefix.System("[Run] 0\n\"a\"=\"1\"\n[Run\\\\Sub] 0\n");
    auto registry = prefix.Open();
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Run", KEY_ENUMERATE_SUB_KEYS, key), ERROR_SUCCESS);
    std::string name;
    uint32_t size = 255;
    EXPECT_EQ(registry->RegEnumKeyEx(key, 0, name, size), ERROR_SUCCESS);
    size = 255;
    EXPECT_EQ(registry->RegEnumValue(key, 0, name, size, nullptr, {}, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry->RegSetValueEx(key, "b", REG_SZ, Bytes("2")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(registry->RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(registry->RegCloseKey(key), ERROR_INVALID_HANDLE);
}

} // namespace
} // namespace vx
