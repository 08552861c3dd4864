// The one hex codec: digits, and bytes as lower-case hex text and back.
#include "platform/hex.h"

namespace vx {

std::string HexOf(std::span<const uint8_t> data) {
    std::string out;
    out.reserve(data.size() * 2);
    for (uint8_t b : data) {
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 15];
    }
    return out;
}

std::optional<std::vector<uint8_t>> BytesOfHex(std::string_view hex) {
    if (hex.size() % 2)
        return std::nullopt;
    std::vector<uint8_t> out;
    out.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexDigitValue(hex[i]);
        const int lo = HexDigitValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return out;
}

} // namespace vx
