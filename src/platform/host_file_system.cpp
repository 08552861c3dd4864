#include "platform/host_file_system.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>
#include <unordered_map>

namespace vx {
namespace {

constexpr uint32_t kMaskedBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
// Wine keeps only these two bits in the extended attribute; the others follow from the file itself.
constexpr uint32_t kDosAttribBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr const char* kDosAttribName = "user.DOSATTRIB";

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char UpperLetter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string_view StripTrailingDotsAndBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    return name;
}

std::string Join(const std::string& dir, std::string_view name) {
    std::string out;
    out.reserve(dir.size() + 1 + name.size());
    out = dir;
    if (out.empty() || out.back() != '/')
        out += '/';
    out += name;
    return out;
}

// ---- wildcard matching -------------------------------------------------------------------------------

// Pattern tokens after the translation Windows applies before its name matcher runs.
enum : char32_t {
    kStar = 0x110000,    // "*": any run of characters
    kDosStar = 0x110001, // "*" before ".": any run that does not pass the name's last dot
    kDosQm = 0x110002,   // "?": one character, or nothing at a dot or at the end
    kDosDot = 0x110003,  // "." before a wildcard or at the end: a dot, or nothing at the end
};

std::u32string DecodeFolded(std::string_view text) {
    const std::string folded = FoldCase(text);
    std::u32string out;
    out.reserve(folded.size());
    for (size_t i = 0; i < folded.size();) {
        const auto b0 = static_cast<unsigned char>(folded[i]);
        size_t len = b0 < 0x80 ? 1 : b0 < 0xC2 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF5 ? 4 : 0;
        char32_t cp = len == 1 ? b0 : (b0 & (0x7F >> len));
        if (len > 1 && i + len <= folded.size()) {
            for (size_t k = 1; k < len; ++k) {
                const auto b = static_cast<unsigned char>(folded[i + k]);
                if ((b & 0xC0) != 0x80) {
                    len = 0;
                    break;
                }
                cp = (cp << 6) | (b & 0x3F);
            }
        } else if (len > 1) {
            len = 0;
        }
        if (len == 0) { // a stray byte stands for itself, apart from every real character
            out += static_cast<char32_t>(0xDC00 + b0);
            ++i;
        } else {
            out += cp;
            i += len;
        }
    }
    return out;
}

std::u32string TranslatePattern(std::string_view pattern) {
    std::u32string p = DecodeFolded(pattern);
    std::u32string out;
    out.reserve(p.size());
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t next = i + 1 < p.size() ? p[i + 1] : 0;
        if (p[i] == U'?')
            out += kDosQm;
        else if (p[i] == U'*')
            out += next == U'.' ? kDosStar : kStar;
        else if (p[i] == U'.' && (next == 0 || next == U'?' || next == U'*'))
            out += kDosDot;
        else
            out += p[i];
    }
    return out;
}

bool MatchTokens(const std::u32string& name, const std::u32string& pat) {
    const size_t n = name.size();
    const size_t m = pat.size();
    const size_t lastDot = name.rfind(U'.');
    // memo[i * (n + 1) + j]: 0 unknown, 1 match, 2 no match, for pattern from i and name from j.
    std::vector<uint8_t> memo((m + 1) * (n + 1), 0);
    auto match = [&](auto&& self, size_t i, size_t j) -> bool {
        uint8_t& slot = memo[i * (n + 1) + j];
        if (slot != 0)
            return slot == 1;
        bool result = false;
        if (i == m) {
            result = j == n;
        } else {
            const char32_t t = pat[i];
            if (t == kStar) {
                for (size_t k = j; k <= n && !result; ++k)
                    result = self(self, i + 1, k);
            } else if (t == kDosStar) {
                const size_t limit = (lastDot != std::u32string::npos && lastDot >= j) ? lastDot : n;
                for (size_t k = j; k <= limit && !result; ++k)
                    result = self(self, i + 1, k);
            } else if (t == kDosQm) {
                if (j == n || name[j] == U'.') {
                    size_t k = i;
                    while (k < m && pat[k] == kDosQm)
                        ++k;
                    result = self(self, k, j);
                } else {
                    result = self(self, i + 1, j + 1);
                }
            } else if (t == kDosDot) {
                if (j == n)
                    result = self(self, i + 1, j);
                else if (name[j] == U'.')
                    result = self(self, i + 1, j + 1);
            } else {
                result = j < n && name[j] == t && self(self, i + 1, j + 1);
            }
        }
        slot = result ? 1 : 2;
        return result;
    };
    return match(match, 0, 0);
}

// "*" and "*.*" admit every name; a listing need not match them one by one.
bool MatchesEverything(const std::u32string& tokens) {
    return tokens == std::u32string{kStar} || tokens == std::u32string{kDosStar, kDosDot, kStar};
}

// ---- path parsing ------------------------------------------------------------------------------------

enum class Outcome { Ok, NotFound, Failed };

struct ParsedPath {
    bool host = false;              // a path of the host ("/…") rather than of a drive
    char letter = 0;                // the drive, for target paths
    std::vector<std::string> parts; // resolved components; the last may be a pattern
    bool trailingSeparator = false; // the text ended with "\" (names a folder, not a file)
    bool wildcard = false;          // the last component holds "*" or "?"
};

