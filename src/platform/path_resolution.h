#pragma once
// Windows paths of a target resolved to entries on the host, name by name without regard to case, as
// Windows and Wine look names up.
#include "platform/dos_attributes.h"
#include "platform/folder_index.h"
#include "platform/host_file_system.h"
#include "platform/host_path.h"
#include "platform/windows_path.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace vx::detail {

class PathResolver {
  public:
    // Keeps a reference to `config`, which outlives it.
    explicit PathResolver(const HostFileSystemConfig& config);

    char systemDrive() const { return systemDrive_; }
    const HostDrive* FindDrive(char letter) const;

    // Where a parsed path starts on the host, and the device its walks must stay on.
    Lookup Base(const ParsedPath& p, std::string& base, std::optional<dev_t>& rootDev);

    // The on-disk name of `name` in `dir`: the exact name when it exists, else the first (bytewise) name
    // that equals it without regard to case. `exact` receives the entry's lstat when the exact name exists.
    Lookup LookupName(const std::string& dir, std::string_view name, std::string& actual,
                      std::optional<struct stat>* exact = nullptr);
    // LookupName for a name known not to exist with the case given. `dirStat`, when given, is a fresh
    // lstat of `dir`, which spares the index its own.
    Lookup LookupFolded(const std::string& dir, std::string_view name, std::string& actual,
                        const struct stat* dirStat = nullptr);

    // Resolves the first `count` components of `parts` below `path`.
    Lookup ResolveParts(std::string& path, const std::vector<std::string>& parts, size_t count);
    // Resolves every component of `parts` below `folder` (where the path starts on the host): `folder`
    // becomes the host folder of the last component and `name` its on-disk name; `known` receives the
    // entry's lstat when the lookup made one.
    Lookup ResolveWhole(std::string& folder, const std::vector<std::string>& parts, std::string& name,
                        std::optional<struct stat>& known);

    struct Resolved {
        std::string folder; // host path of the folder that holds the entry
        std::string name;   // on-disk name of the entry (empty for a drive root)
        std::optional<dev_t> rootDev;
        std::optional<struct stat> known; // the entry's lstat, when the lookup made one
        bool root = false;
    };
    // Resolves a whole path without wildcards down to an existing entry.
    Lookup ResolveEntry(std::string_view text, Resolved& r, ParsedPath* parsedOut = nullptr);
    std::optional<EntryInfo> Describe(const Resolved& r);
    // Whether GetFileAttributes succeeds for the path; the DOS attributes it would read are not needed.
    bool Exists(std::string_view path);

  private:
    // When every component exists with exactly the case given (the usual case, and always so for paths a
    // walk built from listed names), one lstat of the whole path resolves it: the exact name wins at every
    // level anyway. `path` becomes the folder of the first `count` components.
    bool ExactPath(std::string& path, const std::vector<std::string>& parts, size_t count);

    const HostFileSystemConfig& config_;
    char systemDrive_ = 0;
    std::map<char, dev_t> rootDevs_; // the device each drive's walks stay on
    FolderIndexes indexes_;
};

} // namespace vx::detail
