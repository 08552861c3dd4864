// Whether Wine is running in a prefix. Wine's server keeps the prefix's registry in memory while it
// runs and writes it back when it exits, so a change made to the files meanwhile would be lost.
#include "platform/wine/wine_server.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

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

namespace {

bool Accepts(const std::string& path) {
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

} // namespace

bool WineServerRunning(const std::filesystem::path& prefix, std::string* socketPath,
                       const std::filesystem::path& root) {
    std::vector<std::filesystem::path> roots;
    if (!root.empty()) {
        roots.push_back(root);
    } else {
        roots.push_back("/tmp/.wine-" + std::to_string(::getuid()));
        std::ifstream named(prefix / "wineserver");
        std::string folder;
        if (std::getline(named, folder) && !folder.empty() && folder.find('/') == std::string::npos) {
            if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp)
                roots.push_back(std::filesystem::path(tmp) / folder);
            roots.push_back(std::filesystem::path("/tmp") / folder);
        }
    }
    for (const auto& base : roots) {
        const std::filesystem::path dir = WineServerDir(prefix, base);
        if (dir.empty())
            return false;
        const std::string path = (dir / "socket").string();
        if (Accepts(path)) {
            if (socketPath)
                *socketPath = path;
            return true;
        }
    }
    return false;
}

} // namespace vx
