// Text in the terminal front end's JSON, whatever bytes a name holds.
#include "cli/json_text.h"

#include "platform/utf8.h"

namespace vx {

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = DecodeUtf8At(text, i, Utf8Rule::Strict).length;
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string HexBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        out += kHex[static_cast<unsigned char>(c) >> 4];
        out += kHex[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

void PutText(nlohmann::ordered_json& object, const std::string& name, const std::string& text) {
    object[name] = text;
    if (!IsUtf8(text))
        object[name + " bytes"] = HexBytes(text);
}

} // namespace vx
