#include "platform/registry_access.h"

#include "platform/text.h"

#include <cstring>
#include <vector>

namespace vx {

bool ReadRegistryString(Registry& registry, RootKey root, std::string_view keyPath,
                        std::string_view valueName, std::string& text) {
    HKEY key = 0;
    if (registry.RegOpenKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return false;
    uint32_t type = 0;
    uint32_t size = 0;
    bool read = false;
    if (registry.RegQueryValueEx(key, valueName, &type, {}, &size) == ERROR_SUCCESS) {
        read = true;
        std::vector<uint8_t> data(size);
        if (type == REG_SZ) {
            text.clear();
            if (size > 0 && registry.RegQueryValueEx(key, valueName, &type, data, &size) == ERROR_SUCCESS)
                text.assign(reinterpret_cast<const char*>(data.data()), size - 1);
        } else if (type == REG_DWORD && size == 4 &&
                   registry.RegQueryValueEx(key, valueName, &type, data, &size) == ERROR_SUCCESS) {
            int32_t number = 0;
            std::memcpy(&number, data.data(), 4);
            text = std::to_string(number);
        } else {
            text.clear();
        }
    }
    registry.RegCloseKey(key);
    return read;
}

bool IsFixedDrivePath(FileSystem& files, std::string_view path, const std::function<void()>& yield) {
    const std::string letter = path.empty() ? std::string() : std::string(1, path.front());
    for (const auto& drive : files.Drives()) {
        const int type = static_cast<int>(drive.type);
        if (type >= 0 && type <= 5 && UpperAscii(TrimBlanks(drive.letter)) == UpperAscii(TrimBlanks(letter)))
            return drive.type == DriveType::Fixed;
        if (yield)
            yield();
    }
    return false;
}

} // namespace vx
