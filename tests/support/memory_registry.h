#pragma once
// A registry that holds only the keys a test gives it, for the shell-item reader's tests (which need
// nothing of a prefix's registry but a few classes and folders). Read operations only.
#include "platform/registry.h"
#include "platform/root_keys.h"
#include "platform/text.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vx::test {

class MemoryRegistry final : public Registry {
  public:
    // keyPath names its root first: "HKCR\.lnk", "HKLM\Software\…".
    MemoryRegistry& Key(std::string_view keyPath) {
        std::string path;
        for (std::string_view rest = keyPath; !rest.empty();) {
            const size_t slash = rest.find('\\');
            path += (path.empty() ? "" : "\\") + std::string(rest.substr(0, slash));
            keys_[FoldCase(path)].name = path;
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        }
        return *this;
    }
    MemoryRegistry& String(std::string_view keyPath, std::string_view name, std::string_view text,
                           uint32_t type = REG_SZ) {
        Key(keyPath);
        std::string data(text);
        data += '\0';
        keys_[FoldCase(keyPath)].values[FoldCase(name)] = {std::string(name), type, data};
        return *this;
    }

    Status RegOpenKeyEx(HKEY parent, std::string_view subKey, uint32_t, HKEY& result) override {
        std::string path = PathOf(parent);
        if (path.empty())
            return ERROR_INVALID_HANDLE;
        if (!subKey.empty())
            path += "\\" + std::string(subKey);
        if (!keys_.contains(FoldCase(path)))
            return ERROR_FILE_NOT_FOUND;
        result = nextHandle_++;
        open_[result] = path;
        return ERROR_SUCCESS;
    }
    Status RegCreateKeyEx(HKEY, std::string_view, uint32_t, HKEY&, bool*) override {
        return ERROR_ACCESS_DENIED;
    }
    Status RegCloseKey(HKEY key) override { return open_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

    Status RegEnumKeyEx(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize, uint32_t*) override {
        const std::string prefix = FoldCase(PathOf(key)) + "\\";
        std::vector<std::string> names;
        for (const auto& [folded, k] : keys_)
            if (folded.starts_with(prefix) && folded.find('\\', prefix.size()) == std::string::npos)
                names.push_back(k.name.substr(prefix.size()));
        if (index >= names.size())
            return ERROR_NO_MORE_ITEMS;
        if (names[index].size() + 1 > nameSize)
            return ERROR_MORE_DATA;
        name = names[index];
        nameSize = static_cast<uint32_t>(name.size());
        return ERROR_SUCCESS;
    }

    Status RegEnumValue(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize, uint32_t* type,
                        std::span<uint8_t> data, uint32_t* dataSize) override {
        const auto found = keys_.find(FoldCase(PathOf(key)));
        if (found == keys_.end() || index >= found->second.values.size())
            return ERROR_NO_MORE_ITEMS;
        const Value& value = std::next(found->second.values.begin(), index)->second;
        name = value.name;
        nameSize = static_cast<uint32_t>(name.size());
        return Deliver(value, type, data, dataSize);
    }

    Status RegQueryValueEx(HKEY key, std::string_view valueName, uint32_t* type, std::span<uint8_t> data,
                           uint32_t* dataSize) override {
        const auto found = keys_.find(FoldCase(PathOf(key)));
        if (found == keys_.end())
            return ERROR_INVALID_HANDLE;
        const auto value = found->second.values.find(FoldCase(valueName));
        if (value == found->second.values.end())
            return ERROR_FILE_NOT_FOUND;
        return Deliver(value->second, type, data, dataSize);
    }

    Status RegSetValueEx(HKEY, std::string_view, uint32_t, std::span<const uint8_t>) override {
        return ERROR_ACCESS_DENIED;
    }
    Status RegDeleteValue(HKEY, std::string_view) override { return ERROR_ACCESS_DENIED; }
    Status Flush() override { return ERROR_SUCCESS; }

  private:
    struct Value {
        std::string name;
        uint32_t type = REG_NONE;
        std::string data;
    };
    struct KeyNode {
        std::string name;
        std::map<std::string, Value> values;
    };

    std::string PathOf(HKEY key) const {
        switch (key) {
        case HKEY_CLASSES_ROOT:
            return "HKCR";
        case HKEY_CURRENT_USER:
            return "HKCU";
        case HKEY_LOCAL_MACHINE:
            return "HKLM";
        default:
            break;
        }
        const auto found = open_.find(key);
        return found == open_.end() ? std::string() : found->second;
    }

    static Status Deliver(const Value& value, uint32_t* type, std::span<uint8_t> data, uint32_t* dataSize) {
        if (type)
            *type = value.type;
        const auto size = static_cast<uint32_t>(value.data.size());
        if (!data.empty() && data.size() < size) {
            if (dataSize)
                *dataSize = size;
            return ERROR_MORE_DATA;
        }
        if (!data.empty())
            std::copy(value.data.begin(), value.data.end(), data.begin());
        if (dataSize)
            *dataSize = size;
        return ERROR_SUCCESS;
    }

    std::map<std::string, KeyNode> keys_;
    std::map<HKEY, std::string> open_;
    HKEY nextHandle_ = 0x1000;
};

} // namespace vx::test
