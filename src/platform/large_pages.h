#pragma once
// Memory that a large registry fills at once (its file's text, the blocks of its keys and values) is
// faulted in by the kernel page by page; in large pages that is a few hundred faults instead of tens of
// thousands. Only a hint: where large pages are not to be had, nothing changes.
#include <cstddef>

namespace vx {

// The alignment that lets a block be backed by large pages.
constexpr size_t kLargePage = size_t{2} << 20;

// Asks for large pages for the whole large pages that lie within [data, data + size), before the memory
// is first touched.
void AskForLargePages(void* data, size_t size);

} // namespace vx
