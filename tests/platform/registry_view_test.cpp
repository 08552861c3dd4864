// The Registry calls over a Wine prefix: order, names, buffers, data delivery, links, the merged classes
// root and the other predefined roots.
#include "support/registry_test_prefix.h"

#include "platform/registry_view.h"
#include "platform/root_keys.h"
#include "platform/utf16.h"

#include <functional>
#include <gtest/gtest.h>

namespace vx {
namespace {
using test::QueryData;
using test::RegistryPrefix;
using test::SubkeysOf;
using test::ValuesOf;
using test::Wtf8;
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

// Wine orders names by their upper-cased UTF-16 units, each unit upper-cased alone: a character beyond
// the basic plane (a pair of surrogates) sorts before U+E000, and has no case.
TEST(RegistryView, OrdersNamesByTheirUpperCasedUtf16Units) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Units] 0\n\"\\xe000\"=\"1\"\n\"\\xd801\\xdc28\"=\"2\"\n\"\\xdbff\"=\"3\"\n"
                  "\"\\x00e4\"=\"4\"\n\"\\xd801\\xdc00\"=\"5\"\n"
                  "[Software\\\\Units\\\\\\xe000] 0\n[Software\\\\Units\\\\\\xd83d\\xde00] 0\n");
    auto registry = prefix.Open();
    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Units", key), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegSetValueEx(key, Wtf8(u"\xD801"), REG_SZ, Bytes("6")), ERROR_SUCCESS);
    registry->RegCloseKey(key);

    const Names values{"\xC3\xA4",      Wtf8(u"\xD801"), Wtf8(u"\xD801\xDC00"), Wtf8(u"\xD801\xDC28"),
                       Wtf8(u"\xDBFF"), "\xEE\x80\x80"};
    EXPECT_EQ(ValuesOf(*registry, HKEY_LOCAL_MACHINE, "Software\\Units"), values);
    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "Software\\Units"),
              (Names{"\xF0\x9F\x98\x80", "\xEE\x80\x80"}));
    // Saved and loaded again, in the same order.
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_EQ(ValuesOf(*prefix.Open(), HKEY_LOCAL_MACHINE, "Software\\Units"), values);
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

// A key's class name counts against the caller's class buffer as Windows counts it.
TEST(RegistryView, ClassNamesAreMeasuredAgainstTheClassBuffer) {
    RegistryPrefix prefix;
    prefix.System("[Classed] 0\n[Classed\\\\Shell] 0\n#class=\"Shell\"\n[Plain] 0\n[Plain\\\\Key] 0\n");
    auto registry = prefix.Open();
    struct Case {
        const char* key;
        uint32_t classBuffer;
        Status expected;
        uint32_t classSize; // after the call, when it succeeds
    };
    const Case cases[] = {
        {"Classed", 6, ERROR_SUCCESS, 5},
        {"Classed", 5, ERROR_MORE_DATA, 0},
        {"Classed", 0, ERROR_SUCCESS, 5},
        {"Plain", 1, ERROR_SUCCESS, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " with a class buffer of " + std::to_string(c.classBuffer));
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, c.key, key), ERROR_SUCCESS);
        std::string name;
        uint32_t nameSize = 255, classSize = c.classBuffer;
        EXPECT_EQ(registry->RegEnumKeyEx(key, 0, name, nameSize, &classSize), c.expected);
        if (c.expected == ERROR_SUCCESS)
            EXPECT_EQ(classSize, c.classSize);
        registry->RegCloseKey(key);
    }
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

