#pragma once
// The program's texts are UTF-8; Qt's are QStrings.
#include <QString>

#include <string_view>

namespace vx::gui {

inline QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace vx::gui