// Outcome::Failed for text that cannot name anything searchable (relative, UNC, malformed).
Outcome ParsePath(std::string_view text, bool allowWildcard, char systemDrive, ParsedPath& out) {
    out = ParsedPath{};
    out.parts.reserve(8);
    if (text.size() >= 6 && text.substr(0, 4) == "\\\\?\\" && IsLetter(text[4]) && text[5] == ':')
        text.remove_prefix(4);
    if (text.empty())
        return Outcome::NotFound;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]))
        return Outcome::Failed; // UNC: a share of another machine, never reachable here
    std::string_view rest;
    if (text[0] == '/') {
        out.host = true;
        rest = text;
    } else if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':') {
        out.letter = UpperLetter(text[0]);
        rest = text.substr(2); // "C:x" is relative to C:'s current folder, which is its root here
    } else if (text[0] == '\\' && systemDrive != 0) {
        out.letter = systemDrive; // rooted on the current drive: the one Windows lives on
        rest = text;
    } else {
        return Outcome::Failed; // relative to a current folder the target does not have
    }
    out.trailingSeparator = !rest.empty() && IsSeparator(rest.back());

    // What each character is to a path: one pass over the text classifies every component. Names Windows
    // refuses hold control characters or any of <>|"; ':' only in target paths (on the host it is an
    // ordinary character).
    enum : uint8_t { kPlain = 0, kSeparator = 1, kBad = 2, kColon = 4, kWildcard = 8 };
    static constexpr auto kClasses = [] {
        std::array<uint8_t, 256> classes{};
        for (size_t c = 0; c < 0x20; ++c)
            classes[c] = kBad;
        for (unsigned char c : {'<', '>', '|', '"'})
            classes[c] = kBad;
        classes[':'] = kColon; // bad in a drive's names, allowed in the host's
        classes['*'] = classes['?'] = kWildcard;
        classes['\\'] = classes['/'] = kSeparator;
        return classes;
    }();
    const uint8_t bad = out.host ? kBad : kBad | kColon;
    for (size_t i = 0; i < rest.size();) {
        size_t j = i;
        uint8_t seen = kPlain;
        for (; j < rest.size(); ++j) {
            const uint8_t c = kClasses[static_cast<unsigned char>(rest[j])];
            if (c == kSeparator)
                break;
            seen |= c;
        }
        const std::string_view part = rest.substr(i, j - i);
        i = j + 1;
        if (part.empty())
            continue;
        size_t next = j;
        while (next < rest.size() && IsSeparator(rest[next]))
            ++next;
        const bool last = next >= rest.size() && !out.trailingSeparator;
        if ((seen & bad) || ((seen & kWildcard) && !(last && allowWildcard)))
            return Outcome::Failed;
        if (last && (seen & kWildcard)) {
            out.parts.emplace_back(part);
            out.wildcard = true;
            continue;
        }
        if (part == ".")
            continue;
        if (part == "..") {
            if (!out.parts.empty())
                out.parts.pop_back();
            continue;
        }
        const std::string_view name = StripTrailingDotsAndBlanks(part);
        if (!name.empty())
            out.parts.emplace_back(name);
    }
    return Outcome::Ok;
}

// ---- entries -----------------------------------------------------------------------------------------

struct EntryInfo {
    uint32_t attributes = 0;
    uint64_t size = 0;
};

// Hidden and system bits from Wine's extended attribute: hexadecimal text such as "0x22".
uint32_t ReadDosAttrib(const std::string& path, bool* unsupported) {
    char data[65];
    const ssize_t len = getxattr(path.c_str(), kDosAttribName, data, sizeof(data) - 1);
    if (len < 0) {
        if (unsupported && errno == ENOTSUP)
            *unsupported = true;
        return 0;
    }
    if (len <= 2 || data[0] != '0' || data[1] != 'x')
        return 0;
    data[len] = 0;
    char* end = nullptr;
    const long value = std::strtol(data, &end, 16);
    if (*end != 0)
        return 0;
    return static_cast<uint32_t>(value) & kDosAttribBits;
}

bool IsHiddenName(std::string_view name) {
    return name.size() > 1 && name[0] == '.' && name != "..";
}

// The entry `name` of the host folder `dir`. Nothing for entries a Windows program cannot see: dangling
// links, devices, pipes, sockets. `xattrUnsupported` lets a listing stop asking a file system that has no
// extended attributes; `known` is the entry's lstat when the caller has it already.
std::optional<EntryInfo> DescribeEntry(const std::string& dir, std::string_view name,
                                       std::optional<dev_t> rootDev, bool* xattrUnsupported = nullptr,
                                       const struct stat* known = nullptr) {
    std::string full; // joined only when a call needs it
    auto fullPath = [&]() -> const std::string& {
        if (full.empty())
            full = Join(dir, name);
        return full;
    };
    struct stat st {};
    if (known)
        st = *known;
    else if (lstat(fullPath().c_str(), &st) != 0)
        return std::nullopt;
    bool folderAllowed = true;
    if (S_ISLNK(st.st_mode)) {
        if (stat(fullPath().c_str(), &st) != 0)
            return std::nullopt;
        folderAllowed = false; // a linked folder is never entered by a walk
    }
    if (S_ISDIR(st.st_mode) && rootDev && st.st_dev != *rootDev)
        folderAllowed = false; // another mounted file system
    EntryInfo info;
    if (S_ISDIR(st.st_mode)) {
        info.attributes = folderAllowed ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    } else if (S_ISREG(st.st_mode)) {
        info.attributes = FILE_ATTRIBUTE_ARCHIVE;
        info.size = static_cast<uint64_t>(st.st_size);
    } else {
        return std::nullopt;
    }
    if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        info.attributes |= FILE_ATTRIBUTE_READONLY;
    if (IsHiddenName(name))
        info.attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (!(xattrUnsupported && *xattrUnsupported))
        info.attributes |= ReadDosAttrib(fullPath(), xattrUnsupported);
    return info;
}

