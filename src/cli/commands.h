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

// Runs one scan run the way the Scan button does; false (with a message) when the sections could not be
// chosen.
bool RunOneScan(CliSession& session, const ScanOptions& options);
int RunScanCommand(CliSession& session, const ScanOptions& options, std::ostream& out);
int RunSectionsCommand(CliSession& session, std::ostream& out);
int RunSettingsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out);
int RunRepairCommand(CliSession& session, const ScanOptions& options, std::ostream& out);
int RunBackupsCommand(CliSession& session, const std::vector<std::string>& args, std::ostream& out);
// Every Wine prefix on the machine, with its size, last change, launcher's state and Wine server.
int RunPrefixesCommand(bool json, std::ostream& out);
// The scan command on each of those prefixes in turn: one summary row each (or a JSON array of scans).
int RunScanOfAllPrefixes(const ScanOptions& options, bool assumeYes, std::ostream& out);
int RunRegFromCli(const TargetOptions& target, const std::vector<std::string>& args);

} // namespace vx
