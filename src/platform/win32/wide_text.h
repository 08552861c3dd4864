#pragma once
// The program's UTF-8 text to and from the UTF-16 of the Windows wide-character calls. Through WTF-8, so
// that a name holding an unpaired surrogate (which Windows allows in registry and file names) comes back
// to the very same units when the program passes it on.
#include "platform/utf16.h"

#include <string>
#include <string_view>

namespace vx::win32 {

inline std::wstring Wide(std::string_view utf8) {
    const std::string bytes = Wtf8ToUtf16(utf8);
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

inline std::string Narrow(std::wstring_view utf16) {
    return Utf16ToWtf8(std::string_view(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2));
}

// UTF-16LE bytes as stored in the registry, and back.
inline std::string_view Bytes(std::wstring_view utf16) {
    return std::string_view(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2);
}

} // namespace vx::win32
