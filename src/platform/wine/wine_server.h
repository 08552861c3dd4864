#pragma once
// Whether Wine is running in a prefix. Wine's server keeps the prefix's registry in memory while it
// runs and writes it back when it exits, so a change made to the files meanwhile would be lost.
#include <filesystem>
#include <string>

namespace vx {

// The folder of the prefix's server: <root>/server-<device>-<inode> (hex, of the prefix folder), where
// root is /tmp/.wine-<uid> unless given.
std::filesystem::path WineServerDir(const std::filesystem::path& prefix,
                                    const std::filesystem::path& root = {});

// True when a server of the prefix answers on its socket; `socket` receives its path. Without a root,
// the folders of upstream and Debian Wine are tried for the prefix owner and the caller, under /tmp,
// $TMPDIR and /var/tmp, and the folder any visible live server works in. A
// socket left behind by a server that died does not count.
bool WineServerRunning(const std::filesystem::path& prefix, std::string* socket = nullptr,
                       const std::filesystem::path& root = {});

} // namespace vx