bool Admitted(uint32_t attributes, uint32_t mask) {
    return (attributes & kMaskedBits & ~mask) == 0;
}

// Every name of a folder (without "." and ".."), in one read.
Outcome ReadFolderNames(const std::string& dir, std::vector<std::string>& names) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return (errno == ENOENT || errno == ENOTDIR) ? Outcome::NotFound : Outcome::Failed;
    while (dirent* e = readdir(d)) {
        const std::string_view n = e->d_name;
        if (n != "." && n != "..")
            names.emplace_back(n);
    }
    closedir(d);
    return Outcome::Ok;
}

// The folder bit of an entry, from its directory entry type where that tells enough; nothing for entries
// a listing leaves out (as DescribeEntry). Stats are made relative to the open folder, so the kernel does
// not walk the whole path again. `searchable` turns true once a stat in the folder has succeeded: until
// then even plain files are stat-ed, since a folder that can be read but not searched lists nothing.
std::optional<uint32_t> FolderBitOf(int folderFd, const dirent& e, std::optional<dev_t> rootDev,
                                    bool& searchable) {
    const bool plain = e.d_type == DT_REG || (e.d_type == DT_DIR && !rootDev);
    if (plain && searchable)
        return e.d_type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (e.d_type != DT_REG && e.d_type != DT_DIR && e.d_type != DT_LNK && e.d_type != DT_UNKNOWN)
        return std::nullopt; // devices, pipes, sockets
    struct stat st {};
    if (fstatat(folderFd, e.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    searchable = true;
    bool folderAllowed = true;
    if (S_ISLNK(st.st_mode)) {
        if (fstatat(folderFd, e.d_name, &st, 0) != 0)
            return std::nullopt;
        folderAllowed = false;
    }
    if (S_ISDIR(st.st_mode))
        return folderAllowed && (!rootDev || st.st_dev == *rootDev) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (S_ISREG(st.st_mode))
        return 0;
    return std::nullopt;
}

// Every entry of a folder (without "." and "..") with its folder bit, in one read, appended to `entries`.
Outcome ReadFolderEntries(const std::string& dir, std::optional<dev_t> rootDev,
                          std::vector<FindData>& entries) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return (errno == ENOENT || errno == ENOTDIR) ? Outcome::NotFound : Outcome::Failed;
    bool searchable = false;
    while (dirent* e = readdir(d)) {
        const std::string_view n = e->d_name;
        if (n == "." || n == "..")
            continue;
        if (auto folderBit = FolderBitOf(dirfd(d), *e, rootDev, searchable))
            entries.push_back(FindData{std::string(n), *folderBit, 0});
    }
    closedir(d);
    return Outcome::Ok;
}

// NTFS order: by the upper-cased name, then bytewise so that equal names still order the same way. The
// items are put in order through their indexes, so that each is moved once.
template <class T, class NameOf>
void SortNoCase(typename std::vector<T>::iterator first, typename std::vector<T>::iterator last,
                NameOf nameOf) {
    const size_t n = static_cast<size_t>(last - first);
    std::vector<std::string> folded;
    folded.reserve(n);
    for (auto it = first; it != last; ++it)
        folded.push_back(FoldCase(nameOf(*it)));
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = static_cast<uint32_t>(i);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        if (int c = folded[a].compare(folded[b]); c != 0)
            return c < 0;
        return nameOf(first[a]) < nameOf(first[b]);
    });
    std::vector<T> sorted;
    sorted.reserve(n);
    for (uint32_t i : order)
        sorted.push_back(std::move(first[i]));
    std::move(sorted.begin(), sorted.end(), first);
}

void SortNoCase(std::vector<std::string>& names) {
    SortNoCase<std::string>(names.begin(), names.end(),
                            [](const std::string& n) -> const std::string& { return n; });
}

} // namespace

// ---- the implementation ------------------------------------------------------------------------------

class HostFileSystem::Impl {
  public:
    explicit Impl(const HostFileSystemConfig& config) : config_(config) {
        const std::string& w = config.windowsFolder;
        if (w.size() >= 2 && IsLetter(w[0]) && w[1] == ':')
            systemDrive_ = UpperLetter(w[0]);
    }

    const HostDrive* FindDrive(char letter) const {
        for (const HostDrive& d : config_.drives)
            if (UpperLetter(d.letter) == letter)
                return &d;
        return nullptr;
    }

    // Whether the hidden and system bits change nothing about what the masks between them admit: then a
    // search that wants no name need not read them. Asked with the same masks for every file a scan tests.
    bool DosAttribChangesNothing(std::span<const uint32_t> masks) {
        if (std::equal(masks.begin(), masks.end(), lastMasks_.begin(), lastMasks_.end()))
            return lastMasksSkipDosAttrib_;
        auto admittedByAny = [&](uint32_t attributes) {
            for (uint32_t mask : masks)
                if (Admitted(attributes, mask))
                    return true;
            return false;
        };
        bool nothing = true;
        for (uint32_t folderBit : {0u, uint32_t{FILE_ATTRIBUTE_DIRECTORY}})
            for (uint32_t dos :
                 {uint32_t{FILE_ATTRIBUTE_HIDDEN}, uint32_t{FILE_ATTRIBUTE_SYSTEM}, kDosAttribBits})
                if (admittedByAny(folderBit | dos) != admittedByAny(folderBit))
                    nothing = false;
        lastMasks_.assign(masks.begin(), masks.end());
        lastMasksSkipDosAttrib_ = nothing;
        return nothing;
    }

