// Wine's registry files: every kind of value line, lines Wine would skip, saving only what changed in
// Wine's own layout, and saves that never damage the file they replace.
#include "support/registry_test_prefix.h"

#include "platform/root_keys.h"
#include "platform/utf16.h"
#include "platform/wine/wine_reg_file.h"
#include "platform/wine/wine_server.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vx {
namespace {
namespace fs = std::filesystem;
using test::MachineFile;
using test::ReadAll;
using test::RegistryPrefix;
using test::Wtf8;
using Names = std::vector<std::string>;

std::unique_ptr<WineRegFile> ParseText(const std::string& text,
                                       std::vector<std::string>* warnings = nullptr) {
    std::string error;
    std::vector<std::string> ignored;
    auto file = WineRegFile::Parse(text, "test/system.reg", "REGISTRY\\Machine", error,
                                   warnings ? *warnings : ignored);
    EXPECT_TRUE(file) << error;
    return file;
}

const RegValueRecord* Find(WineRegFile& file, std::string_view path, std::string_view name) {
    RegKeyNode* key = file.Root();
    for (size_t start = 0; key && start < path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        key = file.FindSubkey(*key, path.substr(start, end - start));
        start = end + 1;
    }
    return key ? file.FindValue(*key, name) : nullptr;
}

std::string Utf16(std::string_view utf8, bool terminated = true) {
    return Utf8ToUtf16(utf8) + (terminated ? std::string(2, '\0') : std::string());
}

TEST(WineRegFile, ReadsEveryKindOfValueLine) {
    struct Case {
        const char* line;
        uint32_t type;
        std::string bytes;
    };
    const Case cases[] = {
        {"@=\"plain\"", 1, Utf16("plain")},
        {"\"v\"=str:\"also plain\"", 1, Utf16("also plain")},
        {"\"v\"=\"a\\\\b \\\"q\\\" \\n\\r\\t end\"", 1, Utf16("a\\b \"q\" \n\r\t end")},
        {"\"v\"=\"C:\\\\Program Files\\\\x.dll\"", 1, Utf16("C:\\Program Files\\x.dll")},
        {"\"v\"=\"say \\\"hi\\\"\"", 1, Utf16("say \"hi\"")},
        {"\"v\"=\"C:\\\\Caf\xc3\xa9\"", 1,
         Utf16("C:\\Caf\xc3\x83\xc2\xa9")}, // bytes beyond ASCII are Latin-1
        {"\"v\"=\"nul\\0in\"", 1, Utf16(std::string_view("nul\0in", 6))},
        {"\"v\"=\"\\x41\\x00e9\\x20ac\\101\\7\"", 1, Utf16("Aé€A\a")},
        {"\"v\"=str(2):\"%WINDIR%\\\\x\"", 2, Utf16("%WINDIR%\\x")},
        {"\"v\"=str(7):\"one\\0two\\0\"", 7, Utf16(std::string_view("one\0two\0", 8))},
        {"\"v\"=dword:0000002a", 4, std::string("\x2a\0\0\0", 4)},
        {"\"v\"=dword:ffffffff", 4, "\xff\xff\xff\xff"},
        {"\"v\"=hex:", 3, ""},
        {"\"v\"=hex:de,ad,BE,ef", 3, "\xde\xad\xbe\xef"},
        {"\"v\"=hex:01,02,\\\n  03,\\\n  04", 3, "\x01\x02\x03\x04"},
        {"\"v\"=hex(2):25,00,41,00,25,00,00,00", 2, Utf16("%A%")},
        {"\"v\"=hex(7):61,00,00,00,62,00,00,00,00,00", 7, Utf16(std::string_view("a\0b\0", 4))},
        {"\"v\"=hex(b):10,00,00,00,00,00,00,00", 11, std::string("\x10\0\0\0\0\0\0\0", 8)},
        {"\"v\"=hex(0):", 0, ""},
        {"\"with \\\"quotes\\\" \\x00e4\"=\"n\"", 1, Utf16("n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> warnings;
        auto file = ParseText(MachineFile("[K] 0\n" + std::string(c.line) + "\n"), &warnings);
        ASSERT_TRUE(file);
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        const RegKeyNode* key = file->FindSubkey(*file->Root(), "K");
        ASSERT_TRUE(key);
        ASSERT_EQ(key->values.size(), 1u);
        std::string scratch;
        EXPECT_EQ(key->values[0].type(), c.type);
        EXPECT_EQ(file->ValueBytes(key->values[0], scratch), c.bytes);
        // Read by the single-byte calls: the same data, strings in UTF-8, however they were escaped.
        std::string delivered, expected;
        file->AnsiData(key->values[0], delivered);
        file->RegistryStore::AnsiData(key->values[0], expected);
        EXPECT_EQ(delivered, expected);
    }
    auto named = ParseText(MachineFile("[K] 0\n\"with \\\"quotes\\\" \\x00e4\"=\"n\"\n"));
    EXPECT_TRUE(Find(*named, "K", "with \"quotes\" ä"));
}

TEST(WineRegFile, SkipsLinesWineCannotReadWithAWarningAndKeepsThem) {
    struct Case {
        const char* line;
        const char* problem;
    };
    const Case cases[] = {
        {"\"truncated\"=\"no closing quote", "malformed value"},
        {"\"escape\"=\"ends in a backslash\\", "malformed value"},
        {"\"badhex\"=hex:01,zz", "malformed value"},
        {"\"bighex\"=hex:1ff", "malformed value"},
        {"\"cut\"=hex:01,\\\n  0g", "malformed value"},
        {"\"nameonly\"", "without '='"},
        {"\"type\"=word:1", "malformed value"},
        {"garbage", "unrecognized"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        RegistryPrefix prefix;
        const std::string original =
            MachineFile(std::string("[K] 0\n\"a\"=\"1\"\n") + c.line + "\n\"z\"=\"2\"\n[L] 0\n\"b\"=\"3\"\n");
        prefix.Put("system.reg", original);
        auto registry = prefix.Open();
        ASSERT_EQ(prefix.warnings.size(), 1u);
        // The line number counts from 1: the damaged line is the 8th of the file.
        EXPECT_NE(prefix.warnings[0].find((prefix / "system.reg").string() + ":8: "), std::string::npos)
            << prefix.warnings[0];
        EXPECT_NE(prefix.warnings[0].find(c.problem), std::string::npos) << prefix.warnings[0];
        EXPECT_EQ(test::ValuesOf(*registry, HKEY_LOCAL_MACHINE, "K"), (Names{"a", "z"}));
        EXPECT_EQ(test::ValuesOf(*registry, HKEY_LOCAL_MACHINE, "L"), (Names{"b"}));

        // Saved after a change to that very key, the line is still there, in its place.
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "K", key), ERROR_SUCCESS);
        const std::string m("m\0", 2);
        ASSERT_EQ(
            registry->RegSetValueEx(key, "m", REG_SZ, {reinterpret_cast<const uint8_t*>(m.data()), m.size()}),
            ERROR_SUCCESS);
        registry->RegCloseKey(key);
        ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
        const std::string saved = ReadAll(prefix / "system.reg");
        EXPECT_NE(saved.find(std::string("\"a\"=\"1\"\n") + c.line + "\n\"m\"=\"m\"\n\"z\"=\"2\"\n"),
                  std::string::npos)
            << saved;
    }
}

TEST(WineRegFile, ValuesAfterAKeyLineWineRefusesBelongToNoKey) {
    RegistryPrefix prefix;
    prefix.System("[Good] 0\n\"a\"=\"1\"\n[Broken\\\\Key 0\n\"orphan\"=\"x\"\n[Next] 0\n\"b\"=\"2\"\n");
    auto registry = prefix.Open();
    ASSERT_EQ(prefix.warnings.size(), 2u);
    EXPECT_NE(prefix.warnings[0].find("malformed key"), std::string::npos);
    EXPECT_NE(prefix.warnings[1].find("value without a key"), std::string::npos);
    EXPECT_EQ(test::ValuesOf(*registry, HKEY_LOCAL_MACHINE, "Good"), (Names{"a"}));
    EXPECT_EQ(test::SubkeysOf(*registry, HKEY_LOCAL_MACHINE, ""), (Names{"Good", "Next"}));
}

// A key path of `depth` names, "Deep" and then "k"s, with the separator given.
std::string DeepPath(size_t depth, std::string_view separator) {
    std::string path = "Deep";
    for (size_t i = 1; i < depth; ++i)
        path.append(separator).append("k");
    return path;
}

TEST(WineRegFile, KeysDeeperThanWindowsAllowsAreNotLoadedAndKeptAsTheyAre) {
    struct Case {
        size_t depth;
        bool loaded;
    };
    for (const Case c : {Case{kMaxKeyDepth, true}, Case{kMaxKeyDepth + 1, false}}) {
        SCOPED_TRACE(c.depth);
        const std::string deep = "[" + DeepPath(c.depth, "\\\\") + "] 1\n#time=1d0\n\"v\"=\"deep\"\n";
        const std::string original =
            MachineFile("[A] 1\n\"a\"=\"1\"\n\n" + deep + "\"w\"=dword:00000002\n\n[Z] 1\n\"z\"=\"1\"\n");
        RegistryPrefix prefix;
        prefix.Put("system.reg", original);
        auto registry = prefix.Open();
        const std::string path = DeepPath(c.depth, "\\");
        const std::string parent = path.substr(0, path.rfind('\\'));
        EXPECT_EQ(test::ValuesOf(*registry, HKEY_LOCAL_MACHINE, path),
                  (c.loaded ? Names{"v", "w"} : Names{"<cannot open>"}));
        // Its ancestors are there down to the deepest level a key may have.
        EXPECT_EQ(test::SubkeysOf(*registry, HKEY_LOCAL_MACHINE, parent), (c.loaded ? Names{"k"} : Names{}));
        if (c.loaded) {
            EXPECT_TRUE(prefix.warnings.empty());
        } else {
            ASSERT_EQ(prefix.warnings.size(), 1u);
            EXPECT_TRUE(prefix.warnings[0].starts_with((prefix / "system.reg").string() + ":9: "))
                << prefix.warnings[0];
            EXPECT_NE(prefix.warnings[0].find("deeper than 512 levels"), std::string::npos);
        }

        // A change after it leaves everything before the changed key as it was, the deep key included.
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Z", key), ERROR_SUCCESS);
        ASSERT_EQ(registry->RegDeleteValue(key, "z"), ERROR_SUCCESS);
        registry->RegCloseKey(key);
        ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
        const std::string saved = ReadAll(prefix / "system.reg");
        const size_t changed = original.find("[Z]");
        EXPECT_EQ(saved.substr(0, changed), original.substr(0, changed));
        EXPECT_EQ(saved.find("\"z\"="), std::string::npos);
    }
}

TEST(WineRegFile, RefusesAFileWithoutWinesHeader) {
    for (const char* text :
         {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n", "", "WINE REGISTRY Version 1\n"}) {
        RegistryPrefix prefix;
        prefix.Put("user.reg", text);
        std::string error;
        std::vector<std::string> warnings;
        EXPECT_FALSE(OpenWineRegistry(prefix.path(), error, warnings));
        EXPECT_NE(error.find((prefix / "user.reg").string()), std::string::npos) << error;
        EXPECT_NE(error.find("WINE REGISTRY Version 2"), std::string::npos) << error;
    }
}

// Wine keeps a name's UTF-16 units as they are, unpaired surrogates included, so two names that differ
// only there are two values (and two keys) here too, and a save writes each back as it was.
TEST(WineRegFile, NamesDifferingOnlyInUnpairedSurrogatesStayApart) {
    const std::string values = "\"keep\\xd800\"=\"high\"\n\"keep\\xd801\"=\"next\"\n";
    const std::string text =
        MachineFile("[Software\\\\Keep] 1\n#time=1\n" + values + "\"other\"=\"x\"\n\n" +
                    "[Software\\\\Keep\\\\k\\xd800] 1\n\n[Software\\\\Keep\\\\k\\xdc00] 1\n");
    auto file = ParseText(text);
    ASSERT_TRUE(file);
    RegKeyNode* key = file->FindSubkey(*file->FindSubkey(*file->Root(), "Software"), "Keep");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), 3u);
    EXPECT_EQ(key->values[0].name(), Wtf8(u"keep\xD800"));
    EXPECT_EQ(key->values[1].name(), Wtf8(u"keep\xD801"));
    std::string scratch;
    EXPECT_EQ(file->ValueBytes(*file->FindValue(*key, Wtf8(u"keep\xD801")), scratch), Utf16("next"));
    EXPECT_EQ(file->FindValue(*key, "keep\xEF\xBF\xBD"), nullptr) << "U+FFFD is a name of its own";
    ASSERT_EQ(key->subkeys.size(), 2u);
    EXPECT_TRUE(file->FindSubkey(*key, Wtf8(u"K\xD800")));
    EXPECT_TRUE(file->FindSubkey(*key, Wtf8(u"k\xDC00")));

    // A change in the key rewrites it: both lines stay as they were, a new one goes in its place.
    ASSERT_TRUE(file->DeleteValue(*key, "other"));
    file->SetValue(*key, Wtf8(u"KEEP\xD800!"), REG_SZ, Utf16("new"));
    const std::string saved = file->Serialize();
    EXPECT_NE(saved.find(values.substr(0, values.find('\n') + 1) + "\"KEEP\\xd800!\"=\"new\"\n" +
                         values.substr(values.find('\n') + 1)),
              std::string::npos)
        << saved;
    EXPECT_EQ(saved.find("other"), std::string::npos);
    EXPECT_EQ(ParseText(saved)->Serialize(), saved);
}

// A loaded value reads its name back from its line where the line shows it as it is, and keeps it beside
// the line otherwise: every layout Wine reads gives the name, the data and the line, before and after a
// change to the key rewrites it.
TEST(WineRegFile, EveryLayoutOfAValueLineKeepsItsNameAndLine) {
    const struct {
        std::string line;
        std::string name;
    } cases[] = {
        {"\"plain\"=\"x\"", "plain"},
        {"  \"blanks\" =\t\"x\"", "blanks"},
        {"@=\"x\"", ""},
        {" @ = \"x\"", ""},
        {"\"\"=\"x\"", ""},
        {"\"back\\\\slash\"=\"x\"", "back\\slash"},
        {"\"say \\\"hi\\\"\"=\"x\"", "say \"hi\""},
        {"\"\\x00e4\"=\"x\"", "\xC3\xA4"},
        {"\"\\xd800\" = \"x\"", "\xED\xA0\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text = MachineFile("[K] 1\n" + c.line + "\n");
        auto file = ParseText(text);
        ASSERT_TRUE(file);
        RegKeyNode* key = file->FindSubkey(*file->Root(), "K");
        ASSERT_TRUE(key);
        ASSERT_EQ(key->values.size(), 1u);
        EXPECT_EQ(key->values[0].name(), c.name);
        EXPECT_EQ(key->values[0].source(), c.line);
        EXPECT_EQ(key->values[0].data(), "\"x\"");
        EXPECT_EQ(file->Serialize(), text);

        file->SetValue(*key, "zz new", REG_DWORD, std::string(4, '\0'));
        const std::string changed = file->Serialize();
        EXPECT_NE(changed.find("\n" + c.line + "\n"), std::string::npos) << changed;
        EXPECT_NE(changed.find("\n\"zz new\"=dword:00000000\n"), std::string::npos) << changed;
        const RegValueRecord* set = file->FindValue(*key, "zz new");
        ASSERT_TRUE(set);
        EXPECT_FALSE(set->inText());
        EXPECT_EQ(set->name(), "zz new");
        EXPECT_EQ(set->data(), std::string(4, '\0'));
    }
}

TEST(WineRegFile, UnchangedFileIsNeitherRewrittenNorAltered) {
    // Odd but valid layout: CRLF line ends, no blank lines, comments, options, an unsorted key order.
    const std::string text = MachineFile("[B] 1\r\n#time=1d0\r\n;comment\r\n\"x\"=hex:01,\\\r\n   02\r\n"
                                         "[A] 2\r\n#class=\"c\"\r\n@=\"v\"\r\n[A] 3\r\n\"dup\"=\"d\"");
    RegistryPrefix prefix;
    prefix.Put("system.reg", text);
    struct stat before {};
    ASSERT_EQ(::stat((prefix / "system.reg").c_str(), &before), 0);
    auto registry = prefix.Open();
    EXPECT_TRUE(prefix.warnings.empty());
    EXPECT_EQ(registry->MachineFile().Serialize(), text);
    EXPECT_EQ(registry->Flush(), ERROR_SUCCESS);
    struct stat after {};
    ASSERT_EQ(::stat((prefix / "system.reg").c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadAll(prefix / "system.reg"), text);
}

TEST(WineRegFile, ChangedFileKeepsUnchangedKeysAndWritesChangedOnesAsWineDoes) {
    const std::string before =
        "[Software\\\\A] 1700000000\n#time=1d9000000000000\n\"keep\"=\"as it was\"\n\n"
        "[Software\\\\C] 1700000000\n#time=1d9000000000000\n\"gone\"=dword:00000001\n\"zeta\"=\"z\"\n\n"
        "[Software\\\\E] 1700000000\n#time=1d9000000000000\n@=\"untouched\"\n";
    RegistryPrefix prefix;
    prefix.System(before);
    auto registry = prefix.Open();
    const auto set = [&](HKEY root, const char* path, const char* name, uint32_t type, std::string data) {
        HKEY key = 0;
        ASSERT_EQ(registry->RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
        ASSERT_EQ(registry->RegSetValueEx(key, name, type,
                                          {reinterpret_cast<const uint8_t*>(data.data()), data.size()}),
                  ERROR_SUCCESS);
        registry->RegCloseKey(key);
    };
    set(HKEY_LOCAL_MACHINE, "Software\\C", "Alpha", REG_SZ, std::string("say \"hi\"\\ \x01 é\0", 15));
    set(HKEY_LOCAL_MACHINE, "Software\\C", "mid", REG_DWORD, std::string("\x10\0\0\0", 4));
    set(HKEY_LOCAL_MACHINE, "Software\\C", "zeta", REG_BINARY, std::string(40, '\xab'));
    set(HKEY_LOCAL_MACHINE, "Software\\D\\New", "m", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    HKEY c = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\C", c), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegDeleteValue(c, "gone"), ERROR_SUCCESS);
    registry->RegCloseKey(c);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);

    std::string saved = ReadAll(prefix / "system.reg");
    // Stamps of changed keys are the save's time; blank them out to compare the rest exactly.
    for (size_t at = 0; (at = saved.find("] 17", at)) != std::string::npos;) {
        const size_t end = saved.find('\n', at);
        if (saved.compare(at, end - at, "] 1700000000") != 0)
            saved.replace(at + 2, end - at - 2, "T");
        at = end;
    }
    for (size_t at = 0; (at = saved.find("#time=", at)) != std::string::npos;) {
        const size_t end = saved.find('\n', at);
        if (saved.compare(at, end - at, "#time=1d9000000000000") != 0)
            saved.replace(at + 6, end - at - 6, "T");
        at = end;
    }
    EXPECT_EQ(saved, MachineFile(
                         "[Software\\\\A] 1700000000\n#time=1d9000000000000\n\"keep\"=\"as it was\"\n\n"
                         "[Software\\\\C] T\n#time=T\n"
                         "\"Alpha\"=\"say \\\"hi\\\"\\\\ \\1 \\xe9\"\n"
                         "\"mid\"=dword:00000010\n"
                         "\"zeta\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\n"
                         "  ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab\n\n"
                         "[Software\\\\D\\\\New] T\n#time=T\n\"m\"=str(7):\"a\\0b\\0\"\n\n"
                         "[Software\\\\E] 1700000000\n#time=1d9000000000000\n@=\"untouched\"\n"));

    // What was saved reads back as what was set.
    auto again = prefix.Open();
    const auto alpha = test::QueryData(*again, HKEY_LOCAL_MACHINE, "Software\\C", "Alpha");
    EXPECT_EQ(alpha.bytes, std::string("say \"hi\"\\ \x01 é\0", 15));
    EXPECT_EQ(test::QueryData(*again, HKEY_LOCAL_MACHINE, "Software\\D\\New", "m").bytes,
              std::string("a\0b\0\0", 5));

    // A second save after a further change still starts from the file as last saved.
    const std::string firstSave = ReadAll(prefix / "system.reg");
    HKEY e = 0;
    ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "Software\\E", e), ERROR_SUCCESS);
    ASSERT_EQ(registry->RegDeleteValue(e, ""), ERROR_SUCCESS);
    registry->RegCloseKey(e);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    const std::string secondSave = ReadAll(prefix / "system.reg");
    EXPECT_EQ(secondSave.substr(0, firstSave.find("[Software\\\\E]")),
              firstSave.substr(0, firstSave.find("[Software\\\\E]")));
    EXPECT_EQ(secondSave.find("untouched"), std::string::npos);
}

TEST(WineRegFile, ValuesSetInAKeyWhoseLastLineHasNoLineBreakGoOnLinesOfTheirOwn) {
    struct Case {
        const char* name;
        const char* body;
    };
    const Case cases[] = {
        {"a value line", "[K] 0\n\"a\"=\"1\""},
        {"an option line", "[K] 0\n#class=\"c\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryPrefix prefix;
        prefix.System(c.body);
        auto registry = prefix.Open();
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "K", key), ERROR_SUCCESS);
        const std::string data("x\0", 2);
        ASSERT_EQ(registry->RegSetValueEx(key, "b", REG_SZ,
                                          {reinterpret_cast<const uint8_t*>(data.data()), data.size()}),
                  ERROR_SUCCESS);
        registry->RegCloseKey(key);
        ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
        auto again = prefix.Open();
        EXPECT_EQ(test::QueryData(*again, HKEY_LOCAL_MACHINE, "K", "b").bytes, data);
        if (std::string_view(c.body).find("\"a\"") != std::string_view::npos)
            EXPECT_EQ(test::QueryData(*again, HKEY_LOCAL_MACHINE, "K", "a").bytes, std::string("1\0", 2));
    }
}

TEST(WineRegFile, SavingAgainKeepsWhatTheLastSaveWroteBetweenKeys) {
    // Keys a save wrote afresh are separated by the blank lines it added; the next save must write them
    // again, or a key following a last line without a line break would be joined to that line.
    struct Case {
        const char* name;
        const char* body;
    };
    const Case cases[] = {
        {"sections without blank lines", "[A] 0\n\"a\"=\"1\"\n[B] 0\n\"b\"=\"2\"\n"},
        {"a last line without a line break", "[A] 0\n\"a\"=\"1\"\n;the end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryPrefix prefix;
        prefix.System(c.body);
        auto registry = prefix.Open();
        const auto set = [&](const char* path, const char* name) {
            HKEY key = 0;
            ASSERT_EQ(registry->RegCreateKeyEx(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, key), ERROR_SUCCESS);
            const std::string data("x\0", 2);
            ASSERT_EQ(registry->RegSetValueEx(key, name, REG_SZ,
                                              {reinterpret_cast<const uint8_t*>(data.data()), data.size()}),
                      ERROR_SUCCESS);
            registry->RegCloseKey(key);
        };
        set("A", "a");
        set("B", "b");
        set("New", "n");
        ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
        const std::string firstSave = ReadAll(prefix / "system.reg");
        EXPECT_EQ(registry->MachineFile().Serialize(), firstSave);

        set("Other", "o");
        ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
        auto again = prefix.Open();
        EXPECT_EQ(test::SubkeysOf(*again, HKEY_LOCAL_MACHINE, ""), (Names{"A", "B", "New", "Other"}));
        EXPECT_EQ(test::ValuesOf(*again, HKEY_LOCAL_MACHINE, "New"), (Names{"n"}));
    }
}

// Every key with its values (name, type, bytes), one line each, in tree order.
std::string Tree(WineRegFile& file) {
    std::string out, scratch;
    const auto walk = [&](const auto& self, const RegKeyNode& key, const std::string& path) -> void {
        out += "[" + path + "]\n";
        for (const auto& value : key.values)
            out += "  \"" + std::string(value.name()) + "\" " + std::to_string(value.type()) + " " +
                   std::string(file.ValueBytes(value, scratch)) + "\n";
        for (const RegKeyNode* sub : key.subkeys)
            self(self, *sub, path + "\\" + std::string(sub->name));
    };
    walk(walk, *file.Root(), "");
    return out;
}

TEST(WineRegFile, SkippedHexLineEndingInABackslashReadsTheSameAfterEverySave) {
    // Hex data stopping at a backslash reads on into the next line; at the end of the file there is none,
    // so the line is skipped. Whatever a save puts after it must not be read as more of it.
    struct Case {
        const char* name;
        const char* body; // the damaged line last, in the key "K"
    };
    const Case cases[] = {
        {"a backslash ending the file", "[K] 0\n\"a\"=\"1\"\n\"\"=hex:\\"},
        {"then a line break", "[K] 0\n\"a\"=\"1\"\n\"\"=hex:\\\n"},
        {"a backslash mid-line", "[K] 0\n\"Order\"=hex:0\\olddrv.vxd\""},
        {"after continuation lines", "[K] 0\n\"h\"=hex:00,\\\n  01,\\\r\n"},
    };
    const struct {
        const char* name;
        std::function<void(WineRegFile&, int)> change;
    } changes[] = {
        {"a key after it",
         [](WineRegFile& file, int round) {
             RegKeyNode* key = file.CreateSubkey(*file.Root(), "New" + std::to_string(round));
             file.SetValue(*key, "n", REG_SZ, std::string("x\0", 2));
         }},
        {"a value in its key",
         [](WineRegFile& file, int round) {
             file.SetValue(*file.FindSubkey(*file.Root(), "K"), "v" + std::to_string(round), REG_DWORD,
                           std::string(4, '\1'));
         }},
    };
    for (const auto& c : cases) {
        for (const auto& change : changes) {
            SCOPED_TRACE(std::string(c.name) + ", adding " + change.name);
            RegistryPrefix prefix;
            prefix.System(c.body);
            std::string error;
            std::vector<std::string> warnings;
            auto file = WineRegFile::Load(prefix / "system.reg", "REGISTRY\\Machine", error, warnings);
            ASSERT_TRUE(file) << error;
            ASSERT_EQ(warnings.size(), 1u);
            for (int round = 1; round <= 2; ++round) {
                change.change(*file, round);
                ASSERT_TRUE(file->Save(error)) << error;
                const std::string saved = ReadAll(prefix / "system.reg");
                EXPECT_EQ(file->Serialize(), saved);
                auto again = ParseText(saved, &warnings);
                ASSERT_TRUE(again);
                EXPECT_EQ(Tree(*again), Tree(*file)) << saved;
            }
        }
    }
}

TEST(WineRegFile, SavesInOneRunKeepTrackOfKeysAfterNewOnes) {
    // A save that puts new keys between loaded ones moves the sections after them; the saves that follow
    // must still find each key's own section, or a value set in a moved key is lost or written twice.
    RegistryPrefix prefix;
    prefix.System("[A] 0\n\"a\"=\"1\"\n\n[C] 0\n\"c\"=\"1\"\n\n[C\\\\Sub] 0\n\n[E] 0\n\"e\"=\"1\"\n");
    std::string error;
    std::vector<std::string> warnings;
    auto file = WineRegFile::Load(prefix / "system.reg", "REGISTRY\\Machine", error, warnings);
    ASSERT_TRUE(file) << error;
    const auto set = [&](std::string_view path, const std::string& name) {
        RegKeyNode* key = file->Root();
        for (size_t start = 0; start <= path.size();) {
            const size_t end = std::min(path.find('\\', start), path.size());
            key = file->CreateSubkey(*key, path.substr(start, end - start));
            start = end + 1;
        }
        file->SetValue(*key, name, REG_SZ, std::string("x\0", 2));
    };
    const std::vector<std::vector<std::pair<std::string, std::string>>> rounds = {
        {{"B", "b"}, {"D", "d"}},                // new keys between the loaded ones
        {{"C", "c2"}, {"E", "e2"}, {"B", "b2"}}, // keys moved by them, and one the last save wrote
        {{"A", "a2"}, {"Bb", "n"}, {"C\\Sub", "s"}, {"E", "e3"}},
        {{"C", "c3"}, {"D", "d2"}, {"E", "e4"}},
    };
    for (size_t round = 0; round < rounds.size(); ++round) {
        SCOPED_TRACE("save " + std::to_string(round + 1));
        for (const auto& [path, name] : rounds[round])
            set(path, name);
        ASSERT_TRUE(file->Save(error)) << error;
        const std::string saved = ReadAll(prefix / "system.reg");
        EXPECT_EQ(file->Serialize(), saved);
        auto again = ParseText(saved);
        ASSERT_TRUE(again);
        EXPECT_EQ(Tree(*again), Tree(*file)) << saved;
        for (size_t done = 0; done <= round; ++done)
            for (const auto& [path, name] : rounds[done]) {
                const std::string line = "\"" + name + "\"=";
                const size_t at = saved.find(line);
                EXPECT_TRUE(at != std::string::npos && saved.find(line, at + 1) == std::string::npos)
                    << name << " once in\n"
                    << saved;
            }
    }
}

TEST(WineRegFile, LargeFileIsSavedWholeThroughManyWrites) {
    // A file of megabytes goes out in many writes, from the loaded text and from what was written afresh.
    std::string body;
    for (int i = 0; i < 20000; ++i)
        body += "[Key" + std::to_string(100000 + i) + "] 0\n\"v\"=\"" + std::string(i % 97, 'x') + "\"\n\n";
    RegistryPrefix prefix;
    prefix.System(body);
    std::string error;
    std::vector<std::string> warnings;
    auto file = WineRegFile::Load(prefix / "system.reg", "REGISTRY\\Machine", error, warnings);
    ASSERT_TRUE(file) << error;
    for (const char* name : {"Key100000", "Key110000", "Key119999"})
        file->SetValue(*file->FindSubkey(*file->Root(), name), "w", REG_DWORD, std::string(4, '\1'));
    const std::string expected = file->Serialize();
    ASSERT_GT(expected.size(), size_t{1} << 20);
    ASSERT_TRUE(file->Save(error)) << error;
    EXPECT_TRUE(ReadAll(prefix / "system.reg") == expected);
}

// The prefix's file after a change that a failed save must not reach.
class FailedSave : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.System("[K] 1\n\"v\"=\"old\"\n");
        ASSERT_EQ(::chmod((prefix / "system.reg").c_str(), 0640), 0);
        original = ReadAll(prefix / "system.reg");
        registry = prefix.Open();
        HKEY key = 0;
        ASSERT_EQ(registry->RegOpenKey(HKEY_LOCAL_MACHINE, "K", key), ERROR_SUCCESS);
        const std::string data("new\0", 4);
        ASSERT_EQ(registry->RegSetValueEx(key, "v", REG_SZ,
                                          {reinterpret_cast<const uint8_t*>(data.data()), data.size()}),
                  ERROR_SUCCESS);
        registry->RegCloseKey(key);
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(prefix.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    RegistryPrefix prefix;
    std::string original;
    std::unique_ptr<WineRegistry> registry;
};

TEST_F(FailedSave, FailureBeforeTheRenameLeavesTheOriginalAndNoTemporaryFile) {
    for (auto stage : {WineRegFile::SaveStage::HalfWritten, WineRegFile::SaveStage::BeforeRename}) {
        registry->MachineFile().SetSaveFault([stage](WineRegFile::SaveStage at) { return at == stage; });
        EXPECT_EQ(registry->Flush(), ERROR_CANTWRITE);
        EXPECT_NE(registry->LastError().find((prefix / "system.reg").string()), std::string::npos)
            << registry->LastError();
        EXPECT_EQ(ReadAll(prefix / "system.reg"), original);
        EXPECT_EQ(FolderEntries(), (Names{"system.reg"}));
    }
    // Once the disk behaves, the change is saved with the file's permissions.
    registry->MachineFile().SetSaveFault({});
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_NE(ReadAll(prefix / "system.reg").find("\"v\"=\"new\""), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat((prefix / "system.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(FailedSave, ProcessDyingHalfWayThroughASaveLeavesTheOriginalIntact) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        registry->MachineFile().SetSaveFault([](WineRegFile::SaveStage at) {
            if (at == WineRegFile::SaveStage::HalfWritten)
                ::_exit(0);
            return false;
        });
        registry->Flush();
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0); // it died at the point chosen
    EXPECT_EQ(ReadAll(prefix / "system.reg"), original);
    // Whatever the dead save left is a hidden temporary file beside it, never the registry file itself.
    auto entries = FolderEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].rfind(".system.reg.vx-", 0), 0u);
}

