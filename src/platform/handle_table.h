#pragma once
// The registry handles a registry hands out for the keys it opens: handle kFirstHandle + 4 * i names slot
// i, as Windows' own handles are multiples of four above the predefined roots' range. A closed slot keeps
// its record (and the room of its vectors) and is taken again by a later open, the latest closed first:
// a walk opens and closes a handle per key.
#include "platform/registry.h"

#include <cassert>
#include <cstdint>
#include <memory>
#include <vector>

namespace vx {

template <typename Record> class HandleTable {
  public:
    static constexpr HKEY kFirstHandle = 0x100;

    // The record of an open handle; null for any other value (never opened, closed, not ours).
    Record* Find(HKEY handle) const {
        if (handle < kFirstHandle || (handle - kFirstHandle) % 4 != 0)
            return nullptr;
        const size_t index = (handle - kFirstHandle) / 4;
        return index < slots_.size() && slots_[index].open ? slots_[index].record.get() : nullptr;
    }

    // The record of the slot the next open takes, for that open to fill in; `handle` receives the handle
    // it will have. The slot stays free until Take, so an open that fails gives nothing back.
    Record& Next(HKEY& handle) {
        if (free_.empty()) {
            free_.push_back(static_cast<uint32_t>(slots_.size()));
            slots_.push_back(Slot{std::make_unique<Record>(), false});
        }
        const uint32_t index = free_.back();
        assert(index < slots_.size() && !slots_[index].open);
        handle = HandleOf(index);
        return *slots_[index].record;
    }

    // Opens the slot Next offered.
    void Take(HKEY handle) {
        const uint32_t index = IndexOf(handle);
        assert(!free_.empty() && free_.back() == index && !slots_[index].open);
        free_.pop_back();
        slots_[index].open = true;
        ++open_;
    }

    // Closes an open handle; its record stays for the next open to reuse.
    void Release(HKEY handle) {
        const uint32_t index = IndexOf(handle);
        assert(index < slots_.size() && slots_[index].open && open_ > 0);
        slots_[index].open = false;
        free_.push_back(index);
        --open_;
    }

    size_t OpenCount() const { return open_; }

    // Every open record, for a registry that must close what is still open when it goes.
    template <typename Visit> void ForEachOpen(Visit visit) const {
        for (const Slot& slot : slots_)
            if (slot.open)
                visit(*slot.record);
    }

  private:
    struct Slot {
        std::unique_ptr<Record> record;
        bool open = false;
    };
    static HKEY HandleOf(uint32_t index) { return kFirstHandle + 4 * index; }
    static uint32_t IndexOf(HKEY handle) {
        assert(handle >= kFirstHandle && (handle - kFirstHandle) % 4 == 0);
        return (handle - kFirstHandle) / 4;
    }

    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
    size_t open_ = 0;
};

} // namespace vx
