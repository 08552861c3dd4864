#pragma once
// A folder search over entries that were all read and described before the first was handed out.
#include "platform/file_system.h"

#include <utility>
#include <vector>

namespace vx {

class ListedSearch final : public FileSearch {
  public:
    explicit ListedSearch(std::vector<FindData> entries) : entries_(std::move(entries)) {}
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

} // namespace vx
