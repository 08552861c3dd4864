#include "platform/shell_link_reader.h"

#include "platform/root_keys.h"
#include "platform/shortcut_files.h"
#include "platform/text.h"

#include <charconv>
#include <system_error>

namespace vx {
namespace {

struct BuiltInShortcut {
    std::string_view extension;
    std::string_view description;
};

// What the Shell itself knows when the registry does not describe these classes.
constexpr BuiltInShortcut kBuiltInShortcuts[] = {
    {"LNK", "Shortcut"},
    {"URL", "Internet Shortcut"},
    {"PIF", "Shortcut to MS-DOS Program"},
};

const BuiltInShortcut* BuiltInFor(std::string_view upperExtension) {
    for (const auto& known : kBuiltInShortcuts)
        if (known.extension == upperExtension)
            return &known;
    return nullptr;
}

std::string WithBackslash(std::string_view folder) {
    std::string path(folder);
    if (path.empty() || path.back() != '\\')
        path += '\\';
    return path;
}

} // namespace

TargetShellItems::TargetShellItems(FileSystem& files, Registry& registry)
    : files_(files), registry_(registry), environment_(files, registry) {}

TargetShellItems::FileClass TargetShellItems::ClassOf(std::string_view extension) {
    if (extension.empty())
        return {"File", false};
    const std::string upper = FoldCase(extension);
    const BuiltInShortcut* builtIn = BuiltInFor(upper);

    const std::string progId(TrimBlanks(
        QueryRegistryText(registry_, HKEY_CLASSES_ROOT, "." + std::string(extension), "").value_or("")));
    HKEY key = 0;
    if (!progId.empty() &&
        registry_.RegOpenKeyEx(HKEY_CLASSES_ROOT, progId, KEY_QUERY_VALUE, key) == ERROR_SUCCESS) {
        FileClass fileClass;
        uint32_t type = REG_NONE;
        uint32_t size = 0;
        fileClass.isShortcut =
            registry_.RegQueryValueEx(key, "IsShortcut", &type, {}, &size) == ERROR_SUCCESS;
        registry_.RegCloseKey(key);
        fileClass.description = QueryRegistryText(registry_, HKEY_CLASSES_ROOT, progId, "").value_or("");
        if (fileClass.description.empty())
            fileClass.description = builtIn ? std::string(builtIn->description) : upper + " File";
        return fileClass;
    }
    if (builtIn)
        return {std::string(builtIn->description), true};
    return {upper + " File", false};
}

int TargetShellItems::AnsiCodePage() {
    if (!ansiCodePage_) {
        ansiCodePage_ = 1252;
        const auto acp = QueryRegistryText(registry_, HKEY_LOCAL_MACHINE,
                                           "System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP");
        int value = 0;
        if (acp && std::from_chars(acp->data(), acp->data() + acp->size(), value).ec == std::errc())
            ansiCodePage_ = value;
    }
    return *ansiCodePage_;
}

void TargetShellItems::ReadLink(const std::filesystem::path& file, std::string_view extension,
                                ShellItem& item) {
    const std::string kind = UpperAscii(extension);
    if (kind == "LNK") {
        const auto link = ReadLnkFile(file, AnsiCodePage());
        if (!link) {
            item.isLink = false; // damaged: nothing the Shell could follow
            return;
        }
        if (!link->localPath.empty())
            item.linkPath = link->localPath;
        else if (!link->environmentLocation.empty())
            item.linkPath = environment_.Expand(link->environmentLocation);
        else
            item.linkPath = link->networkPath;
        item.workingDirectory = link->workingDirectory;
    } else if (kind == "URL") {
        const auto url = ReadUrlFile(file);
        if (!url) {
            item.isLink = false;
            return;
        }
        item.linkPath = TargetPathOfUrl(*url);
    } else if (kind == "PIF") {
        const auto program = ReadPifFile(file);
        if (!program) {
            item.isLink = false;
            return;
        }
        item.linkPath = *program;
    }
    // Other classes marked as shortcuts: a link whose target this program does not read.
}

std::optional<ShellItem> TargetShellItems::GetItem(std::string_view folder, std::string_view name) {
    if (name.empty())
        return std::nullopt;
    std::error_code error;
    const auto hostFolder = files_.HostPath(folder);
    if (!hostFolder || !std::filesystem::is_directory(*hostFolder, error))
        return std::nullopt;
    const auto hostItem = files_.HostPath(WithBackslash(folder) + std::string(name));
    if (!hostItem)
        return std::nullopt;
    const auto status = std::filesystem::status(*hostItem, error);
    if (error || !std::filesystem::exists(status))
        return std::nullopt;

    ShellItem item;
    if (std::filesystem::is_directory(status)) {
        item.type = "File folder";
        return item;
    }
    const size_t dot = name.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    FileClass fileClass = ClassOf(extension);
    item.type = std::move(fileClass.description);
    item.isLink = fileClass.isShortcut;
    // Only plain files are read: a device or pipe that happens to carry the name would block the walk.
    if (item.isLink && !std::filesystem::is_regular_file(status)) {
        item.isLink = false;
        return item;
    }
    if (item.isLink)
        ReadLink(*hostItem, extension, item);
    return item;
}

} // namespace vx
