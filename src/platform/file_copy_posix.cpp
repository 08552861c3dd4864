// File copying on the host, as CopyFileA does it on a target: the whole file or nothing, with the
// attributes Wine keeps beside the bytes.
#include "platform/file_copy.h"

#include "platform/atomic_file.h"
#include "platform/dos_attributes.h"
#include "platform/host_file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vx::detail {
namespace {

// Copies the bytes and Wine's DOS attributes of `from` into the new file `to`; 0 or an errno value.
int CopyContents(int from, int to) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        if (const int err = WriteAll(to, std::string_view(buffer, static_cast<size_t>(got))); err != 0)
            return err;
    }
    char attrib[65];
    const ssize_t len = fgetxattr(from, kDosAttribName, attrib, sizeof(attrib));
    if (len > 0)
        fsetxattr(to, kDosAttribName, attrib, static_cast<size_t>(len), 0); // best effort, as Wine does
    return 0;
}

} // namespace

bool CopyHostFile(const std::string& from, const std::string& to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat srcStat {};
    if (fstat(in, &srcStat) != 0 || !S_ISREG(srcStat.st_mode)) {
        close(in);
        return false;
    }
    struct stat destStat {};
    if (stat(to.c_str(), &destStat) == 0 && destStat.st_dev == srcStat.st_dev &&
        destStat.st_ino == srcStat.st_ino) {
        close(in); // a file copied onto itself: Windows fails the call, and truncating would lose it
        return false;
    }
    // The whole file or nothing: replaced as every file of the program is, with the source's mode.
    std::string temp;
    const int err = ReplaceFileAtomically(
        to,
        [&](int fd, const std::string& tempPath) {
            temp = tempPath;
            return CopyContents(in, fd);
        },
        [&] { return chmod(temp.c_str(), srcStat.st_mode & 07777) == 0 ? 0 : errno; });
    close(in);
    return err == 0;
}

} // namespace vx::detail
