#include "platform/wine/wine_server.h"

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vx {

std::filesystem::path WineServerDir(const std::filesystem::path& prefix, const std::filesystem::path& root) {
    struct stat st {};
    if (::stat(prefix.c_str(), &st) != 0)
        return {};
    const std::filesystem::path base =
        root.empty() ? std::filesystem::path("/tmp/.wine-" + std::to_string(::getuid())) : root;
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    return base / name;
}

bool WineServerRunning(const std::filesystem::path& prefix, std::string* socketPath,
                       const std::filesystem::path& root) {
    const std::filesystem::path dir = WineServerDir(prefix, root);
    if (dir.empty())
        return false;
    const std::string path = (dir / "socket").string();
    if (socketPath)
        *socketPath = path;
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return connected;
}

} // namespace vx
