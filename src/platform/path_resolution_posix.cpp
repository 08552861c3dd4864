// Path resolution on the host: a target path's drive, then each component's on-disk name, found with the
// fewest lstats and folder reads the usual paths (exact case, or a missing program folder) allow.
#include "platform/path_resolution.h"

#include "platform/folder_listing.h"
#include "platform/text.h"

#include <cerrno>
#include <unistd.h>

namespace vx::detail {
namespace {

// Whether a folder on the way whose names were indexed before (the deepest such) lacks the next
// component in any case, as a fresh lstat of the folder and its index confirm: then the path names
// nothing, and neither the whole path nor the folders between need an lstat. The usual missing program
// file is one whose program folder is gone, below a folder whose names were read for the misses
// before it. `prefix(k)` is the host path of the first k components.
template <class Prefix>
bool MissingBelowIndexedFolder(FolderIndexes& indexes, const std::vector<std::string>& parts, Prefix prefix) {
    if (indexes.empty())
        return false;
    for (size_t k = parts.size() - 1; k > 0; --k) {
        const std::string_view dir = prefix(k);
        const FolderIndex* kept = indexes.Kept(dir);
        if (!kept)
            continue;
        const std::string folded = FoldCase(parts[k]);
        if (kept->firstByFolded.contains(folded))
            return false; // the folder may hold it: the usual lookup decides
        const std::string folder(dir);
        struct stat dirStat {};
        if (lstat(folder.c_str(), &dirStat) != 0)
            return false;
        const FolderIndex* index = indexes.IndexOf(folder, &dirStat);
        return index && !index->firstByFolded.contains(folded);
    }
    return false;
}

} // namespace

PathResolver::PathResolver(const HostFileSystemConfig& config) : config_(config) {
    const std::string& w = config.windowsFolder;
    if (w.size() >= 2 && IsAsciiLetter(w[0]) && w[1] == ':')
        systemDrive_ = UpperAsciiChar(w[0]);
}

const HostDrive* PathResolver::FindDrive(char letter) const {
    for (const HostDrive& d : config_.drives)
        if (UpperAsciiChar(d.letter) == letter)
            return &d;
    return nullptr;
}

Lookup PathResolver::Base(const ParsedPath& p, std::string& base, std::optional<dev_t>& rootDev) {
    if (p.host) {
        base = "/";
        rootDev.reset();
        return Lookup::Found;
    }
    const HostDrive* drive = FindDrive(p.letter);
    if (!drive || !drive->folder)
        return Lookup::Failed; // no such drive, or no medium in it
    base = drive->folder->string();
    if (auto known = rootDevs_.find(p.letter); known != rootDevs_.end()) {
        rootDev = known->second;
        return Lookup::Found;
    }
    struct stat st {};
    if (stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Lookup::Failed;
    rootDev = st.st_dev;
    rootDevs_[p.letter] = st.st_dev;
    return Lookup::Found;
}

Lookup PathResolver::LookupName(const std::string& dir, std::string_view name, std::string& actual,
                                std::optional<struct stat>* exact) {
    struct stat st {};
    if (lstat(Join(dir, name).c_str(), &st) == 0) {
        actual = name;
        if (exact)
            *exact = st;
        return Lookup::Found;
    }
    if (errno == ENOTDIR)
        return Lookup::NotFound;
    // Any other failure (a path longer than the host allows, no access, a loop of links, a failing
    // device) says nothing of whether the name exists: never taken for missing.
    if (errno != ENOENT)
        return Lookup::Failed;
    return LookupFolded(dir, name, actual);
}

Lookup PathResolver::LookupFolded(const std::string& dir, std::string_view name, std::string& actual,
                                  const struct stat* dirStat) {
    const std::string folded = FoldCase(name);
    if (const FolderIndex* index = indexes_.IndexOf(dir, dirStat)) {
        const auto found = index->firstByFolded.find(folded);
        if (found == index->firstByFolded.end())
            return Lookup::NotFound;
        actual = found->second;
        return Lookup::Found;
    }
    std::vector<std::string> names;
    if (Lookup o = ReadFolderNames(dir, names); o != Lookup::Found)
        return o;
    const bool asciiName = IsAscii(name);
    bool found = false;
    for (const std::string& n : names) {
        // Two ASCII names of different lengths never match: spares folding most of a big folder.
        if (asciiName && n.size() != name.size() && IsAscii(n))
            continue;
        if (FoldCase(n) == folded && (!found || n < actual)) {
            actual = n;
            found = true;
        }
    }
    return found ? Lookup::Found : Lookup::NotFound;
}

bool PathResolver::ExactPath(std::string& path, const std::vector<std::string>& parts, size_t count) {
    std::string folder = path;
    for (size_t i = 0; i < count; ++i)
        folder = Join(folder, parts[i]);
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0)
        return false;
    path = std::move(folder);
    return true;
}

Lookup PathResolver::ResolveParts(std::string& path, const std::vector<std::string>& parts, size_t count) {
    if (count > 1 && ExactPath(path, parts, count))
        return Lookup::Found;
    for (size_t i = 0; i < count; ++i) {
        std::string actual;
        if (Lookup o = LookupName(path, parts[i], actual); o != Lookup::Found)
            return o;
        path = Join(path, actual);
    }
    return Lookup::Found;
}

Lookup PathResolver::ResolveWhole(std::string& folder, const std::vector<std::string>& parts,
                                  std::string& name, std::optional<struct stat>& known) {
    const size_t n = parts.size();
    size_t length = folder.size();
    for (const std::string& part : parts)
        length += 1 + part.size();
    std::string full;
    full.reserve(length);
    full = folder;
    for (const std::string& part : parts) {
        if (full.empty() || full.back() != '/')
            full += '/';
        full += part;
    }
    // Where the host path of the first `count` components ends in `full`.
    auto prefixEnd = [&](size_t count) {
        size_t end = folder.size();
        for (size_t i = 0; i < count; ++i)
            end += (end == 0 || full[end - 1] != '/' ? 1 : 0) + parts[i].size();
        return end;
    };
    auto prefix = [&](size_t count) { return std::string_view(full).substr(0, prefixEnd(count)); };
    if (MissingBelowIndexedFolder(indexes_, parts, prefix))
        return Lookup::NotFound;
    // Most paths name an existing entry with the case it has on disk: one lstat of the whole path finds
    // it, as the lookup component by component would, since the exact name wins at every level.
    struct stat st {};
    if (lstat(full.c_str(), &st) == 0) {
        full.resize(prefixEnd(n - 1));
        folder = std::move(full);
        name = parts.back();
        known = st;
        return Lookup::Found;
    }
    if (errno == ENOENT) {
        // Climb to the deepest folder on the way that exists with the case given. The component below
        // it is then known not to, so its lookup goes straight to the folder's names: a missing file
        // costs a few lstats, whichever level it goes missing at.
        size_t k = n - 1;
        struct stat dirStat {};
        bool climbed = true;
        for (; k > 0; --k) {
            if (lstat(std::string(prefix(k)).c_str(), &dirStat) == 0)
                break;
            if (errno != ENOENT) {
                climbed = false;
                break;
            }
        }
        if (climbed) {
            std::string path(prefix(k));
            std::string actual;
            for (size_t i = k; i < n; ++i) {
                const Lookup o = i == k ? LookupFolded(path, parts[i], actual, k > 0 ? &dirStat : nullptr)
                                 : i + 1 == n ? LookupName(path, parts[i], actual, &known)
                                              : LookupName(path, parts[i], actual);
                if (o != Lookup::Found)
                    return o;
                if (i + 1 < n)
                    path = Join(path, actual);
            }
            folder = std::move(path);
            name = std::move(actual);
            return Lookup::Found;
        }
    }
    // Something other than a missing name in the way (a file where a folder should be, no access):
    // component by component from the top, which tells those apart.
    if (Lookup o = ResolveParts(folder, parts, n - 1); o != Lookup::Found)
        return o;
    return LookupName(folder, parts.back(), name, &known);
}

Lookup PathResolver::ResolveEntry(std::string_view text, Resolved& r, ParsedPath* parsedOut) {
    ParsedPath p;
    if (Lookup o = ParsePath(text, false, systemDrive_, p); o != Lookup::Found)
        return o;
    if (parsedOut)
        *parsedOut = p;
    if (Lookup o = Base(p, r.folder, r.rootDev); o != Lookup::Found)
        return o;
    if (p.parts.empty()) {
        r.root = true;
        return Lookup::Found;
    }
    return ResolveWhole(r.folder, p.parts, r.name, r.known);
}

std::optional<EntryInfo> PathResolver::Describe(const Resolved& r) {
    if (r.root) {
        if (access(r.folder.c_str(), F_OK) != 0)
            return std::nullopt;
        return EntryInfo{FILE_ATTRIBUTE_DIRECTORY, 0};
    }
    return DescribeEntry(r.folder, r.name, r.rootDev, nullptr, r.known ? &*r.known : nullptr);
}

bool PathResolver::Exists(std::string_view path) {
    Resolved r;
    ParsedPath p;
    if (ResolveEntry(path, r, &p) != Lookup::Found)
        return false;
    if (r.root)
        return access(r.folder.c_str(), F_OK) == 0;
    bool skipDosAttrib = true; // as for a file system without extended attributes
    const auto info =
        DescribeEntry(r.folder, r.name, r.rootDev, &skipDosAttrib, r.known ? &*r.known : nullptr);
    return info && !(p.trailingSeparator && !(info->attributes & FILE_ATTRIBUTE_DIRECTORY));
}

} // namespace vx::detail
