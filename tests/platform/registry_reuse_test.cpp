// What the registry calls reuse from one call to the next (a path resolved by an earlier open, the value
// and subkey just enumerated, the data just delivered) never changes their answers: not after a change,
// not in the merged classes root, not for names in another case or paths written another way.
#include "support/registry_test_prefix.h"

#include "platform/root_keys.h"
#include "platform/utf16.h"

#include <array>
#include <gtest/gtest.h>

namespace vx {
namespace {
using test::Data;
using test::QueryData;
using test::RegistryPrefix;
using test::SubkeysOf;
using Names = std::vector<std::string>;

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Enumerates value `index` with a 255-byte buffer as the walkers do, then reads it back by name.
struct Visit {
    Status enumStatus = ERROR_SUCCESS;
    std::string name;
    uint32_t enumSize = 0;
    Data read;
};

Visit EnumerateThenQuery(Registry& registry, HKEY key, uint32_t index) {
    Visit visit;
    std::array<uint8_t, 255> buffer{};
    uint32_t nameSize = 255;
    visit.enumSize = 255;
    visit.enumStatus =
        registry.RegEnumValue(key, index, visit.name, nameSize, nullptr, buffer, &visit.enumSize);
    if (visit.enumStatus != ERROR_SUCCESS)
        return visit;
    uint32_t size = 0;
    visit.read.status = registry.RegQueryValueEx(key, visit.name, &visit.read.type, {}, &size);
    if (visit.read.status == ERROR_SUCCESS) {
        visit.read.bytes.assign(size, '\0');
        visit.read.status = registry.RegQueryValueEx(
            key, visit.name, &visit.read.type,
            {reinterpret_cast<uint8_t*>(visit.read.bytes.data()), visit.read.bytes.size()}, &size);
    }
    return visit;
}

TEST(RegistryReuse, StringDataDecodesAsThroughUtf16) {
    // Escapes of every kind, bytes beyond ASCII (Latin-1 to Wine), surrogate pairs, lone surrogates.
    struct Case {
        const char* line; // the data as the file holds it
        uint32_t type;
        std::u16string units; // what Wine reads, before the terminating zero
    };
    const Case cases[] = {
        {"\"plain\"", REG_SZ, u"plain"},
        {"\"C:\\\\Program Files\\\\x.dll\"", REG_SZ, u"C:\\Program Files\\x.dll"},
        {"\"a\\\"b\\\\c\"", REG_SZ, u"a\"b\\c"},
        {"\"\\a\\b\\e\\f\\n\\r\\t\\v\"", REG_SZ, u"\a\b\x1b\f\n\r\t\v"},
        {"\"\\x41\\x00e9\\x20ac\\xq\"", REG_SZ, u"A\u00e9\u20acxq"},
        {"\"\\101\\0\\7x\"", REG_SZ, std::u16string(u"A\0\ax", 4)},
        {"\"caf\xe9\"", REG_SZ, u"caf\u00e9"},
        {"\"\\xd83d\\xde00 smile\"", REG_SZ, u"\U0001F600 smile"},
        {"\"lone \\xd83d end\"", REG_SZ, u"lone \xd83d end"},
        {"\"lone \\xde00 low\"", REG_SZ, u"lone \xde00 low"},
        {"\"tail \\xd83d\"", REG_SZ, u"tail \xd83d"},
        {"str:\"typed\"", REG_SZ, u"typed"},
        {"str(2):\"%SystemRoot%\\\\x\"", REG_EXPAND_SZ, u"%SystemRoot%\\x"},
        {"str(7):\"one\\0two\\0\"", REG_MULTI_SZ, std::u16string(u"one\0two\0", 8)},
        {"\"\"", REG_SZ, u""},
    };
    std::string body = "[Data] 0\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        body += "\"v" + std::to_string(i) + "\"=" + cases[i].line + "\n";
    RegistryPrefix prefix;
    prefix.System(body);
    auto registry = prefix.Open();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].line);
        std::u16string units = cases[i].units;
        units += u'\0';
        const std::string utf16(reinterpret_cast<const char*>(units.data()), units.size() * 2);
        const auto data = QueryData(*registry, HKEY_LOCAL_MACHINE, "Data", "v" + std::to_string(i));
        EXPECT_EQ(data.status, ERROR_SUCCESS);
        EXPECT_EQ(data.type, cases[i].type);
        EXPECT_EQ(data.bytes, Utf16ToUtf8(utf16));
    }
}

