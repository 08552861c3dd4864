#pragma once
// The commands of vantrelix-cli. Each returns the program's exit status.
#include "cli/cli_session.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vx {

struct ScanOptions {
    std::string sections;
    bool report = false;
    bool json = false;
};

int RunScanCommand(CliSession& session, const ScanOptions& options, std::ostream& out);
int RunSectionsCommand(CliSession& session, std::ostream& out);
int RunSettingsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out);
int RunRepairCommand(CliSession& session, const ScanOptions& options, std::ostream& out);
int RunBackupsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out);
int RunRegFromCli(const TargetOptions& target, const std::vector<std::string>& args);

} // namespace vx
