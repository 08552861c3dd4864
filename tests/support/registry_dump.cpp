#include "support/registry_dump.h"

#include <cstdio>
#include <vector>

namespace vx::test {

std::string DumpRegistry(Registry& registry, HKEY root, const std::string& path) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, path, KEY_READ, key) != ERROR_SUCCESS)
        return {};
    std::string out = "[" + path + "]\n";
    std::string name;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 16384;
        uint32_t type = 0;
        uint32_t dataSize = 0;
        if (registry.RegEnumValue(key, i, name, nameSize, &type, {}, &dataSize) != ERROR_SUCCESS)
            break;
        std::vector<uint8_t> data(dataSize);
        uint32_t size = dataSize;
        registry.RegQueryValueEx(key, name, &type, data, &size);
        out += "  \"" + name + "\" type " + std::to_string(type) + " =";
        char hex[4];
        for (uint8_t b : data) {
            std::snprintf(hex, sizeof hex, " %02x", b);
            out += hex;
        }
        out += "\n";
    }
    std::vector<std::string> children;
    for (uint32_t i = 0;; ++i) {
        uint32_t nameSize = 256;
        if (registry.RegEnumKeyEx(key, i, name, nameSize) != ERROR_SUCCESS)
            break;
        children.push_back(name);
    }
    registry.RegCloseKey(key);
    for (const auto& child : children)
        out += DumpRegistry(registry, root, path.empty() ? child : path + "\\" + child);
    return out;
}

} // namespace vx::test