TEST(RegistryReuse, UnitWriterConvertsAsUtf16ToUtf8) {
    const std::u16string texts[] = {u"",       u"ascii",  u"caf\u00e9 \u20ac",   u"\U0001F600",
                                    u"\xd83d", u"\xde00", u"\xd83d\xd83d\xde00", u"a\xd83dz\xde00"};
    for (const auto& text : texts) {
        const std::string utf16(reinterpret_cast<const char*>(text.data()), text.size() * 2);
        std::string out = "kept:";
        Utf16UnitWriter writer(out);
        for (char16_t unit : text)
            writer.Put(unit);
        writer.Finish();
        EXPECT_EQ(out, "kept:" + Utf16ToUtf8(utf16));
        std::string appended = "kept:";
        AppendUtf16AsUtf8(utf16, appended);
        EXPECT_EQ(appended, out);
    }
}

TEST(RegistryReuse, QueryAfterEnumerationFindsWhatTheNameFinds) {
    RegistryPrefix prefix;
    prefix.System("[Software\\\\Classes\\\\Shared] 0\n\"Both\"=\"machine\"\n\"MachineOnly\"=\"m\"\n"
                  "[Plain] 0\n@=\"d\"\n\"Long\"=\"" +
                  std::string(300, 'x') + "\"\n\"Short\"=dword:00000007\n");
    prefix.User("[Software\\\\Classes\\\\Shared] 0\n\"BOTH\"=\"user\"\n");
    auto registry = prefix.Open();

    HKEY key = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_CLASSES_ROOT, "Shared", key), ERROR_SUCCESS);
    // The user's value hides the machine's of the same name in another case.
    Visit first = EnumerateThenQuery(*registry, key, 0);
    EXPECT_EQ(first.name, "BOTH");
    EXPECT_EQ(first.read.bytes, std::string("user\0", 5));
    Visit second = EnumerateThenQuery(*registry, key, 1);
    EXPECT_EQ(second.name, "MachineOnly");
    EXPECT_EQ(second.read.bytes, std::string("m\0", 2));
    // Queried by another case, or after the user gained a value of that name, the answer follows.
    EXPECT_EQ(EnumerateThenQuery(*registry, key, 1).name, "MachineOnly");
    HKEY userSide = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_CURRENT_USER, "Software\\Classes\\Shared", userSide), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegSetValueEx(userSide, "machineonly", REG_SZ, Bytes(std::string("mine\0", 5))),
              ERROR_SUCCESS);
    uint32_t size = 0;
    ASSERT_EQ(registry->RegQueryValueEx(key, "MachineOnly", nullptr, {}, &size), ERROR_SUCCESS);
    std::string bytes(size, '\0');
    ASSERT_EQ(registry->RegQueryValueEx(key, "MachineOnly", nullptr,
                                        {reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()}, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(bytes, std::string("mine\0", 5));
    registry->RegCloseKey(userSide);
    registry->RegCloseKey(key);

    // A value too long for the buffer fails the enumeration and leaves nothing behind for the query.
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Plain", key), ERROR_SUCCESS);
    EXPECT_EQ(EnumerateThenQuery(*registry, key, 0).read.bytes, std::string("d\0", 2));
    Visit tooLong = EnumerateThenQuery(*registry, key, 1);
    EXPECT_EQ(tooLong.enumStatus, ERROR_MORE_DATA);
    EXPECT_EQ(tooLong.enumSize, 301u);
    EXPECT_EQ(QueryData(*registry, HKEY_LOCAL_MACHINE, "Plain", "Long").bytes.size(), 301u);
    Visit number = EnumerateThenQuery(*registry, key, 2);
    EXPECT_EQ(number.read.type, REG_DWORD);
    EXPECT_EQ(number.read.bytes, std::string("\x07\0\0\0", 4));
    // After a change the data delivered is the new data, also for a value read just before.
    ASSERT_EQ(registry->RegSetValueEx(key, "", REG_SZ, Bytes(std::string("changed\0", 8))), ERROR_SUCCESS);
    EXPECT_EQ(EnumerateThenQuery(*registry, key, 0).read.bytes, std::string("changed\0", 8));
    registry->RegCloseKey(key);
}

TEST(RegistryReuse, OpensThatCarryOnFromEarlierOpensFindTheSameKeys) {
    RegistryPrefix prefix;
    prefix.System("[A\\\\B\\\\C] 0\n@=\"abc\"\n[A\\\\B\\\\D] 0\n@=\"abd\"\n[A\\\\Bee] 0\n@=\"bee\"\n"
                  "[Software\\\\Classes\\\\K\\\\Sub] 0\n@=\"machine\"\n");
    prefix.User("[Software\\\\Classes\\\\K\\\\Sub] 0\n@=\"user\"\n[Software\\\\Classes\\\\K\\\\Mine] 0\n");
    auto registry = prefix.Open();
    auto read = [&](HKEY root, std::string_view path) {
        const auto data = QueryData(*registry, root, path, "");
        return data.status == ERROR_SUCCESS ? data.bytes.substr(0, data.bytes.size() - 1) : "<none>";
    };
    // Paths that share a beginning but not a whole name, written in other cases or with extra backslashes.
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\C"), "abc");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\Bee"), "bee");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\D"), "abd");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "a\\b\\d"), "abd");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\\\C"), "abc");
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\"), "<none>");
    EXPECT_EQ(SubkeysOf(*registry, HKEY_LOCAL_MACHINE, "A\\B\\"), (Names{"C", "D"}));
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\E"), "<none>");
    HKEY none = 0;
    EXPECT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "A\\B\\E", none), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "\\A\\B", none), ERROR_BAD_PATHNAME);
    EXPECT_EQ(registry->RegOpenKey(HKEY_CURRENT_USER, "A\\B\\C", none), ERROR_FILE_NOT_FOUND);

    // A key created after its parent was opened is found; the merged view keeps preferring the user.
    HKEY created = 0;
    ASSERT_EQ(registry->RegCreateKeyEx(HKEY_LOCAL_MACHINE, "A\\B\\E", KEY_ALL_ACCESS, created),
              ERROR_SUCCESS);
    ASSERT_EQ(registry->RegSetValueEx(created, "", REG_SZ, Bytes(std::string("abe\0", 4))), ERROR_SUCCESS);
    registry->RegCloseKey(created);
    EXPECT_EQ(read(HKEY_LOCAL_MACHINE, "A\\B\\E"), "abe");
    EXPECT_EQ(read(HKEY_CLASSES_ROOT, "K\\Sub"), "user");
    EXPECT_EQ(SubkeysOf(*registry, HKEY_CLASSES_ROOT, "K"), (Names{"Mine", "Sub"}));
    EXPECT_EQ(read(HKEY_CLASSES_ROOT, "K\\Mine"), "<none>");
    ASSERT_EQ(registry->RegCreateKeyEx(HKEY_CLASSES_ROOT, "K\\Sub\\Deeper", KEY_ALL_ACCESS, created),
              ERROR_SUCCESS);
    registry->RegCloseKey(created);
    EXPECT_EQ(SubkeysOf(*registry, HKEY_CLASSES_ROOT, "K\\Sub"), (Names{"Deeper"}));
    EXPECT_EQ(SubkeysOf(*registry, HKEY_CURRENT_USER, "Software\\Classes\\K\\Sub"), (Names{"Deeper"}));
    EXPECT_EQ(registry->OpenHandleCount(), 0u);
}

