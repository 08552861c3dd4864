// Where the program may keep and write its own files on Windows: its folders are the user's own
// (%LOCALAPPDATA%, or its own folder when the user may write there), guarded by their access lists; a name
// that holds a folder or a reparse point (a symbolic link, a junction) is never written through.
#include "platform/own_file_guard.h"

#include "platform/utf8_path.h"

#include <windows.h>

namespace vx {
namespace {

DWORD AttributesOf(const std::filesystem::path& path) {
    return GetFileAttributesW(path.c_str());
}

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + PathUtf8(path) + "\"";
}

} // namespace

std::string WhyNotOwnFolder(const std::filesystem::path&) {
    return {};
}

std::string WhyNotOwnFile(const std::filesystem::path& file) {
    const DWORD attributes = AttributesOf(file);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {};
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return Quoted(file) +
               " is a symbolic link; the program never writes its files through one, and left it as it is.";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Quoted(file) +
               " is not a regular file (a folder, a pipe or a device); the program left it as it is.";
    return {};
}

bool IsOwnFolderEntry(const std::filesystem::path& entry) {
    const DWORD attributes = AttributesOf(entry);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool BelongsToUserOrRoot(const std::filesystem::path& entry) {
    return AttributesOf(entry) != INVALID_FILE_ATTRIBUTES;
}

} // namespace vx
