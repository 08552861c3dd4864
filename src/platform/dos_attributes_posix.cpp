// Wine's attribute rules for host entries: folder and read-only from the mode, hidden for names beginning
// with a dot, hidden and system from the "user.DOSATTRIB" extended attribute, archive for plain files.
#include "platform/dos_attributes.h"

#include "platform/host_path.h"

#include <cerrno>
#include <cstdlib>
#include <sys/xattr.h>

namespace vx::detail {
namespace {

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

} // namespace

std::optional<EntryInfo> DescribeEntry(const std::string& dir, std::string_view name,
                                       std::optional<dev_t> rootDev, bool* xattrUnsupported,
                                       const struct stat* known) {
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

bool DosAttribRelevance::Answer(std::span<const uint32_t> masks) {
    auto admittedByAny = [&](uint32_t attributes) {
        for (uint32_t mask : masks)
            if (AdmittedByMask(attributes, mask))
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

} // namespace vx::detail