    // Where a parsed path starts on the host, and the device its walks must stay on.
    Outcome Base(const ParsedPath& p, std::string& base, std::optional<dev_t>& rootDev) {
        if (p.host) {
            base = "/";
            rootDev.reset();
            return Outcome::Ok;
        }
        const HostDrive* drive = FindDrive(p.letter);
        if (!drive || !drive->folder)
            return Outcome::Failed; // no such drive, or no medium in it
        base = drive->folder->string();
        if (auto known = rootDevs_.find(p.letter); known != rootDevs_.end()) {
            rootDev = known->second;
            return Outcome::Ok;
        }
        struct stat st {};
        if (stat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return Outcome::Failed;
        rootDev = st.st_dev;
        rootDevs_[p.letter] = st.st_dev;
        return Outcome::Ok;
    }

    // A folder's names by their folded form, for names that are not there with the case given. Without it
    // every such lookup reads the whole folder: a scan for broken shortcuts asks for the same missing
    // target folder thousands of times, and registry paths rarely match the case on disk. An index serves
    // only while the folder's modification and change times are those it was read with; a folder changed
    // in the last seconds is not indexed, as a change within the same clock tick (two seconds on FAT)
    // would leave those times as they were.
    struct FolderIndex {
        dev_t dev = 0;
        ino_t ino = 0;
        struct timespec mtime {};
        struct timespec ctime {};
        std::unordered_map<std::string, std::string> firstByFolded; // the bytewise first name of each
    };
    static constexpr time_t kSettledSeconds = 2;
    static constexpr size_t kMaxIndexedNames = 200000;

    static bool SameTime(const struct timespec& a, const struct timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    }

    const FolderIndex* IndexOf(const std::string& dir, const struct stat* dirStat = nullptr) {
        struct stat st {};
        if (dirStat && S_ISDIR(dirStat->st_mode))
            st = *dirStat; // an lstat that found a folder, not a link to one
        else if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return nullptr;
        if (auto kept = folderIndexes_.find(dir); kept != folderIndexes_.end()) {
            const FolderIndex& index = kept->second;
            if (index.dev == st.st_dev && index.ino == st.st_ino && SameTime(index.mtime, st.st_mtim) &&
                SameTime(index.ctime, st.st_ctim))
                return &index;
            indexedNames_ -= index.firstByFolded.size();
            folderIndexes_.erase(kept);
        }
        struct timespec now {};
        clock_gettime(CLOCK_REALTIME, &now);
        if (st.st_mtim.tv_sec > now.tv_sec - kSettledSeconds ||
            st.st_ctim.tv_sec > now.tv_sec - kSettledSeconds)
            return nullptr;
        // Read after the stat above: a change made meanwhile gives the folder newer times than the index.
        std::vector<std::string> names;
        if (ReadFolderNames(dir, names) != Outcome::Ok || names.size() > kMaxIndexedNames)
            return nullptr;
        if (indexedNames_ + names.size() > kMaxIndexedNames) {
            folderIndexes_.clear();
            indexedNames_ = 0;
        }
        FolderIndex index{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, {}};
        index.firstByFolded.reserve(names.size());
        for (std::string& n : names) {
            auto [slot, added] = index.firstByFolded.try_emplace(FoldCase(n), n);
            if (!added && n < slot->second)
                slot->second = std::move(n);
        }
        indexedNames_ += index.firstByFolded.size();
        return &folderIndexes_.insert_or_assign(dir, std::move(index)).first->second;
    }

    // The on-disk name of `name` in `dir`: the exact name when it exists, else the first (bytewise) name
    // that equals it without regard to case. `exact` receives the entry's lstat when the exact name exists.
    Outcome LookupName(const std::string& dir, std::string_view name, std::string& actual,
                       std::optional<struct stat>* exact = nullptr) {
        struct stat st {};
        if (lstat(Join(dir, name).c_str(), &st) == 0) {
            actual = name;
            if (exact)
                *exact = st;
            return Outcome::Ok;
        }
        if (errno == ENOTDIR)
            return Outcome::NotFound;
        if (errno != ENOENT && errno != ENAMETOOLONG)
            return Outcome::Failed;
        return LookupFolded(dir, name, actual);
    }

    // LookupName for a name known not to exist with the case given. `dirStat`, when given, is a fresh
    // lstat of `dir`, which spares the index its own.
    Outcome LookupFolded(const std::string& dir, std::string_view name, std::string& actual,
                         const struct stat* dirStat = nullptr) {
        const std::string folded = FoldCase(name);
        if (const FolderIndex* index = IndexOf(dir, dirStat)) {
            const auto found = index->firstByFolded.find(folded);
            if (found == index->firstByFolded.end())
                return Outcome::NotFound;
            actual = found->second;
            return Outcome::Ok;
        }
        std::vector<std::string> names;
        if (Outcome o = ReadFolderNames(dir, names); o != Outcome::Ok)
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
        return found ? Outcome::Ok : Outcome::NotFound;
    }

    // When every component exists with exactly the case given (the usual case, and always so for paths a
    // walk built from listed names), one lstat of the whole path resolves it: the exact name wins at every
    // level anyway. `path` becomes the folder of the first `count` components.
    bool ExactPath(std::string& path, const std::vector<std::string>& parts, size_t count) {
        std::string folder = path;
        for (size_t i = 0; i < count; ++i)
            folder = Join(folder, parts[i]);
        struct stat st {};
        if (lstat(folder.c_str(), &st) != 0)
            return false;
        path = std::move(folder);
        return true;
    }

    // Resolves the first `count` components of `parts` below `base`.
    Outcome ResolveParts(std::string& path, const std::vector<std::string>& parts, size_t count) {
        if (count > 1 && ExactPath(path, parts, count))
            return Outcome::Ok;
        for (size_t i = 0; i < count; ++i) {
            std::string actual;
            if (Outcome o = LookupName(path, parts[i], actual); o != Outcome::Ok)
                return o;
            path = Join(path, actual);
        }
        return Outcome::Ok;
    }

    // Whether a folder on the way whose names were indexed before (the deepest such) lacks the next
    // component in any case, as a fresh lstat of the folder and its index confirm: then the path names
    // nothing, and neither the whole path nor the folders between need an lstat. The usual missing program
    // file is one whose program folder is gone, below a folder whose names were read for the misses
    // before it. `prefix(k)` is the host path of the first k components.
    template <class Prefix>
    bool MissingBelowIndexedFolder(const std::vector<std::string>& parts, Prefix prefix) {
        if (folderIndexes_.empty())
            return false;
        for (size_t k = parts.size() - 1; k > 0; --k) {
            const std::string_view dir = prefix(k);
            const auto kept = folderIndexes_.find(dir);
            if (kept == folderIndexes_.end())
                continue;
            const std::string folded = FoldCase(parts[k]);
            if (kept->second.firstByFolded.contains(folded))
                return false; // the folder may hold it: the usual lookup decides
            const std::string folder(dir);
            struct stat dirStat {};
            if (lstat(folder.c_str(), &dirStat) != 0)
                return false;
            const FolderIndex* index = IndexOf(folder, &dirStat);
            return index && !index->firstByFolded.contains(folded);
        }
        return false;
    }

    // Resolves every component of `parts` below `folder` (where the path starts on the host): `folder`
    // becomes the host folder of the last component and `name` its on-disk name; `known` receives the
    // entry's lstat when the lookup made one.
    Outcome ResolveWhole(std::string& folder, const std::vector<std::string>& parts, std::string& name,
                         std::optional<struct stat>& known) {
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
        if (MissingBelowIndexedFolder(parts, prefix))
            return Outcome::NotFound;
        // Most paths name an existing entry with the case it has on disk: one lstat of the whole path finds
        // it, as the lookup component by component would, since the exact name wins at every level.
        struct stat st {};
        if (lstat(full.c_str(), &st) == 0) {
            full.resize(prefixEnd(n - 1));
            folder = std::move(full);
            name = parts.back();
            known = st;
            return Outcome::Ok;
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
                    const Outcome o = i == k
                                          ? LookupFolded(path, parts[i], actual, k > 0 ? &dirStat : nullptr)
                                      : i + 1 == n ? LookupName(path, parts[i], actual, &known)
                                                   : LookupName(path, parts[i], actual);
                    if (o != Outcome::Ok)
                        return o;
                    if (i + 1 < n)
                        path = Join(path, actual);
                }
                folder = std::move(path);
                name = std::move(actual);
                return Outcome::Ok;
            }
        }
        // Something other than a missing name in the way (a file where a folder should be, no access):
        // component by component from the top, which tells those apart.
        if (Outcome o = ResolveParts(folder, parts, n - 1); o != Outcome::Ok)
            return o;
        return LookupName(folder, parts.back(), name, &known);
    }

    struct Resolved {
        std::string folder; // host path of the folder that holds the entry
        std::string name;   // on-disk name of the entry (empty for a drive root)
        std::optional<dev_t> rootDev;
        std::optional<struct stat> known; // the entry's lstat, when the lookup made one
        bool root = false;
    };

    // Resolves a whole path without wildcards down to an existing entry.
    Outcome ResolveEntry(std::string_view text, Resolved& r, ParsedPath* parsedOut = nullptr) {
        ParsedPath p;
        if (Outcome o = ParsePath(text, false, systemDrive_, p); o != Outcome::Ok)
            return o;
        if (parsedOut)
            *parsedOut = p;
        if (Outcome o = Base(p, r.folder, r.rootDev); o != Outcome::Ok)
            return o;
        if (p.parts.empty()) {
            r.root = true;
            return Outcome::Ok;
        }
        return ResolveWhole(r.folder, p.parts, r.name, r.known);
    }

    std::optional<EntryInfo> Describe(const Resolved& r) {
        if (r.root) {
            if (access(r.folder.c_str(), F_OK) != 0)
                return std::nullopt;
            return EntryInfo{FILE_ATTRIBUTE_DIRECTORY, 0};
        }
        return DescribeEntry(r.folder, r.name, r.rootDev, nullptr, r.known ? &*r.known : nullptr);
    }

    // Whether GetFileAttributes succeeds for the path; the DOS attributes it would read are not needed.
    bool Exists(std::string_view path) {
        Resolved r;
        ParsedPath p;
        if (ResolveEntry(path, r, &p) != Outcome::Ok)
            return false;
        if (r.root)
            return access(r.folder.c_str(), F_OK) == 0;
        bool skipDosAttrib = true; // as for a file system without extended attributes
        const auto info =
            DescribeEntry(r.folder, r.name, r.rootDev, &skipDosAttrib, r.known ? &*r.known : nullptr);
        return info && !(p.trailingSeparator && !(info->attributes & FILE_ATTRIBUTE_DIRECTORY));
    }

    char systemDrive() const { return systemDrive_; }

  private:
    const HostFileSystemConfig& config_;
    char systemDrive_ = 0;
    std::map<char, dev_t> rootDevs_;  // the device each drive's walks stay on
    std::vector<uint32_t> lastMasks_; // the masks DosAttribChangesNothing answered last, and its answer
    bool lastMasksSkipDosAttrib_ = false;
    // Looked up by a part of a longer path, without copying it out.
    struct FolderHash {
        using is_transparent = void;
        size_t operator()(std::string_view folder) const { return std::hash<std::string_view>{}(folder); }
    };
    std::unordered_map<std::string, FolderIndex, FolderHash, std::equal_to<>>
        folderIndexes_; // by host folder
    size_t indexedNames_ = 0;
};

