#pragma once
// The Shell's answers about the items of a target's folders, read from the target itself: the type
// description and the link flag from the classes of its registry, a link's target and working directory
// from the shortcut file (.lnk, .url, .pif), with environment variables expanded against the target.
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell_items.h"
#include "platform/target_environment.h"

#include <optional>
#include <string>
#include <string_view>

namespace vx {

class TargetShellItems final : public ShellItems {
  public:
    // Both must outlive this object. Nothing is read until the first item is asked for.
    TargetShellItems(FileSystem& files, Registry& registry);

    std::optional<ShellItem> GetItem(std::string_view folder, std::string_view name) override;

  private:
    struct FileClass {
        std::string description;
        bool isShortcut = false;
    };
    FileClass ClassOf(std::string_view extension);
    int AnsiCodePage();
    void ReadLink(const std::filesystem::path& file, std::string_view extension, ShellItem& item);

    FileSystem& files_;
    Registry& registry_;
    TargetEnvironment environment_;
    std::optional<int> ansiCodePage_;
};

} // namespace vx
