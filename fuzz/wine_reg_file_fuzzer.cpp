// The Wine registry file loader and saver. Any bytes that load must:
//  - serialize unchanged to exactly themselves (an unchanged file is written back byte for byte);
//  - after a save in which the keys are written afresh (every value set again to its own data, in every
//    key or every other key), load back to the same tree: keys, values, types and data;
//  - serialize after that save to exactly what the save wrote.
#include "fuzz_support.h"

#include "platform/wine/wine_reg_file.h"

#include <fstream>
#include <iterator>
#include <string>
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

void ExpectSameTree(const std::vector<std::string>& before, const std::vector<std::string>& after,
                    const std::string& saved) {
    if (before == after)
        return;
    size_t i = 0;
    while (i < before.size() && i < after.size() && before[i] == after[i])
        ++i;
    std::string detail = "first difference at line " + std::to_string(i) +
                         "\n  loaded: " + (i < before.size() ? before[i] : "(nothing)") +
                         "\n  reloaded: " + (i < after.size() ? after[i] : "(nothing)") +
                         "\n  saved text:\n" + saved;
    vx::fuzz::Fail("the saved registry file loads to a different tree", detail);
}

std::string ReadWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets every value of the chosen keys again to its own data, which makes those keys be written afresh.
void RewriteValues(WineRegFile& file, bool everyKey) {
    std::vector<RegKeyNode*> keys;
    auto collect = [&](auto&& self, RegKeyNode& key) -> void {
        keys.push_back(&key);
        for (RegKeyNode* sub : key.subkeys)
            self(self, *sub);
    };
    collect(collect, *file.Root());
    std::string scratch;
    for (size_t k = 0; k < keys.size(); ++k) {
        if (!everyKey && k % 2 == 0)
            continue;
        RegKeyNode& key = *keys[k];
        // Copied first: setting a value may move the others.
        std::vector<std::tuple<std::string, uint32_t, std::string>> values;
        for (const auto& value : key.values)
            values.emplace_back(value.name(), value.type(), file.ValueBytes(value, scratch));
        for (const auto& [name, type, bytes] : values)
            file.SetValue(key, name, type, bytes);
    }
}

void SaveAndReload(const std::string& text, bool everyKey) {
    const std::filesystem::path path = vx::fuzz::ScratchFolder() / "system.reg";
    std::string error;
    std::vector<std::string> warnings;
    auto file = WineRegFile::Parse(text, path, "REGISTRY\\Machine", error, warnings);
    if (!file)
        vx::fuzz::Fail("the file loaded once and not a second time", error);
    const std::vector<std::string> before = TreeLines(*file);
    RewriteValues(*file, everyKey);
    if (!file->Changed())
        return; // no value to set: the unchanged text was checked already
    std::filesystem::remove(path);
    if (!file->Save(error))
        vx::fuzz::Fail("the registry file cannot be saved", error);
    const std::string saved = ReadWhole(path);
    vx::fuzz::ExpectSameText("after a save the file serializes to other text than the save wrote", saved,
                             file->Serialize());

    auto reloaded = WineRegFile::Parse(saved, path, "REGISTRY\\Machine", error, warnings);
    if (!reloaded)
        vx::fuzz::Fail("the saved registry file does not load", error + "\n" + saved);
    ExpectSameTree(before, TreeLines(*reloaded), saved);
    // The tree the save left in memory is the one written, too.
    ExpectSameTree(before, TreeLines(*file), saved);
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
    SaveAndReload(text, true);
    SaveAndReload(text, false);
    return 0;
}