namespace {

// A listing read at once; each entry's metadata is read when it is handed out.
class HostSearch final : public FileSearch {
  public:
    HostSearch(std::string folder, std::vector<std::string> names, std::optional<dev_t> rootDev)
        : folder_(std::move(folder)), names_(std::move(names)), rootDev_(rootDev) {}
    bool FindNextFile(FindData& entry) override {
        while (next_ < names_.size()) {
            const std::string& name = names_[next_++];
            if (name == "." || name == "..") {
                entry = FindData{name, FILE_ATTRIBUTE_DIRECTORY, 0};
                return true;
            }
            if (auto info = DescribeEntry(folder_, name, rootDev_, &xattrUnsupported_)) {
                entry = FindData{name, info->attributes, info->size};
                return true;
            }
        }
        return false;
    }

  private:
    std::string folder_;
    std::vector<std::string> names_;
    std::optional<dev_t> rootDev_;
    size_t next_ = 0;
    bool xattrUnsupported_ = false;
};

// A listing whose entries were described while the folder was read.
class DescribedSearch final : public FileSearch {
  public:
    explicit DescribedSearch(std::vector<FindData> entries) : entries_(std::move(entries)) {}
    bool FindNextFile(FindData& entry) override {
        if (next_ >= entries_.size())
            return false;
        entry = std::move(entries_[next_++]);
        return true;
    }

