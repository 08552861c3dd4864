// Windows grants large pages only with a privilege the program does not hold: small pages it is.
#include "platform/large_pages.h"

namespace vx {

void AskForLargePages(void*, size_t) {}

} // namespace vx
