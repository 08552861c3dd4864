#pragma once
// Host folders read in one go and put in NTFS order, and the directory searches that hand their entries
// out.
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace vx::detail {

// Every name of a folder (without "." and ".."), in one read.
Lookup ReadFolderNames(const std::string& dir, std::vector<std::string>& names);

// Every entry of a folder (without "." and "..") with its folder bit, in one read, appended to `entries`.
Lookup ReadFolderEntries(const std::string& dir, std::optional<dev_t> rootDev,
                         std::vector<FindData>& entries);

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

inline void SortNoCase(std::vector<std::string>& names) {
    SortNoCase<std::string>(names.begin(), names.end(),
                            [](const std::string& n) -> const std::string& { return n; });
}

// A listing read at once; each entry's metadata is read when it is handed out.
class HostSearch final : public FileSearch {
  public:
    HostSearch(std::string folder, std::vector<std::string> names, std::optional<dev_t> rootDev)
        : folder_(std::move(folder)), names_(std::move(names)), rootDev_(rootDev) {}
    bool FindNextFile(FindData& entry) override;

  private:
    std::string folder_;
    std::vector<std::string> names_;
    std::optional<dev_t> rootDev_;
    size_t next_ = 0;
    bool xattrUnsupported_ = false;
};

// A search that found one named entry.
class SingleSearch final : public FileSearch {
  public:
    bool FindNextFile(FindData&) override { return false; }
};

} // namespace vx::detail
