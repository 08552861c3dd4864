#pragma once
// What the Windows Shell answers about one item of a folder: is it a link, what type it has, and for a
// link its target path and working directory.
#include <optional>
#include <string>
#include <string_view>

namespace vx {

struct ShellItem {
    bool isLink = false;
    std::string type;             // the type description, "Shortcut" for a .lnk
    std::string linkPath;         // the link's target path, possibly empty
    std::string workingDirectory; // the link's working directory
};

class ShellItems {
public:
    virtual ~ShellItems() = default;
    // Shell.NameSpace(folder).Items().Item(name): nothing when the folder cannot be opened or holds no
    // such item.
    virtual std::optional<ShellItem> GetItem(std::string_view folder, std::string_view name) = 0;
};

} // namespace vx