TEST_F(FailedSave, TheNextSaveRemovesTheTemporaryFileOfASaveThatDied) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        registry->MachineFile().SetSaveFault([](WineRegFile::SaveStage at) {
            if (at == WineRegFile::SaveStage::HalfWritten)
                ::_exit(0);
            return false;
        });
        registry->Flush();
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(FolderEntries().size(), 2u);
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_EQ(FolderEntries(), (Names{"system.reg"}));
    EXPECT_NE(ReadAll(prefix / "system.reg").find("\"v\"=\"new\""), std::string::npos);
}

// A process that is gone, for temporary files named after it.
pid_t DeadProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(FailedSave, TemporaryFilesThatAWriterMayStillBeWritingStay) {
    const std::string dead = std::to_string(DeadProcess());
    struct Entry {
        std::string name;
        bool locked; // a writer holds its lock
        bool stays;
    };
    const Entry entries[] = {
        {".system.reg.vx-" + dead + "-a1b2c3", false, false},
        {".system.reg.vx-d4e5f6", false, false}, // named without a process
        {".system.reg.vx-" + dead + "-g7h8i9", true, true},
        {".system.reg.vx-1-j1k2l3", false, true}, // process 1 is always there
        {".user.reg.vx-" + dead + "-m4n5o6", false, true},
    };
    std::vector<int> locks;
    Names expected{"system.reg"};
    for (const Entry& e : entries) {
        test::WriteAll(prefix / e.name, "half a registry file");
        if (e.locked) {
            locks.push_back(::open((prefix / e.name).c_str(), O_RDONLY));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
        if (e.stays)
            expected.push_back(e.name);
    }
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(registry->Flush(), ERROR_SUCCESS);
    EXPECT_EQ(FolderEntries(), expected);
    for (const int fd : locks)
        ::close(fd);
}

TEST_F(FailedSave, RunningWineServerRefusesTheSaveAndSaysWhy) {
    test::TempDir sockets;
    registry->SetServerSocketRoot(sockets.path());
    const fs::path dir = WineServerDir(prefix.path(), sockets.path());
    fs::create_directories(dir);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = (dir / "socket").string();
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(server, 4), 0);

    EXPECT_EQ(registry->Flush(), ERROR_SHARING_VIOLATION);
    EXPECT_NE(registry->LastError().find("Wine is running"), std::string::npos) << registry->LastError();
    EXPECT_EQ(registry->LastError().find('\n'), std::string::npos);
    EXPECT_EQ(ReadAll(prefix / "system.reg"), original);

    // A socket left behind by a server that is gone does not hold the save up.
    ::close(server);
    EXPECT_EQ(registry->Flush(), ERROR_SUCCESS);
}

} // namespace
} // namespace vx
