#pragma once
// How the A functions hand a value to their caller, for every registry behind the interface (the
// in-memory view of registry files and hives, and the Win32 backend).
#include "platform/registry.h"
#include "platform/status.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace vx {

inline bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// RegQueryValueExA: no size asked, nothing told; no buffer, only the size; data that does not fit is not
// copied; string data missing its terminator gets one when the buffer has room for it, as Windows does.
inline Status DeliverQueriedValue(uint32_t type, std::string_view delivered, std::span<uint8_t> data,
                                  uint32_t* dataSize) {
    if (!dataSize)
        return ERROR_SUCCESS;
    if (data.empty()) {
        *dataSize = static_cast<uint32_t>(delivered.size());
        return ERROR_SUCCESS;
    }
    const uint32_t capacity = std::min<uint32_t>(*dataSize, static_cast<uint32_t>(data.size()));
    *dataSize = static_cast<uint32_t>(delivered.size());
    if (delivered.size() > capacity)
        return ERROR_MORE_DATA;
    std::memcpy(data.data(), delivered.data(), delivered.size());
    if (IsStringType(type) && delivered.size() < capacity && (delivered.empty() || delivered.back() != '\0'))
        data[delivered.size()] = 0;
    return ERROR_SUCCESS;
}

// RegEnumValueA: the name needs room for its terminating zero; data that does not fit, or any data when
// the name did not fit, is not copied; the data's size is told in every case.
inline Status DeliverEnumeratedValue(std::string_view valueName, std::string_view delivered,
                                     std::string& name, uint32_t& nameSize, std::span<uint8_t> data,
                                     uint32_t* dataSize) {
    Status result = ERROR_SUCCESS;
    if (valueName.size() + 1 > nameSize)
        result = ERROR_MORE_DATA;
    if (dataSize) {
        const uint32_t capacity =
            data.empty() ? 0 : std::min<uint32_t>(*dataSize, static_cast<uint32_t>(data.size()));
        if (!data.empty() && delivered.size() > capacity)
            result = ERROR_MORE_DATA;
        else if (!data.empty() && result == ERROR_SUCCESS)
            std::memcpy(data.data(), delivered.data(), delivered.size());
        *dataSize = static_cast<uint32_t>(delivered.size());
    }
    if (result != ERROR_SUCCESS)
        return result;
    name.assign(valueName);
    nameSize = static_cast<uint32_t>(valueName.size());
    return ERROR_SUCCESS;
}

} // namespace vx
