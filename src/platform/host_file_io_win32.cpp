// Plain reads and writes of the program's own host files on Windows, through the C runtime's descriptors
// opened by wide names; a file behind a reparse point (a link) is never read or written through.
#include "platform/host_file_io.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace vx {
namespace {

bool IsPlainFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

int Sync(int fd) {
    return _commit(fd) == 0 ? 0 : errno;
}

} // namespace

int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t chunk = std::min<size_t>(bytes.size() - done, 1 << 30);
        const int n = _write(fd, bytes.data() + done, static_cast<unsigned>(chunk));
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path) {
    if (!IsPlainFile(path))
        return std::nullopt;
    const int fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return std::nullopt;
    std::string bytes;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const int n = _read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    _close(fd);
    return ok ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

int AppendSynced(const std::filesystem::path& file, std::string_view bytes) {
    if (!IsPlainFile(file))
        return EINVAL;
    const int fd = _wopen(file.c_str(), _O_WRONLY | _O_APPEND | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return errno;
    const long long before = _lseeki64(fd, 0, SEEK_END);
    int err = before < 0 ? errno : WriteAll(fd, bytes);
    if (err == 0)
        err = Sync(fd);
    if (err != 0 && before >= 0 && _chsize_s(fd, before) == 0)
        Sync(fd);
    if (_close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

int CreateSynced(const std::filesystem::path& file, std::string_view bytes) {
    const int fd =
        _wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno;
    int err = WriteAll(fd, bytes);
    if (err == 0)
        err = Sync(fd);
    if (_close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0)
        _wunlink(file.c_str());
    return err;
}

void KeepAttributesOf(const std::filesystem::path& from, const std::filesystem::path& to) {
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(to.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
}

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) {
    HANDLE file =
        CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED whole{};
    LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
    handle_ = reinterpret_cast<intptr_t>(file);
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_)); // the lock goes with it
}

int RemoveFile(const std::filesystem::path& file) {
    if (DeleteFileW(file.c_str()))
        return 0;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
}

void TruncateSynced(const std::filesystem::path& file, uintmax_t size) {
    if (!IsPlainFile(file))
        return;
    const int fd = _wopen(file.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0)
        return;
    if (_chsize_s(fd, static_cast<long long>(size)) == 0)
        Sync(fd);
    _close(fd);
}

std::optional<HostFileStamp> StampHostFile(const std::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!ok)
        return std::nullopt;
    // FILETIME counts 100 ns steps.
    const uint64_t written = (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                             info.ftLastWriteTime.dwLowDateTime;
    return HostFileStamp{
        info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
        (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
        static_cast<int64_t>(written / 10000000), static_cast<int64_t>(written % 10000000) * 100};
}

} // namespace vx
