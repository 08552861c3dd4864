// The Shell's answers about the items of a target's folders, read from the target itself: the type
// description and the link flag from the classes of its registry, a link's target and working directory
// from the shortcut file (.lnk, .url, .pif), with environment variables expanded against the target.
#include "platform/shell_link_reader.h"

#include "platform/root_keys.h"
#include "platform/shortcut_files.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

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

const TargetShellItems::FileClass& TargetShellItems::ClassOf(std::string_view extension) {
    std::string upper = FoldCase(extension);
    auto found = classes_.find(upper);
    if (found == classes_.end())
        found = classes_.emplace(std::move(upper), ReadClass(extension)).first;
    return found->second;
}

TargetShellItems::FileClass TargetShellItems::ReadClass(std::string_view extension) {
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

std::optional<std::filesystem::path> TargetShellItems::HostPathOf(std::string_view folder,
                                                                  std::string_view name,
                                                                  std::filesystem::file_status& status) {
    std::error_code error;
    // Fast path: the name as listed, inside the folder resolved for the previous item.
    if (folder != lastFolder_) {
        lastFolder_ = std::string(folder);
        lastHostFolder_ = files_.HostPath(folder);
    }
    if (lastHostFolder_ && name != "." && name != ".." &&
        name.find_first_of("\\/") == std::string_view::npos) {
        std::filesystem::path candidate = *lastHostFolder_ / Utf8Path(name);
        status = std::filesystem::status(candidate, error);
        if (!error && std::filesystem::exists(status))
            return candidate;
    }
    // Otherwise the file system's own lookup: case, trailing dots and blanks, "..".
    auto hostItem = files_.HostPath(WithBackslash(folder) + std::string(name));
    if (!hostItem)
        return std::nullopt;
    status = std::filesystem::status(*hostItem, error);
    if (error || !std::filesystem::exists(status))
        return std::nullopt;
    return hostItem;
}

std::optional<ShellItem> TargetShellItems::GetItem(std::string_view folder, std::string_view name) {
    if (name.empty())
        return std::nullopt;
    // An existing item implies an existing folder, so the folder needs no test of its own.
    std::filesystem::file_status status;
    const auto hostItem = HostPathOf(folder, name, status);
    if (!hostItem)
        return std::nullopt;

    ShellItem item;
    if (std::filesystem::is_directory(status)) {
        item.type = "File folder";
        return item;
    }
    const size_t dot = name.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    const FileClass& fileClass = ClassOf(extension);
    item.type = fileClass.description;
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