  private:
    std::vector<FindData> entries_;
    size_t next_ = 0;
};

// A search that found one named entry.
class SingleSearch final : public FileSearch {
  public:
    bool FindNextFile(FindData&) override { return false; }
};

uint32_t WriteFolder(const std::string& folder, std::span<char> buffer) {
    if (folder.empty() || buffer.size() < folder.size() + 1)
        return 0;
    std::memcpy(buffer.data(), folder.data(), folder.size());
    buffer[folder.size()] = 0;
    return static_cast<uint32_t>(folder.size());
}

} // namespace

HostFileSystemConfig VolumeAsDriveC(const std::filesystem::path& root) {
    HostFileSystemConfig config;
    config.drives.push_back(HostDrive{'C', root, DriveType::Fixed});
    config.windowsFolder = "C:\\Windows";
    config.systemFolder = "C:\\Windows\\System32";
    config.tempFolder = "C:\\Windows\\Temp";
    return config;
}

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
    return MatchTokens(DecodeFolded(name), TranslatePattern(pattern));
}

HostFileSystem::HostFileSystem(HostFileSystemConfig config)
    : config_(std::move(config)), impl_(std::make_unique<Impl>(config_)) {
    std::sort(config_.drives.begin(), config_.drives.end(), [](const HostDrive& a, const HostDrive& b) {
        return UpperLetter(a.letter) < UpperLetter(b.letter);
    });
}

HostFileSystem::~HostFileSystem() = default;

uint32_t HostFileSystem::GetSystemDirectory(std::span<char> buffer) {
    return WriteFolder(config_.systemFolder, buffer);
}

uint32_t HostFileSystem::GetWindowsDirectory(std::span<char> buffer) {
    return WriteFolder(config_.windowsFolder, buffer);
}

std::string HostFileSystem::GetTempPath() {
    std::string temp = config_.tempFolder;
    if (!temp.empty() && !IsSeparator(temp.back()))
        temp += temp.front() == '/' ? '/' : '\\';
    return temp;
}

std::vector<Drive> HostFileSystem::Drives() {
    std::vector<Drive> drives;
    for (const HostDrive& d : config_.drives)
        drives.push_back(Drive{std::string(1, UpperLetter(d.letter)), d.type});
    return drives;
}

