// Plain reads and writes of the program's own host files, safe against interruptions and links.
#include "platform/host_file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

int WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::string bytes;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

} // namespace vx