TEST(RegistryReuse, OpeningAnEnumeratedSubkeyOpensThatSubkey) {
    RegistryPrefix prefix;
    prefix.System(
        "[Software\\\\Classes\\\\CLSID\\\\{1}] 0\n@=\"m1\"\n[Software\\\\Classes\\\\CLSID\\\\{2}] 0\n"
        "@=\"m2\"\n[Software\\\\Classes\\\\CLSID\\\\{3}] 0\n@=\"m3\"\n");
    prefix.User(
        "[Software\\\\Classes\\\\CLSID\\\\{2}] 0\n@=\"u2\"\n[Software\\\\Classes\\\\CLSID\\\\{25}] 0\n"
        "@=\"u25\"\n");
    auto registry = prefix.Open();
    HKEY clsid = 0;
    ASSERT_EQ(registry->RegOpenKeyEx(HKEY_CLASSES_ROOT, "CLSID", KEY_ENUMERATE_SUB_KEYS, clsid),
              ERROR_SUCCESS);
    Names seen;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 255;
        if (registry->RegEnumKeyEx(clsid, i, name, size) != ERROR_SUCCESS)
            break;
        const auto data = QueryData(*registry, HKEY_CLASSES_ROOT, "CLSID\\" + name, "");
        seen.push_back(name + "=" + data.bytes.substr(0, data.bytes.size() - 1));
        // Another case of the name just enumerated finds the same key.
        const std::string lower = "clsid\\" + name;
        EXPECT_EQ(QueryData(*registry, HKEY_CLASSES_ROOT, lower, "").bytes, data.bytes);
    }
    registry->RegCloseKey(clsid);
    EXPECT_EQ(seen, (Names{"{1}=m1", "{25}=u25", "{2}=u2", "{3}=m3"}));
}

} // namespace
} // namespace vx
