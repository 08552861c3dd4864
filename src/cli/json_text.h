#pragma once
// Text in the terminal front end's JSON, whatever bytes a name holds.
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace vx {

bool IsUtf8(std::string_view text);
// The bytes as lower-case hex digits.
std::string HexBytes(std::string_view text);

// A text field; one that is not UTF-8 (a file name in another encoding) shows with U+FFFD in its place
// and keeps its bytes, in hex, in a field of the same name with " bytes" after it.
void PutText(nlohmann::ordered_json& object, const std::string& name, const std::string& text);

} // namespace vx
