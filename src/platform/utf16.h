#pragma once
// Conversions between the UTF-16 that registries store and the UTF-8 that the program's single-byte
// calls pass, as the A functions of the registry convert them.
#include <string>
#include <string_view>

namespace vx {

// UTF-16LE bytes → UTF-8. An odd trailing byte is dropped; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view utf16le);
// UTF-8 → UTF-16LE bytes. Bytes that are not valid UTF-8 become U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8);
// Appends one code point as UTF-8.
void AppendUtf8(char32_t cp, std::string& out);

} // namespace vx