bool HostFileSystem::GetVolumeInformation(std::string_view root) {
    if (root.size() < 2 || !IsLetter(root[0]) || root[1] != ':')
        return false;
    if (root.size() > 3 || (root.size() == 3 && !IsSeparator(root[2])))
        return false;
    const HostDrive* drive = impl_->FindDrive(UpperLetter(root[0]));
    if (!drive || !drive->folder)
        return false;
    // Opening the folder for reading is the test; reading entries would cost a scan of the root's whole
    // first block, and the shortcut check asks this once per broken link.
    const int fd = open(drive->folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

FindResult HostFileSystem::FindFirstEntry(std::string_view pattern, uint32_t mask) {
    const uint32_t masks[] = {mask};
    return FindEntry(pattern, masks, true);
}

FindResult::Kind HostFileSystem::FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) {
    return FindEntry(pattern, masks, false).kind;
}

FindResult HostFileSystem::FindEntry(std::string_view pattern, std::span<const uint32_t> masks,
                                     bool nameWanted) {
    // Only the admission of the entries found depends on the mask: the path is resolved and the entries
    // are described once, then each mask in turn is asked what it admits.
    if (masks.empty())
        return {FindResult::NotFound, {}}; // no search made
    ParsedPath p;
    if (Outcome o = ParsePath(pattern, true, impl_->systemDrive(), p); o != Outcome::Ok)
        return {o == Outcome::Failed ? FindResult::Failed : FindResult::NotFound, {}};
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->Base(p, folder, rootDev) != Outcome::Ok)
        return {FindResult::Failed, {}};
    // A folder named by a trailing separator, or a drive root, is never a file.
    if (p.parts.empty() || p.trailingSeparator)
        return {FindResult::NotFound, {}};
    // When only whether something is found counts and the masks between them admit every combination of
    // the hidden and system bits that they admit without them, those bits (Wine's extended attribute)
    // change nothing and are not read.
    bool skipDosAttrib = !nameWanted && impl_->DosAttribChangesNothing(masks);

    if (!p.wildcard) {
        std::string name;
        std::optional<struct stat> known;
        if (const Outcome o = impl_->ResolveWhole(folder, p.parts, name, known); o != Outcome::Ok)
            return {o == Outcome::Failed ? FindResult::Failed : FindResult::NotFound, {}};
        auto info = DescribeEntry(folder, name, rootDev, skipDosAttrib ? &skipDosAttrib : nullptr,
                                  known ? &*known : nullptr);
        for (uint32_t mask : masks)
            if (info && Admitted(info->attributes, mask))
                return {FindResult::Found, name};
        return {FindResult::NotFound, {}};
    }

    if (const Outcome o = impl_->ResolveParts(folder, p.parts, p.parts.size() - 1); o != Outcome::Ok)
        return {o == Outcome::Failed ? FindResult::Failed : FindResult::NotFound, {}};
    std::vector<std::string> names;
    if (Outcome r = ReadFolderNames(folder, names); r != Outcome::Ok)
        return {r == Outcome::Failed ? FindResult::Failed : FindResult::NotFound, {}};
    const std::u32string tokens = TranslatePattern(p.parts.back());
    std::vector<std::string> matching;
    const bool all = MatchesEverything(tokens);
    for (std::string& n : names)
        if (all || MatchTokens(DecodeFolded(n), tokens))
            matching.push_back(std::move(n));
    SortNoCase(matching);
    // Each entry is described when a mask first gets to it.
    std::vector<std::optional<EntryInfo>> infos;
    infos.reserve(matching.size());
    bool unsupported = skipDosAttrib;
    for (uint32_t mask : masks) {
        if ((mask & FILE_ATTRIBUTE_DIRECTORY) && p.parts.size() > 1) { // as the listing: none at a root
            for (const char* dot : {".", ".."})
                if (MatchTokens(DecodeFolded(dot), tokens))
                    return {FindResult::Found, dot};
        }
        for (size_t i = 0; i < matching.size(); ++i) {
            if (i == infos.size())
                infos.push_back(DescribeEntry(folder, matching[i], rootDev, &unsupported));
            if (infos[i] && Admitted(infos[i]->attributes, mask))
                return {FindResult::Found, matching[i]};
        }
    }
    return {FindResult::NotFound, {}};
}

std::unique_ptr<FileSearch> HostFileSystem::FindFirstFile(std::string_view pattern, FindData& first) {
    return FindFirstFileEx(pattern, FindInfoLevel::Standard, first);
}

std::unique_ptr<FileSearch> HostFileSystem::FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                            FindData& first) {
    ParsedPath p;
    if (ParsePath(pattern, true, impl_->systemDrive(), p) != Outcome::Ok)
        return nullptr;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->Base(p, folder, rootDev) != Outcome::Ok || p.parts.empty() || p.trailingSeparator)
        return nullptr;
    if (impl_->ResolveParts(folder, p.parts, p.parts.size() - 1) != Outcome::Ok)
        return nullptr;

    if (!p.wildcard) {
        std::string name;
        if (impl_->LookupName(folder, p.parts.back(), name) != Outcome::Ok)
            return nullptr;
        auto info = DescribeEntry(folder, name, rootDev);
        if (!info)
            return nullptr;
        first = FindData{name, info->attributes, info->size};
        return std::make_unique<SingleSearch>();
    }

    const std::u32string tokens = TranslatePattern(p.parts.back());
    const bool all = MatchesEverything(tokens);
    auto matches = [&](const std::string& n) { return all || MatchTokens(DecodeFolded(n), tokens); };
    // A drive's root has no "." and "..", as on NTFS.
    std::vector<std::string> dots;
    if (p.parts.size() > 1) {
        for (const char* dot : {".", ".."})
            if (MatchTokens(DecodeFolded(dot), tokens))
                dots.emplace_back(dot);
    }

    if (level == FindInfoLevel::Basic) {
        std::vector<FindData> entries;
        for (std::string& dot : dots)
            entries.push_back(FindData{std::move(dot), FILE_ATTRIBUTE_DIRECTORY, 0});
        if (ReadFolderEntries(folder, rootDev, entries) != Outcome::Ok)
            return nullptr;
        const auto named = entries.begin() + static_cast<long>(dots.size());
        if (!all)
            entries.erase(
                std::remove_if(named, entries.end(), [&](const FindData& e) { return !matches(e.name); }),
                entries.end());
        SortNoCase<FindData>(entries.begin() + static_cast<long>(dots.size()), entries.end(),
                             [](const FindData& e) -> const std::string& { return e.name; });
        auto search = std::make_unique<DescribedSearch>(std::move(entries));
        if (!search->FindNextFile(first))
            return nullptr;
        return search;
    }

    std::vector<std::string> names;
    if (ReadFolderNames(folder, names) != Outcome::Ok)
        return nullptr;
    std::vector<std::string> rest;
    rest.reserve(names.size());
    for (std::string& n : names)
        if (matches(n))
            rest.push_back(std::move(n));
    SortNoCase(rest);
    std::vector<std::string> matching = std::move(dots);
    matching.reserve(matching.size() + rest.size());
    for (std::string& n : rest)
        matching.push_back(std::move(n));

    auto search = std::make_unique<HostSearch>(folder, std::move(matching), rootDev);
    if (!search->FindNextFile(first))
        return nullptr;
    return search;
}

