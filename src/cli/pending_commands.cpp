#include "cli/commands.h"

#include <iostream>

namespace vx {

int RunRepairCommand(CliSession&, const ScanOptions&, std::ostream&) {
    std::cerr << "vantrelix-cli: repair is not available yet\n";
    return 2;
}

int RunBackupsCommand(CliSession&, const std::vector<std::string>&, std::ostream&) {
    std::cerr << "vantrelix-cli: backups are not available yet\n";
    return 2;
}

int RunRegFromCli(const TargetOptions&, const std::vector<std::string>&) {
    std::cerr << "vantrelix-cli: reg is not available yet\n";
    return 2;
}

} // namespace vx
