#include "support/hive_volume.h"

#include "platform/registry_view.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <hivex.h>
#include <stdexcept>

namespace vx::test {
namespace {

hive_h* Handle(void* hive) {
    return static_cast<hive_h*>(hive);
}

std::string Hex(const char* data, size_t length) {
    std::string out;
    char byte[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
        out += byte;
    }
    return out;
}

void Walk(hive_h* hive, hive_node_h node, const std::string& path, bool sortValues, std::string* dump,
          std::vector<std::string>* paths) {
    if (paths)
        paths->push_back(path);
    if (dump) {
        std::vector<std::string> lines;
        hive_value_h* values = hivex_node_values(hive, node);
        for (size_t i = 0; values && values[i]; ++i) {
            char* name = hivex_value_key(hive, values[i]);
            const size_t nameLength = hivex_value_key_len(hive, values[i]);
            hive_type type{};
            size_t length = 0;
            char* data = hivex_value_value(hive, values[i], &type, &length);
            lines.push_back("  \"" + std::string(name, nameLength) + "\" " + std::to_string(type) + " " +
                            (data ? Hex(data, length) : "(unreadable)") + "\n");
            std::free(name);
            std::free(data);
        }
        std::free(values);
        if (sortValues)
            std::sort(lines.begin(), lines.end());
        *dump += "[" + path + "]\n";
        for (const auto& line : lines)
            *dump += line;
    }
    hive_node_h* children = hivex_node_children(hive, node);
    for (size_t i = 0; children && children[i]; ++i) {
        char* name = hivex_node_name(hive, children[i]);
        const std::string child(name, hivex_node_name_len(hive, children[i]));
        std::free(name);
        Walk(hive, children[i], path.empty() ? child : path + "\\" + child, sortValues, dump, paths);
    }
    std::free(children);
}

} // namespace

std::filesystem::path Testdata(std::string_view relative) {
    return std::filesystem::path(VANTRELIX_TESTDATA) / relative;
}

std::string UserHive(std::string_view user) {
    return "C:\\Users\\" + std::string(user) + "\\NTUSER.DAT";
}

std::string ClassesHive(std::string_view user) {
    return "C:\\Users\\" + std::string(user) + "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";
}

std::filesystem::path FixtureVolume::HostPathOf(std::string_view windowsPath) const {
    std::filesystem::path path = dir_.path();
    for (std::string_view part : SplitKeyPath(windowsPath.substr(3)))
        path /= std::string(part);
    return path;
}

FixtureVolume& FixtureVolume::Hive(std::string_view windowsPath, std::string_view testdataName) {
    const auto target = HostPathOf(windowsPath);
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(Testdata(testdataName), target,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return *this;
}

FixtureVolume& FixtureVolume::File(std::string_view windowsPath, std::string_view contents) {
    const auto target = HostPathOf(windowsPath);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << contents;
    return *this;
}

std::unique_ptr<Target> FixtureVolume::Open(const std::string& user) {
    std::string error;
    std::vector<std::string> warnings;
    auto target = OpenWindowsVolumeTarget(dir_.path(), user, error, warnings);
    EXPECT_TRUE(target) << error;
    return target;
}

HiveBuilder::HiveBuilder(std::filesystem::path path) : path_(std::move(path)) {
    if (!std::filesystem::exists(path_)) {
        std::filesystem::create_directories(path_.parent_path());
        std::filesystem::copy_file(Testdata("hives/edge/hivex_minimal"), path_);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
    }
    hive_ = hivex_open(path_.c_str(), HIVEX_OPEN_WRITE);
    if (!hive_)
        throw std::runtime_error("hivex cannot open " + path_.string());
}

HiveBuilder::~HiveBuilder() {
    const bool committed = hivex_commit(Handle(hive_), nullptr, 0) == 0;
    hivex_close(Handle(hive_));
    EXPECT_TRUE(committed) << path_;
}

HiveBuilder& HiveBuilder::Key(std::string_view keyPath) {
    hive_node_h node = hivex_root(Handle(hive_));
    for (std::string_view part : SplitKeyPath(keyPath)) {
        const std::string name(part);
        hive_node_h child = hivex_node_get_child(Handle(hive_), node, name.c_str());
        node = child ? child : hivex_node_add_child(Handle(hive_), node, name.c_str());
    }
    return *this;
}

HiveBuilder& HiveBuilder::Value(std::string_view keyPath, std::string_view name, uint32_t type,
                                std::string bytes) {
    Key(keyPath);
    hive_node_h node = hivex_root(Handle(hive_));
    for (std::string_view part : SplitKeyPath(keyPath))
        node = hivex_node_get_child(Handle(hive_), node, std::string(part).c_str());
    std::string key(name);
    hive_set_value value{key.data(), static_cast<hive_type>(type), bytes.size(), bytes.data()};
    EXPECT_EQ(hivex_node_set_value(Handle(hive_), node, &value, 0), 0) << keyPath << " " << name;
    return *this;
}

HiveBuilder& HiveBuilder::String(std::string_view keyPath, std::string_view name, std::string_view value,
                                 uint32_t type) {
    return Value(keyPath, name, type, Utf8ToUtf16(std::string(value) + '\0'));
}

HiveBuilder& HiveBuilder::Dword(std::string_view keyPath, std::string_view name, uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>(value >> (8 * i));
    return Value(keyPath, name, 4, bytes);
}

std::string DumpHive(const std::filesystem::path& path, bool sortValues) {
    hive_h* hive = hivex_open(path.c_str(), 0);
    if (!hive)
        return "(hivex cannot open " + path.string() + ")";
    std::string dump;
    Walk(hive, hivex_root(hive), "", sortValues, &dump, nullptr);
    hivex_close(hive);
    return dump;
}

std::vector<std::string> HiveKeyPaths(const std::filesystem::path& path) {
    std::vector<std::string> paths;
    if (hive_h* hive = hivex_open(path.c_str(), 0)) {
        Walk(hive, hivex_root(hive), "", false, nullptr, &paths);
        hivex_close(hive);
    }
    return paths;
}

} // namespace vx::test
