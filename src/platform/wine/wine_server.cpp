// Whether Wine is running in a prefix. Wine's server keeps the prefix's registry in memory while it
// runs and writes it back when it exits, so a change made to the files meanwhile would be lost.
#include "platform/wine/wine_server.h"

#include <algorithm>
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

// Where a server of this prefix may have its folder. Upstream Wine uses /tmp/.wine-<uid> of the user
// running it, who must own the prefix; Debian's Wine makes <TMPDIR>/wine-XXXXXX and names it in the
// prefix's "wineserver" file, with the TMPDIR of whoever started it. Neither is necessarily the caller's
// uid or TMPDIR, so every plausible place is tried, and the folder a live server works in is read from
// the processes we may see.
std::vector<std::filesystem::path> ServerFolders(const std::filesystem::path& prefix) {
    std::vector<std::filesystem::path> found;
    const auto add = [&found](const std::filesystem::path& dir) {
        if (dir.empty() || std::find(found.begin(), found.end(), dir) != found.end())
            return;
        found.push_back(dir);
    };
    std::vector<std::filesystem::path> temps{"/tmp"};
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp == '/')
        temps.emplace_back(tmp);
    temps.emplace_back("/var/tmp");
    std::vector<unsigned> uids;
    struct stat st {};
    if (::stat(prefix.c_str(), &st) == 0)
        uids.push_back(st.st_uid);
    if (std::find(uids.begin(), uids.end(), ::getuid()) == uids.end())
        uids.push_back(::getuid());
    for (const auto& tmp : temps)
        for (const unsigned uid : uids)
            add(WineServerDir(prefix, tmp / (".wine-" + std::to_string(uid))));

    std::ifstream named(prefix / "wineserver");
    std::string folder;
    if (std::getline(named, folder) && !folder.empty() && folder.find('/') == std::string::npos &&
        folder != "." && folder != "..")
        for (const auto& tmp : temps)
            add(WineServerDir(prefix, tmp / folder));

    // A running server works inside its folder: its current directory names it whatever TMPDIR it had.
    const std::string leaf = WineServerDir(prefix, "/").filename().string();
    if (leaf.empty())
        return found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::error_code linkError;
        const std::filesystem::path cwd = std::filesystem::read_symlink(it->path() / "cwd", linkError);
        if (!linkError && cwd.filename() == leaf)
            add(cwd);
    }
    return found;
}

} // namespace

bool WineServerRunning(const std::filesystem::path& prefix, std::string* socketPath,
                       const std::filesystem::path& root) {
    std::vector<std::filesystem::path> dirs;
    if (!root.empty())
        dirs.push_back(WineServerDir(prefix, root));
    else
        dirs = ServerFolders(prefix);
    for (const auto& dir : dirs) {
        if (dir.empty())
            continue;
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
