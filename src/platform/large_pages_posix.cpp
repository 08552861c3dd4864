// Large pages through transparent huge pages (madvise), where the kernel offers them.
#include "platform/large_pages.h"

#include <cstdint>
#include <sys/mman.h>

namespace vx {

void AskForLargePages(void* data, size_t size) {
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace vx
