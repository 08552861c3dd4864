// Replacing a file on Windows so that an interruption leaves either the old file or the new one: the
// content goes to a temporary file beside it, is flushed, and MoveFileExW puts it in place in one step.
#include "platform/atomic_file.h"

#include "platform/host_file_io.h"
#include "platform/utf8_path.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace vx {
namespace {

int ErrnoOf(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    default:
        return EIO;
    }
}

} // namespace

namespace {

// Writes a temporary file beside `path` and moves it into place: over what is there, or only where the
// name is free (EEXIST otherwise).
int WriteAndMove(const std::filesystem::path& path,
                 const std::function<int(int fd, const std::string& tempPath)>& fill,
                 const std::function<int()>& beforeRename, bool replace) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder / (L"." + path.filename().wstring() + L".vx-" + std::to_wstring(GetCurrentProcessId()) +
                         L"-" + std::to_wstring(counter++));
        fd = _wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int err = fill(fd, PathUtf8(temp));
    if (err == 0 && _commit(fd) != 0)
        err = errno;
    if (_close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && beforeRename)
        err = beforeRename();
    if (err == 0 && !MoveFileExW(temp.c_str(), path.c_str(),
                                 (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
        err = ErrnoOf(GetLastError());
    if (err != 0)
        DeleteFileW(temp.c_str());
    return err;
}

} // namespace

int ReplaceFileAtomically(const std::filesystem::path& path,
                          const std::function<int(int fd, const std::string& tempPath)>& fill,
                          const std::function<int()>& beforeRename) {
    return WriteAndMove(path, fill, beforeRename, true);
}

int CreateFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return WriteAndMove(
        path, [&](int fd, const std::string&) { return WriteAll(fd, bytes); }, {}, false);
}

int ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes) {
    return ReplaceFileAtomically(path, [&](int fd, const std::string&) { return WriteAll(fd, bytes); });
}

} // namespace vx
