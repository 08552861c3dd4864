#pragma once
// A list that counts its changes, so that a front end redraws only what changed since it last looked and
// never compares a list of 100,000 findings with its copy. Every change of one row is one revision; runs
// of appends (a scan) and of removals from the front (a repair) are kept as one range each.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <optional>
#include <type_traits>
#include <vector>

namespace vx {

struct ListChange {
    enum class Kind { Inserted, Removed, Updated } kind = Kind::Inserted;
    size_t first = 0; // the first row concerned, counted in the list as it was after the earlier changes
    size_t count = 0;
    bool operator==(const ListChange&) const = default;
};

// `Items` holds the rows: a vector, or a deque for a list that grows large one row at a time (it never
// holds two copies of itself while growing, nor room for twice its rows).
template <class T, class Items = std::vector<T>> class RevisedList {
  public:
    using const_iterator = typename Items::const_iterator;

    RevisedList() = default;
    RevisedList(std::initializer_list<T> items) : items_(items) {}
    RevisedList(std::vector<T> items)
        : items_(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end())) {}
    RevisedList& operator=(std::vector<T> items) {
        if constexpr (std::is_same_v<Items, std::vector<T>>)
            items_ = std::move(items);
        else
            items_.assign(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
        Reset();
        return *this;
    }
    RevisedList& operator=(std::initializer_list<T> items) { return *this = std::vector<T>(items); }

    // Reading, as a vector reads.
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const T& operator[](size_t i) const { return items_[i]; }
    const T& front() const { return items_.front(); }
    const T& back() const { return items_.back(); }
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }
    const Items& items() const { return items_; }
    operator const Items&() const { return items_; }
    // The rows as a vector (a copy when they are held otherwise).
    std::vector<T> ToVector() const { return {items_.begin(), items_.end()}; }

    // Changing.
    void push_back(T item) {
        items_.push_back(std::move(item));
        Note(ListChange::Kind::Inserted, items_.size() - 1);
    }
    void insert(size_t at, T item) {
        assert(at <= items_.size());
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
        Note(ListChange::Kind::Inserted, at);
    }
    void erase(size_t at) {
        assert(at < items_.size());
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(at));
        Note(ListChange::Kind::Removed, at);
    }
    void clear() {
        items_.clear();
        Reset();
    }
    // A row to change in place; counted as changed.
    T& Edit(size_t i) {
        assert(i < items_.size());
        Note(ListChange::Kind::Updated, i);
        return items_[i];
    }
    // Every row, to change in place (ticking all rows, a sort); counted as one change of them all.
    Items& EditAll() {
        Reset();
        return items_;
    }

    uint64_t Revision() const { return revision_; }
    // The changes after revision `seen`, oldest first; empty when there were none, nullopt when they are
    // no longer known (the list was replaced, or too much happened): then redraw it whole.
    std::optional<std::vector<ListChange>> ChangesSince(uint64_t seen) const {
        if (seen == revision_)
            return std::vector<ListChange>{};
        if (seen < knownFrom_ || seen > revision_)
            return std::nullopt;
        std::vector<ListChange> out;
        for (const Entry& e : log_) {
            const uint64_t to = e.from + e.change.count;
            if (to <= seen)
                continue;
            ListChange part = e.change;
            if (e.from < seen) { // seen in part: only the later rows of the run are new
                const size_t done = static_cast<size_t>(seen - e.from);
                part.count -= done;
                if (part.kind == ListChange::Kind::Inserted)
                    part.first += done;
            }
            out.push_back(part);
        }
        return out;
    }

  private:
    struct Entry {
        uint64_t from; // the revision before this change's first row
        ListChange change;
    };
    static constexpr size_t kLogLength = 256;

    void Note(ListChange::Kind kind, size_t row) {
        if (!log_.empty()) {
            Entry& last = log_.back();
            const bool continues =
                last.from + last.change.count == revision_ && last.change.kind == kind &&
                ((kind == ListChange::Kind::Inserted && row == last.change.first + last.change.count) ||
                 (kind == ListChange::Kind::Removed && row == last.change.first));
            if (continues) {
                ++last.change.count;
                ++revision_;
                return;
            }
        }
        if (log_.size() == kLogLength) {
            knownFrom_ = log_.front().from + log_.front().change.count;
            log_.erase(log_.begin());
        }
        log_.push_back({revision_, {kind, row, 1}});
        ++revision_;
    }
    void Reset() {
        ++revision_;
        knownFrom_ = revision_;
        log_.clear();
    }

    Items items_;
    std::vector<Entry> log_;
    uint64_t revision_ = 0;
    uint64_t knownFrom_ = 0;
};

} // namespace vx