uint32_t HostFileSystem::GetFileAttributes(std::string_view path) {
    Impl::Resolved r;
    ParsedPath p;
    if (impl_->ResolveEntry(path, r, &p) != Outcome::Ok)
        return INVALID_FILE_ATTRIBUTES;
    auto info = impl_->Describe(r);
    if (!info)
        return INVALID_FILE_ATTRIBUTES;
    if (p.trailingSeparator && !(info->attributes & FILE_ATTRIBUTE_DIRECTORY))
        return INVALID_FILE_ATTRIBUTES;
    return info->attributes;
}

uint32_t HostFileSystem::GetShortPathName(std::string_view path, std::span<char> buffer) {
    if (!impl_->Exists(path))
        return 0;
    if (buffer.size() < path.size() + 1)
        return static_cast<uint32_t>(path.size() + 1);
    std::memcpy(buffer.data(), path.data(), path.size());
    buffer[path.size()] = 0;
    return static_cast<uint32_t>(path.size());
}

std::optional<uint64_t> HostFileSystem::GetFileSize(std::string_view path) {
    Impl::Resolved r;
    if (impl_->ResolveEntry(path, r) != Outcome::Ok)
        return std::nullopt;
    auto info = impl_->Describe(r);
    if (!info || (info->attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return info->size;
}

namespace {

// Copies the bytes, the permission bits and Wine's DOS attributes of `from` into the new file `to`.
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

bool HostFileSystem::CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) {
    Impl::Resolved src;
    if (impl_->ResolveEntry(existing, src) != Outcome::Ok || src.root)
        return false;
    const std::string srcPath = Join(src.folder, src.name);

    // The destination's folder must exist; an existing entry of the same name (any case) is replaced.
    ParsedPath p;
    if (ParsePath(newFile, false, impl_->systemDrive(), p) != Outcome::Ok || p.parts.empty() ||
        p.trailingSeparator)
        return false;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->Base(p, folder, rootDev) != Outcome::Ok ||
        impl_->ResolveParts(folder, p.parts, p.parts.size() - 1) != Outcome::Ok)
        return false;
    std::string name;
    const Outcome found = impl_->LookupName(folder, p.parts.back(), name);
    if (found == Outcome::Failed)
        return false;
    if (found == Outcome::NotFound) {
        name = p.parts.back();
    } else {
        if (failIfExists)
            return false;
        struct stat st {};
        if (stat(Join(folder, name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return false; // Windows refuses to overwrite a read-only file
    }
    const std::string destPath = Join(folder, name);

    const int in = open(srcPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat srcStat {};
    if (fstat(in, &srcStat) != 0 || !S_ISREG(srcStat.st_mode)) {
        close(in);
        return false;
    }
    struct stat destStat {};
    if (stat(destPath.c_str(), &destStat) == 0 && destStat.st_dev == srcStat.st_dev &&
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
    ok = ok && rename(temp.c_str(), destPath.c_str()) == 0;
    if (!ok)
        unlink(temp.c_str());
    return ok;
}

bool HostFileSystem::DeleteFile(std::string_view path) {
    Impl::Resolved r;
    if (impl_->ResolveEntry(path, r) != Outcome::Ok || r.root)
        return false;
    const std::string full = Join(r.folder, r.name);
    struct stat st {};
    if (lstat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return false; // read-only files cannot be deleted on Windows either
    return unlink(full.c_str()) == 0;
}

std::optional<std::filesystem::path> HostFileSystem::HostPath(std::string_view path) {
    ParsedPath p;
    if (ParsePath(path, false, impl_->systemDrive(), p) != Outcome::Ok)
        return std::nullopt;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->Base(p, folder, rootDev) != Outcome::Ok)
        return std::nullopt;
    if (p.parts.empty())
        return std::filesystem::path(folder);
    if (impl_->ResolveParts(folder, p.parts, p.parts.size() - 1) != Outcome::Ok)
        return std::nullopt;
    std::string name;
    if (impl_->LookupName(folder, p.parts.back(), name) != Outcome::Ok)
        name = p.parts.back();
    return std::filesystem::path(Join(folder, name));
}

} // namespace vx
