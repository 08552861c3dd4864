// vantrelix-cli: the terminal front end.
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "platform/program_arguments.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>

int main(int argc, char** argv) {
    using namespace vx;
    CLI::App cli{"Vantrelix v3.0 - finds and repairs registry values that name missing files, and broken "
                 "shortcuts, in a Wine prefix or on a Windows volume",
                 "vantrelix-cli"};
    cli.require_subcommand(1);
    cli.set_version_flag("--version", "vantrelix-cli " VANTRELIX_VERSION, "Print the version and exit");
    TargetOptions target;
    bool assumeYes = false;
    cli.add_option("--prefix", target.prefix, "Wine prefix to work on (default: $WINEPREFIX, else ~/.wine)");
    auto* windows = cli.add_option("--windows", target.windows,
                                   "A mounted Windows volume to work on (its hives and files) instead of a "
                                   "Wine prefix");
    cli.add_option("--user", target.user,
                   "With --windows: the user (a folder of Users) whose hives are HKEY_CURRENT_USER")
        ->needs(windows);
    windows->excludes("--prefix");
    bool allPrefixes = false;
    cli.add_flag("--all-prefixes", allPrefixes,
                 "With scan: scan every Wine prefix the prefixes command lists, one after another")
        ->excludes("--prefix")
        ->excludes(windows);
    cli.add_flag("-y,--yes", assumeYes, "Answer yes to every question");

    auto* scan = cli.add_subcommand("scan", "Scan the sections of the check-list and show what was found");
    ScanOptions scanOptions;
    scan->add_option("--sections", scanOptions.sections,
                     "Scan exactly these rows, e.g. \"Help Files,Windows Fonts\"");
    scan->add_flag("--report", scanOptions.report, "Write ScanReport.txt for this run");
    scan->add_flag("--json", scanOptions.json, "Print one JSON object");

    auto* prefixes = cli.add_subcommand("prefixes", "List every Wine prefix on this machine: $WINEPREFIX, "
                                                    "~/.wine, PlayOnLinux, Steam, Lutris, Bottles, Heroic");
    bool prefixesJson = false;
    prefixes->add_flag("--json", prefixesJson, "Print one JSON array");

    auto* sections = cli.add_subcommand("sections", "List the check-list rows with their marks");

    auto* settings = cli.add_subcommand("settings", "Read or write the settings store");
    std::vector<std::string> settingArgs;
    settings->add_option("key_value", settingArgs, "KEY [VALUE]")->expected(0, 2);

    auto* reg = cli.add_subcommand("reg", "A small registry tool: reg query|add|delete KEY ...");
    reg->prefix_command();

    auto* repair = cli.add_subcommand("repair", "Scan, then repair everything found (after a backup)");
    repair->add_option("--sections", scanOptions.sections, "Scan and repair exactly these rows");

    auto* backups = cli.add_subcommand("backups", "List backup files; restore or delete them");
    std::vector<std::string> backupArgs;
    backups->add_option("action_names", backupArgs, "[restore|delete NAME...]");

    // UTF-8 arguments on every host (on Windows from the wide command line).
    std::vector<std::string> arguments = ProgramArguments(argc, argv);
    std::reverse(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
    if (!arguments.empty())
        arguments.erase(arguments.begin());
    try {
        cli.parse(std::move(arguments));
    } catch (const CLI::ParseError& e) {
        return cli.exit(e);
    }

    if (allPrefixes && !*scan) {
        std::cerr << "vantrelix-cli: --all-prefixes goes with the scan command only\n";
        return 2;
    }
    if (*prefixes)
        return RunPrefixesCommand(prefixesJson, std::cout);
    if (allPrefixes)
        return RunScanOfAllPrefixes(scanOptions, assumeYes, std::cout);
    if (*reg)
        return RunRegFromCli(target, reg->remaining());
    const bool progress = *scan || *repair;
    auto session = OpenSession(target, assumeYes, progress && !scanOptions.json);
    if (!session)
        return 2;
    if (*scan)
        return RunScanCommand(*session, scanOptions, std::cout);
    if (*sections)
        return RunSectionsCommand(*session, std::cout);
    if (*settings)
        return RunSettingsCommand(*session, settingArgs, std::cout);
    if (*repair)
        return RunRepairCommand(*session, scanOptions, std::cout);
    if (*backups)
        return RunBackupsCommand(*session, backupArgs, std::cout);
    return 0;
}
