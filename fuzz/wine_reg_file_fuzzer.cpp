// The Wine registry file loader and saver. Any bytes that load must:
//  - serialize unchanged to exactly themselves (an unchanged file is written back byte for byte);
//  - after changes (values set again to their own data, so that their keys are written afresh; values
//    deleted; new keys with values of every kind) and a save, load back to the tree in memory: keys,
//    values, types and data; and serialize to exactly what the save wrote;
//  - do the same after further changes and a second save, which starts from what the first one wrote.
#include "fuzz_support.h"

#include "platform/registry.h"
#include "platform/wine/wine_reg_file.h"

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace {

using vx::RegKeyNode;
using vx::WineRegFile;

// One line per key and per value in tree order; names carry their length so that no byte of a name can
// pass for a separator.
std::vector<std::string> TreeLines(const WineRegFile& file) {
    std::vector<std::string> lines;
    std::string scratch;
    auto walk = [&](auto&& self, const RegKeyNode& key, const std::string& path) -> void {
        lines.push_back("key " + path);
        for (const auto& value : key.values) {
            const std::string_view bytes = file.ValueBytes(value, scratch);
            lines.push_back("value " + path + " | " + std::to_string(value.name().size()) + ":" +
                            std::string(value.name()) + " type " + std::to_string(value.type()) + " = " +
                            std::string(bytes));
        }
        for (const RegKeyNode* sub : key.subkeys)
            self(self, *sub, path + "\\" + std::to_string(sub->name.size()) + ":" + std::string(sub->name));
    };
    walk(walk, *file.Root(), "");
    return lines;
}

void ExpectSameTree(std::string_view what, const std::vector<std::string>& expected,
                    const std::vector<std::string>& actual, const std::string& saved) {
    if (expected == actual)
        return;
    size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    std::string detail = "first difference at line " + std::to_string(i) +
                         "\n  in memory: " + (i < expected.size() ? expected[i] : "(nothing)") + "\n  " +
                         std::string(what) + ": " + (i < actual.size() ? actual[i] : "(nothing)") +
                         "\n  saved text:\n" + saved;
    vx::fuzz::Fail("a save loads back to another tree than the one in memory", detail);
}

std::string ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<RegKeyNode*> KeysOf(WineRegFile& file) {
    std::vector<RegKeyNode*> keys;
    auto collect = [&](auto&& self, RegKeyNode& key) -> void {
        keys.push_back(&key);
        for (RegKeyNode* sub : key.subkeys)
            self(self, *sub);
    };
    collect(collect, *file.Root());
    return keys;
}

// Values a program may set: strings with and without their terminating zero, odd sizes for fixed-size
// types, a type beyond the known ones, long binary data, names Wine must escape.
void AddNewKey(WineRegFile& file, RegKeyNode& parent, std::string_view name) {
    RegKeyNode* key = file.CreateSubkey(parent, name);
    const std::string text("C\0:\0\\\0\xe9\0\xac\x20\0\0", 12);
    file.SetValue(*key, "", vx::REG_SZ, text);
    file.SetValue(*key, "unterminated", vx::REG_SZ, std::string_view("a\0b", 3));
    file.SetValue(*key, "short dword", vx::REG_DWORD, std::string_view("\x01\x02\x03", 3));
    file.SetValue(*key, "multi", vx::REG_MULTI_SZ, std::string_view("a\0\0\0b\0\0\0\0\0", 10));
    file.SetValue(*key, "expand", vx::REG_EXPAND_SZ, std::string_view("%\0A\0%\0\0\0", 8));
    file.SetValue(*key, "odd type", 0xFFFF0011u, std::string_view("\x00\xff", 2));
    file.SetValue(*key, "long", vx::REG_BINARY, std::string(100, '\x5c'));
    file.SetValue(*key, "with \"quotes\", [brackets] and \\ \x01 \xc3\xa9", vx::REG_NONE, "");
}

// The first round of changes: every value of the chosen keys set again to its own data, the first value
// of every third key deleted, and new keys below the root and below every fifth key.
void ChangeFirst(WineRegFile& file, bool everyKey) {
    const std::vector<RegKeyNode*> keys = KeysOf(file);
    std::string scratch;
    for (size_t k = 0; k < keys.size(); ++k) {
        RegKeyNode& key = *keys[k];
        if (everyKey || k % 2 == 1) {
            // Copied first: setting a value may move the others.
            std::vector<std::tuple<std::string, uint32_t, std::string>> values;
            for (const auto& value : key.values)
                values.emplace_back(value.name(), value.type(), file.ValueBytes(value, scratch));
            for (const auto& [name, type, bytes] : values)
                file.SetValue(key, name, type, bytes);
        }
        if (k % 3 == 2 && !key.values.empty())
            file.DeleteValue(key, std::string(key.values.front().name()));
        if (k % 5 == 4)
            AddNewKey(file, key, "Added [here] \x01");
    }
    AddNewKey(file, *file.Root(), "Fuzz\xc3\xa9 new");
}

// The second round: keys the first save wrote afresh and keys it copied change again, and another key
// is added.
void ChangeSecond(WineRegFile& file) {
    const std::vector<RegKeyNode*> keys = KeysOf(file);
    for (size_t k = 0; k < keys.size(); k += 3)
        file.SetValue(*keys[k], "second", vx::REG_DWORD, std::string_view("\x2a\0\0\0", 4));
    AddNewKey(file, *keys.back(), "Second");
}

void SaveAndReload(WineRegFile& file, const std::filesystem::path& path) {
    const std::vector<std::string> expected = TreeLines(file);
    std::string error;
    std::filesystem::remove(path);
    if (!file.Save(error))
        vx::fuzz::Fail("the registry file cannot be saved", error);
    const std::string saved = ReadWhole(path);
    vx::fuzz::ExpectSameText("after a save the file serializes to other text than the save wrote", saved,
                             file.Serialize());
    std::vector<std::string> warnings;
    auto reloaded = WineRegFile::Parse(saved, path, "REGISTRY\\Machine", error, warnings);
    if (!reloaded)
        vx::fuzz::Fail("the saved registry file does not load", error + "\n" + saved);
    ExpectSameTree("reloaded", expected, TreeLines(*reloaded), saved);
    ExpectSameTree("after the save", expected, TreeLines(file), saved);
}

void ChangeAndSaveTwice(const std::string& text, bool everyKey) {
    const std::filesystem::path path = vx::fuzz::ScratchFolder() / "system.reg";
    std::string error;
    std::vector<std::string> warnings;
    auto file = WineRegFile::Parse(text, path, "REGISTRY\\Machine", error, warnings);
    if (!file)
        vx::fuzz::Fail("the file loaded once and not a second time", error);
    ChangeFirst(*file, everyKey);
    SaveAndReload(*file, path);
    ChangeSecond(*file);
    SaveAndReload(*file, path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    std::vector<std::string> warnings;
    auto file = WineRegFile::Parse(text, vx::fuzz::ScratchFolder() / "system.reg", "REGISTRY\\Machine", error,
                                   warnings);
    if (!file)
        return 0;
    vx::fuzz::ExpectSameText("an unchanged registry file serializes to other text", text, file->Serialize());
    ChangeAndSaveTwice(text, true);
    ChangeAndSaveTwice(text, false);
    return 0;
}
