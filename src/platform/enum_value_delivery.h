#pragma once
// How RegEnumValueA hands one value to its caller, for every registry behind the interface: the name needs
// room for its terminating zero; data that does not fit, or any data when the name did not fit, is not
// copied; the data's size is told in every case.
#include "platform/status.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace vx {

inline Status DeliverEnumeratedValue(std::string_view valueName, std::string_view delivered, std::string& name,
                                     uint32_t& nameSize, std::span<uint8_t> data, uint32_t* dataSize) {
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
