#pragma once
// The one hex codec: digits, and bytes as lower-case hex text and back.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The value of a hex digit (either case), or -1.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

inline constexpr char kHexDigits[] = "0123456789abcdef";

std::string HexOf(std::span<const uint8_t> data);
// The bytes of an even run of hex digits; empty for anything else.
std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view hex);

} // namespace vx
