#pragma once
// The Windows attributes of an entry on the host, by Wine's rules, and what a search's attribute masks
// admit.
#include "platform/file_system.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace vx::detail {

// Wine keeps only these two bits in the extended attribute; the others follow from the file itself.
inline constexpr uint32_t kDosAttribBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
inline constexpr const char* kDosAttribName = "user.DOSATTRIB";

struct EntryInfo {
    uint32_t attributes = 0;
    uint64_t size = 0;
};

// The entry `name` of the host folder `dir`. Nothing for entries a Windows program cannot see: dangling
// links, devices, pipes, sockets. `xattrUnsupported` lets a listing stop asking a file system that has no
// extended attributes; `known` is the entry's lstat when the caller has it already.
std::optional<EntryInfo> DescribeEntry(const std::string& dir, std::string_view name,
                                       std::optional<dev_t> rootDev, bool* xattrUnsupported = nullptr,
                                       const struct stat* known = nullptr);

// Whether the hidden and system bits change nothing about what the masks between them admit: then a
// search that wants no name need not read them. Asked with the same masks for every file a scan tests,
// so the last answer is kept.
class DosAttribRelevance {
  public:
    bool ChangesNothing(std::span<const uint32_t> masks) {
        if (std::equal(masks.begin(), masks.end(), lastMasks_.begin(), lastMasks_.end()))
            return lastMasksSkipDosAttrib_;
        return Answer(masks);
    }

  private:
    bool Answer(std::span<const uint32_t> masks);

    std::vector<uint32_t> lastMasks_; // the masks answered last, and the answer
    bool lastMasksSkipDosAttrib_ = false;
};

} // namespace vx::detail
