// The live registry through the Win32 backend, under Wine: the answers the logic relies on, checked on
// keys the tests make themselves below HKEY_CURRENT_USER.
#include "app/registry_settings_store.h"
#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/text.h"
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vx {
namespace {

constexpr std::string_view kScratch = "Software\\Vantrelix tests";

std::span<const uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

class Win32RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveScratch();
        ASSERT_EQ(registry.RegCreateKeyEx(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS, scratch),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        registry.RegCloseKey(scratch);
        RemoveScratch();
        EXPECT_EQ(registry.OpenHandleCount(), 0u);
    }
    // Deletes the scratch key, deepest keys first.
    void RemoveScratch() { RemoveTree(std::string(kScratch)); }
    void RemoveTree(const std::string& path) {
        HKEY key = 0;
        if (registry.RegOpenKeyEx(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
            return;
        std::vector<std::string> children;
        std::string name;
        for (uint32_t i = 0;; ++i) {
            uint32_t size = 1024;
            if (registry.RegEnumKeyEx(key, i, name, size) != ERROR_SUCCESS)
                break;
            children.push_back(name);
        }
        registry.RegCloseKey(key);
        for (const auto& child : children)
            RemoveTree(path + "\\" + child);
        registry.DeleteKey(HKEY_CURRENT_USER, path);
    }
    void SetText(std::string_view name, std::string_view text, uint32_t type = REG_SZ) {
        std::string data(text);
        data += '\0';
        ASSERT_EQ(registry.RegSetValueEx(scratch, name, type, Bytes(data)), ERROR_SUCCESS);
    }
    std::vector<std::string> SubkeyNames(HKEY key) {
        std::vector<std::string> names;
        std::string name;
        Status status;
        for (uint32_t i = 0;; ++i) {
            uint32_t size = 255;
            if ((status = registry.RegEnumKeyEx(key, i, name, size)) != ERROR_SUCCESS)
                break;
            EXPECT_EQ(size, name.size());
            names.push_back(name);
        }
        EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
        return names;
    }

    Win32Registry registry;
    HKEY scratch = 0;
};

TEST_F(Win32RegistryTest, SubkeysEnumerateInTheOrderOfTheirUpperCasedNamesWithNonAsciiNamesIntact) {
    const std::vector<std::string> made = {"zeta", "Alpha", "beta", "Ärger", "Émile", "äpfel", "Beta2"};
    for (const auto& name : made) {
        HKEY key = 0;
        bool created = false;
        ASSERT_EQ(registry.RegCreateKeyEx(scratch, name, KEY_ALL_ACCESS, key, &created), ERROR_SUCCESS);
        EXPECT_TRUE(created) << name;
        registry.RegCloseKey(key);
    }
    std::vector<std::string> expected = made;
    std::sort(expected.begin(), expected.end(),
              [](const std::string& a, const std::string& b) { return FoldCase(a) < FoldCase(b); });
    // UTF-16 order of the upper-cased names, as Wine and the Wine-prefix backend keep them.
    EXPECT_EQ(expected,
              (std::vector<std::string>{"Alpha", "beta", "Beta2", "zeta", "äpfel", "Ärger", "Émile"}));
    EXPECT_EQ(SubkeyNames(scratch), expected);
    // Opening by a name of another case finds the same key.
    HKEY key = 0;
    ASSERT_EQ(registry.RegOpenKeyEx(scratch, "ärger", KEY_READ, key), ERROR_SUCCESS);
    registry.RegCloseKey(key);
}

// Windows allows any UTF-16 units in names, unpaired surrogates included: names that differ only there
// are two keys and two values, enumerated, read and deleted each by its own name.
TEST_F(Win32RegistryTest, NamesDifferingOnlyInUnpairedSurrogatesStayApart) {
    const std::string high = "keep\xED\xA0\x80", next = "keep\xED\xA0\x81"; // U+D800 and U+D801 alone
    for (const auto& name : {high, next}) {
        HKEY key = 0;
        bool created = false;
        ASSERT_EQ(registry.RegCreateKeyEx(scratch, name, KEY_ALL_ACCESS, key, &created), ERROR_SUCCESS);
        EXPECT_TRUE(created);
        registry.RegCloseKey(key);
        ASSERT_EQ(registry.RegSetValueRaw(scratch, name, REG_BINARY, name), ERROR_SUCCESS);
    }
    EXPECT_EQ(SubkeyNames(scratch), (std::vector<std::string>{high, next}));
    std::vector<std::string> values;
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t size = 255;
        if (registry.RegEnumValue(scratch, i, name, size, nullptr, {}, nullptr) != ERROR_SUCCESS)
            break;
        values.push_back(name);
    }
    EXPECT_EQ(values, (std::vector<std::string>{high, next}));
    ASSERT_EQ(registry.RegDeleteValue(scratch, high), ERROR_SUCCESS);
    uint32_t type = 0;
    std::string bytes;
    EXPECT_EQ(registry.RegQueryValueRaw(scratch, high, type, bytes), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(registry.RegQueryValueRaw(scratch, next, type, bytes), ERROR_SUCCESS);
    EXPECT_EQ(bytes, next);
}

TEST_F(Win32RegistryTest, NamesAndDataLongerThanTheCallersBufferInUtf8BytesGiveMoreData) {
    struct Case {
        std::string name;
        std::string data;
        Status expected;
    };
    const std::string e = "\xC3\xA9"; // é: one UTF-16 unit, two UTF-8 bytes
    std::string e127, e128;
    for (int i = 0; i < 127; ++i)
        e127 += e;
    e128 = e127 + e;
    const Case cases[] = {
        {std::string(254, 'n'), "short", ERROR_SUCCESS},   // 254 + zero fills the 255 bytes
        {std::string(255, 'n'), "short", ERROR_MORE_DATA}, // one byte too many
        {e127, "short", ERROR_SUCCESS},                    // 254 bytes
        {e128, "short", ERROR_MORE_DATA},                  // 128 characters, but 256 bytes
        {"data", std::string(254, 'd'), ERROR_SUCCESS},    // 254 + zero
        {"data", std::string(255, 'd'), ERROR_MORE_DATA},  // 256 with its zero
        {"utf8 data", e128, ERROR_MORE_DATA},              // 257 bytes in UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 12) + " (" + std::to_string(c.name.size()) + " bytes)");
        RemoveTree(std::string(kScratch));
        registry.RegCloseKey(scratch);
        ASSERT_EQ(registry.RegCreateKeyEx(HKEY_CURRENT_USER, kScratch, KEY_ALL_ACCESS, scratch),
                  ERROR_SUCCESS);
        SetText(c.name, c.data);
        std::string name;
        uint32_t nameSize = 255;
        uint8_t buffer[255];
        uint32_t dataSize = 255;
        uint32_t type = 0;
        EXPECT_EQ(registry.RegEnumValue(scratch, 0, name, nameSize, &type, buffer, &dataSize), c.expected);
        if (c.expected == ERROR_SUCCESS) {
            EXPECT_EQ(name, c.name);
            EXPECT_EQ(nameSize, c.name.size());
            EXPECT_EQ(type, REG_SZ);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), dataSize), c.data + '\0');
        }
    }
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAndTheEndOfAnEnumerationGiveTheirOwnCodes) {
    HKEY key = 0;
    EXPECT_EQ(registry.RegOpenKeyEx(scratch, "no such key", KEY_READ, key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\No Such Vendor\\At All", key),
              ERROR_FILE_NOT_FOUND);
    uint32_t size = 0;
    EXPECT_EQ(registry.RegQueryValueEx(scratch, "missing", nullptr, {}, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegDeleteValue(scratch, "missing"), ERROR_FILE_NOT_FOUND);
    std::string name;
    uint32_t nameSize = 255;
    EXPECT_EQ(registry.RegEnumValue(scratch, 0, name, nameSize, nullptr, {}, nullptr), ERROR_NO_MORE_ITEMS);
    nameSize = 255;
    EXPECT_EQ(registry.RegEnumKeyEx(scratch, 0, name, nameSize), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(registry.RegCloseKey(0x1234), ERROR_INVALID_HANDLE);
    // Nothing was created by the failed opens.
    EXPECT_EQ(registry.RegOpenKey(scratch, "no such key", key), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32RegistryTest, AHandleWithoutTheRightToSetValuesIsRefusedAndTheRefusalIsExplained) {
    SetText("kept", "C:\\missing.exe");
    HKEY readOnly = 0;
    ASSERT_EQ(registry.RegOpenKeyEx(HKEY_CURRENT_USER, kScratch, KEY_QUERY_VALUE, readOnly), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegDeleteValue(readOnly, "kept"), ERROR_ACCESS_DENIED);
    EXPECT_NE(registry.LastError().find("HKEY_CURRENT_USER\\Software\\Vantrelix tests"), std::string::npos)
        << registry.LastError();
    EXPECT_EQ(registry.RegSetValueEx(readOnly, "new", REG_SZ, Bytes("x")), ERROR_ACCESS_DENIED);
    registry.RegCloseKey(readOnly);
    std::string out;
    EXPECT_TRUE(ReadRegistryString(registry, HKEY_CURRENT_USER, kScratch, "kept", out));
    EXPECT_EQ(out, "C:\\missing.exe");
}

TEST_F(Win32RegistryTest, EveryTypeTheProgramMeetsRoundTripsByteForByte) {
    struct Case {
        std::string name;
        uint32_t type;
        std::string data; // as the single-byte calls deliver it
    };
    const Case cases[] = {
        {"sz", REG_SZ,
         std::string("Gr\xC3\xBC\xC3\x9F"
                     "e \xE6\x97\xA5\xE6\x9C\xAC") +
             '\0'},
        {"expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x.dll") + '\0'},
        {"multi", REG_MULTI_SZ, std::string("a\0\xC3\xA9\0\0", 6)},
        {"unterminated", REG_SZ, "no zero"}, // kept so, though Windows would add a zero it finds after it
        {"dword", REG_DWORD, std::string("\x2A\0\0\0", 4)},
        {"binary", REG_BINARY, std::string("\0\xFF\x10", 3)},
        {"", REG_SZ, std::string("unnamed") + '\0'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(registry.RegSetValueEx(scratch, c.name, c.type, Bytes(c.data)), ERROR_SUCCESS);
        uint32_t type = 0, size = 0;
        ASSERT_EQ(registry.RegQueryValueEx(scratch, c.name, &type, {}, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(size, c.data.size());
        std::vector<uint8_t> buffer(size + 4, 0xEE);
        size = static_cast<uint32_t>(buffer.size());
        ASSERT_EQ(registry.RegQueryValueEx(scratch, c.name, &type, buffer, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), size), c.data);
    }
    // Through the access layer as the logic reads them.
    std::string text;
    ASSERT_TRUE(ReadRegistryString(registry, HKEY_CURRENT_USER, kScratch, "sz", text));
    EXPECT_EQ(text, "Gr\xC3\xBC\xC3\x9F"
                    "e \xE6\x97\xA5\xE6\x9C\xAC");
}

TEST_F(Win32RegistryTest, TheSettingsStoreKeepsStringValuesUnderVbAndVbaProgramSettings) {
    RegistrySettingsStore store(registry);
    const std::string app = "Vantrelix tests app";
    EXPECT_EQ(store.GetSetting(app, "Settings", "txtBackup", "fallback"), "fallback");
    store.SaveSetting(app, "Settings", "txtBackup", "C:\\Sicherung \xC3\xA4");
    store.SaveSetting(app, "Settings", "chkMakeBackUp", "1");
    EXPECT_TRUE(store.LastError().empty()) << store.LastError();
    EXPECT_EQ(store.GetSetting(app, "settings", "TXTBACKUP", ""), "C:\\Sicherung \xC3\xA4");
    const std::string key = "Software\\VB and VBA Program Settings\\" + app + "\\Settings";
    HKEY handle = 0;
    ASSERT_EQ(registry.RegOpenKeyEx(HKEY_CURRENT_USER, key, KEY_READ, handle), ERROR_SUCCESS);
    uint32_t type = 0, size = 0;
    EXPECT_EQ(registry.RegQueryValueEx(handle, "chkMakeBackUp", &type, {}, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    registry.RegCloseKey(handle);
    EXPECT_EQ(store.AllSettings(app, "Settings"),
              (std::map<std::string, std::string>{{"chkMakeBackUp", "1"},
                                                  {"txtBackup", "C:\\Sicherung \xC3\xA4"}}));
    registry.DeleteKey(HKEY_CURRENT_USER, key);
    registry.DeleteKey(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\" + app);
}

} // namespace
} // namespace vx
