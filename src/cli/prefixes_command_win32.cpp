// The prefixes command on Windows: there the target is always this computer, and no Wine prefix exists.
#include "cli/commands.h"

#include <iostream>

namespace vx {

namespace {

int NoPrefixesHere() {
    std::cerr << "vantrelix-cli: Wine prefixes exist only on Linux; on Windows the target is this computer\n";
    return 2;
}

} // namespace

int RunPrefixesCommand(bool, std::ostream&) {
    return NoPrefixesHere();
}

int RunScanOfAllPrefixes(const ScanOptions&, bool, std::ostream&) {
    return NoPrefixesHere();
}

} // namespace vx
