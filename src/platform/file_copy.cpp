// File copying on the host, as CopyFileA does it on a target: the whole file or nothing, with the
// attributes Wine keeps beside the bytes.
#include "platform/file_copy.h"

#include "platform/dos_attributes.h"
#include "platform/host_path.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vx::detail {
namespace {

// Copies the bytes and Wine's DOS attributes of `from` into the new file `to`, and syncs it.
bool CopyContents(int from, int to) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
    char attrib[65];
    const ssize_t len = fgetxattr(from, kDosAttribName, attrib, sizeof(attrib));
    if (len > 0)
        fsetxattr(to, kDosAttribName, attrib, static_cast<size_t>(len), 0); // best effort, as Wine does
    return fsync(to) == 0;
}

} // namespace

bool CopyHostFile(const std::string& from, const std::string& folder, const std::string& to) {
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
    // Written beside the destination and renamed over it, so that a failed copy never leaves half a file.
    std::string temp = Join(folder, ".vx-copy-XXXXXX");
    const int out = mkstemp(temp.data());
    if (out < 0) {
        close(in);
        return false;
    }
    bool ok = CopyContents(in, out);
    ok = fchmod(out, srcStat.st_mode & 07777) == 0 && ok;
    ok = close(out) == 0 && ok;
    close(in);
    ok = ok && rename(temp.c_str(), to.c_str()) == 0;
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

} // namespace vx::detail
