#pragma once
// The Shell's answers about the items of a target's folders, read from the target itself: the type
// description and the link flag from the classes of its registry, a link's target and working directory
// from the shortcut file (.lnk, .url, .pif), with environment variables expanded against the target.
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell_items.h"
#include "platform/target_environment.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

class TargetShellItems final : public ShellItems {
  public:
    // Both must outlive this object. Nothing is read until the first item is asked for. The class of an
    // extension is looked up once and then remembered for the object's life (a drive walk asks for every
    // file), so later changes to HKEY_CLASSES_ROOT are seen by a new object only.
    TargetShellItems(FileSystem& files, Registry& registry);

    std::optional<ShellItem> GetItem(std::string_view folder, std::string_view name) override;

  private:
    struct FileClass {
        std::string description;
        bool isShortcut = false;
    };
    const FileClass& ClassOf(std::string_view extension);
    FileClass ReadClass(std::string_view extension);
    std::optional<std::filesystem::path> HostPathOf(std::string_view folder, std::string_view name,
                                                    std::filesystem::file_status& status);
    int AnsiCodePage();
    void ReadLink(const std::filesystem::path& file, std::string_view extension, ShellItem& item);

    FileSystem& files_;
    Registry& registry_;
    TargetEnvironment environment_;
    std::optional<int> ansiCodePage_;
    std::map<std::string, FileClass> classes_; // by upper-cased extension
    // The last folder asked about and where it lies: the walker asks for every file of a folder in turn.
    std::string lastFolder_;
    std::optional<std::filesystem::path> lastHostFolder_;
};

} // namespace vx