// What an open handle lists now: its subkeys, then its values (each as "v:name").
Names ListingOf(Registry& registry, HKEY key) {
    Names names;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 1024;
        if (registry.RegEnumKeyEx(key, i, name, size) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 1024;
        if (registry.RegEnumValue(key, i, name, size, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back("v:" + name);
    }
    return names;
}

// The data an open handle delivers for a value, as the A call does; "<missing>" when it has none.
std::string DataOf(Registry& registry, HKEY key, std::string_view name) {
    std::vector<uint8_t> buffer(1024);
    uint32_t size = static_cast<uint32_t>(buffer.size());
    if (registry.RegQueryValueEx(key, name, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<missing>";
    return std::string(buffer.begin(), buffer.begin() + size);
}

// Enumerates a handle's values up to `name`, so that the handle's last enumerated value is that one.
void EnumerateTo(Registry& registry, HKEY key, std::string_view name) {
    std::string found;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 1024;
        if (registry.RegEnumValue(key, i, found, size, nullptr, {}, nullptr) != ERROR_SUCCESS ||
            found == name)
            return;
    }
}

TEST(RegistryView, AChangeInEitherStoreOfAMergedKeyIsSeenThroughAHandleOpenBefore) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Classes\\\\.txt] 0\n@=\"txtfile\"\n\"Content Type\"=\"text/plain\"\n");
    prefix.User("[Software\\\\Classes\\\\.txt] 0\n@=\"mytxt\"\n");
    auto registry = prefix.Open();
    HKEY merged = 0, machine = 0, user = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_CLASSES_ROOT, ".txt", merged), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", machine), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegOpenKey(HKEY_CURRENT_USER, "Software\\Classes\\.txt", user), ERROR_SUCCESS);
    auto create = [&](HKEY root, const char* path) {
        HKEY key = 0;
        const Status status = registry->RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key);
        registry->RegCloseKey(key);
        return status;
    };

    struct Change {
        const char* what;
        std::function<Status()> make;
        Names listing;           // what the merged handle lists afterwards
        std::string contentType; // the "Content Type" it delivers afterwards
    };
    const std::string plain("text/plain\0", 11), mine("text/mine\0", 10);
    const Change changes[] = {
        {"the machine's key gains a value",
         [&] { return registry->RegSetValueEx(machine, "M", REG_SZ, Bytes("m")); },
         {"v:", "v:Content Type", "v:M"},
         plain},
        {"the user's key gains a value that hides the machine's",
         [&] { return registry->RegSetValueEx(user, "Content Type", REG_SZ, Bytes(mine)); },
         {"v:", "v:Content Type", "v:M"},
         mine},
        {"the user's key gains a subkey",
         [&] { return create(HKEY_CURRENT_USER, "Software\\Classes\\.txt\\Shell"); },
         {"Shell", "v:", "v:Content Type", "v:M"},
         mine},
        {"the machine's key gains a subkey",
         [&] { return create(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt\\Open"); },
         {"Open", "Shell", "v:", "v:Content Type", "v:M"},
         mine},
        {"the user's value goes: the machine's shows again",
         [&] { return registry->RegDeleteValue(user, "Content Type"); },
         {"Open", "Shell", "v:", "v:Content Type", "v:M"},
         plain},
        {"the machine's value goes",
         [&] { return registry->RegDeleteValue(machine, "M"); },
         {"Open", "Shell", "v:", "v:Content Type"},
         plain},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        // The handle's lists are cached, and the value it enumerated last is the one queried next.
        ListingOf(*registry, merged);
        EnumerateTo(*registry, merged, "Content Type");
        ASSERT_EQ(c.make(), ERROR_SUCCESS);
        EXPECT_EQ(DataOf(*registry, merged, "Content Type"), c.contentType);
        EXPECT_EQ(ListingOf(*registry, merged), c.listing);
    }
    for (HKEY key : {merged, machine, user})
        registry->RegCloseKey(key);
}

TEST(RegistryView, APathOpenedBeforeFindsTheKeysCreatedSince) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Classes\\\\Machine.Only] 0\n\"m\"=\"1\"\n"
                  "[Software\\\\Classes\\\\Both\\\\Sub] 0\n\"m\"=\"1\"\n");
    prefix.User("[Software\\\\Classes\\\\User.Only] 0\n\"u\"=\"1\"\n[Software\\\\Classes\\\\Both] 0\n");
    auto registry = prefix.Open();
    struct Case {
        const char* what;
        HKEY root;
        const char* listed; // whose subkeys are listed first, as a walk does
        const char* path;
        HKEY createIn;       // where root\path is created, with a value "new"
        const char* created; // the path created there
        const char* before;  // the values root\path lists, joined by commas
        const char* after;
    };
    const Case cases[] = {
        {"the user's side of a merged key", HKEY_CLASSES_ROOT, "", "Machine.Only", HKEY_CURRENT_USER,
         "Software\\Classes\\Machine.Only", "m", "m,new"},
        {"the machine's side of a merged key", HKEY_CLASSES_ROOT, "", "User.Only", HKEY_LOCAL_MACHINE,
         "Software\\Classes\\User.Only", "u", "new,u"},
        {"the user's side of a subkey just listed", HKEY_CLASSES_ROOT, "Both", "Both\\Sub", HKEY_CURRENT_USER,
         "Software\\Classes\\Both\\Sub", "m", "m,new"},
        {"a key that was missing", HKEY_LOCAL_MACHINE, "Software", "Software\\Late", HKEY_LOCAL_MACHINE,
         "Software\\Late", "<cannot open>", "new"},
    };
    auto values = [&](const Case& c) {
        std::string joined;
        for (const auto& name : ValuesOf(*registry, c.root, c.path))
            joined += (joined.empty() ? "" : ",") + name;
        return joined;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SubkeysOf(*registry, c.root, c.listed);
        EXPECT_EQ(values(c), c.before);
        HKEY key = 0;
        ASSERT_EQ(registry->RegCreateKeyEx(c.createIn, c.created, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        ASSERT_EQ(registry->RegSetValueEx(key, "new", REG_SZ, Bytes("n")), ERROR_SUCCESS);
        registry->RegCloseKey(key);
        EXPECT_EQ(values(c), c.after);
    }
}

// A store that counts the values the view decodes from it: what the view reads again.
class CountingStore : public RegistryStore {
  public:
    CountingStore() : RegistryStore(ValueOrder::Sorted) {}
    void AnsiData(const RegValueRecord& value, std::string& out) const override {
        ++decoded;
        RegistryStore::AnsiData(value, out);
    }
    mutable int decoded = 0;
};

TEST(RegistryView, OneStoresChangesLeaveWhatWasReadFromAnotherInPlace) {
    RegistryStore names(RegistryStore::ValueOrder::Sorted, "Registry");
    CountingStore machine, user;
    RegKeyNode* run = machine.CreateSubkey(*machine.CreateSubkey(*machine.Root(), "Software"), "Run");
    for (const char* name : {"a", "b"})
        machine.SetValue(*run, name, REG_SZ, Utf8ToUtf16(std::string(name) + '\0'));
    names.Mount(*names.Root(), *machine.Root(), "Machine");
    names.Mount(*names.CreateSubkey(*names.Root(), "User"), *user.Root(), "S-1");
    RegistryView view(*names.Root(), "S-1");

    HKEY runKey = 0, environment = 0;
    ASSERT_EQ(view.RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\Run", runKey), ERROR_SUCCESS);
    ASSERT_EQ(view.RegCreateKeyEx(HKEY_CURRENT_USER, "Environment", KEY_ALL_ACCESS, environment),
              ERROR_SUCCESS);
    std::string name;
    uint32_t nameSize = 1024;
    ASSERT_EQ(view.RegEnumValue(runKey, 0, name, nameSize, nullptr, {}, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(DataOf(view, runKey, "a"), std::string("a\0", 2));
    EXPECT_EQ(machine.decoded, 1);

    // The user's store changes: what was read from the machine's still holds, and its enumeration goes on.
    ASSERT_EQ(view.RegSetValueEx(environment, "TEMP", REG_SZ, Bytes(std::string("C:\\temp\0", 8))),
              ERROR_SUCCESS);
    EXPECT_EQ(DataOf(view, runKey, "a"), std::string("a\0", 2));
    EXPECT_EQ(machine.decoded, 1);
    nameSize = 1024;
    ASSERT_EQ(view.RegEnumValue(runKey, 1, name, nameSize, nullptr, {}, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(name, "b");

    // The machine's store changes: read again.
    ASSERT_EQ(view.RegSetValueEx(runKey, "c", REG_SZ, Bytes(std::string("c\0", 2))), ERROR_SUCCESS);
    EXPECT_EQ(DataOf(view, runKey, "a"), std::string("a\0", 2));
    EXPECT_EQ(machine.decoded, 2);
    EXPECT_EQ(ListingOf(view, runKey), (Names{"v:a", "v:b", "v:c"}));
    EXPECT_EQ(DataOf(view, environment, "TEMP"), std::string("C:\\temp\0", 8));
    view.RegCloseKey(runKey);
    view.RegCloseKey(environment);
}

TEST(RegistryView, AStoreMountedLaterJoinsTheMergedClassesView) {
    // Loaded stores, unchanged since: only the mount itself can tell the view that the registry changed.
    auto load = [](std::string_view body) {
        std::string error;
        std::vector<std::string> warnings;
        auto file = WineRegFile::Parse(test::MachineFile(body), "/nowhere/x.reg", "REGISTRY\\Machine", error,
                                       warnings);
        EXPECT_TRUE(file) << error;
        return file;
    };
    auto machine = load("[Software\\\\Classes\\\\.a] 0\n\"m\"=\"1\"\n");
    auto user = load("[Software\\\\Classes\\\\.a] 0\n\"u\"=\"2\"\n[Software\\\\Classes\\\\.b] 0\n");
    RegistryStore names(RegistryStore::ValueOrder::Sorted, "Registry");
    names.Mount(*names.Root(), *machine->Root(), "Machine");
    RegKeyNode* users = names.CreateSubkey(*names.Root(), "User");
    RegistryView view(*names.Root(), "S-1");

    EXPECT_EQ(SubkeysOf(view, HKEY_CLASSES_ROOT, ""), (Names{".a"}));
    EXPECT_EQ(ValuesOf(view, HKEY_CLASSES_ROOT, ".a"), (Names{"m"}));
    names.Mount(*users, *user->Root(), "S-1");
    EXPECT_EQ(SubkeysOf(view, HKEY_CLASSES_ROOT, ""), (Names{".a", ".b"}));
    EXPECT_EQ(ValuesOf(view, HKEY_CLASSES_ROOT, ".a"), (Names{"m", "u"}));
    EXPECT_EQ(view.OpenHandleCount(), 0u);
}

} // namespace
} // namespace vx
