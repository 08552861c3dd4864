#pragma once
// Host paths to and from the program's UTF-8 text. On Linux a path is its bytes; on Windows a path is
// UTF-16, and the narrow conversions of std::filesystem would go through the ANSI code page instead.
#include <filesystem>
#include <string>
#include <string_view>

namespace vx {

inline std::filesystem::path Utf8Path(std::string_view text) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(std::string(text));
#endif
}

inline std::string PathUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

} // namespace vx
