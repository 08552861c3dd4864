// The prefixes command (every Wine prefix on the machine) and a scan of each of them in turn.
#include "cli/commands.h"
#include "cli/json_text.h"
#include "cli/scan_output.h"
#include "platform/wine/folder_usage.h"
#include "platform/wine/prefix_finder.h"
#include "platform/wine/wine_server.h"

#include <ctime>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace vx {
namespace {

std::vector<FoundPrefix> FindPrefixesOrWarn() {
    std::vector<std::string> warnings;
    auto found = FindPrefixes(PrefixPlaces::FromEnvironment(), warnings);
    for (const auto& warning : warnings)
        std::cerr << "vantrelix-cli: warning: " << warning << "\n";
    return found;
}

// A name from a launcher's file may hold anything; the terminal gets no control characters from it.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

std::string InstalledText(Installed installed) {
    return installed == Installed::Yes ? "yes" : installed == Installed::No ? "no" : "-";
}

std::string SizeText(uint64_t bytes) {
    static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
    double size = static_cast<double>(bytes);
    size_t unit = 0;
    while (size >= 1024 && unit + 1 < std::size(kUnits)) {
        size /= 1024;
        ++unit;
    }
    std::ostringstream text;
    text << std::fixed << std::setprecision(unit == 0 ? 0 : 1) << size << " " << kUnits[unit];
    return text.str();
}

std::string TimeText(int64_t seconds, bool utc) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (utc ? !::gmtime_r(&time, &parts) : !::localtime_r(&time, &parts))
        return {};
    std::ostringstream text;
    text << std::put_time(&parts, utc ? "%Y-%m-%dT%H:%M:%SZ" : "%Y-%m-%d %H:%M");
    return text.str();
}

struct PrefixRow {
    FoundPrefix found;
    FolderUsage usage;
    bool serverRunning = false;
};

nlohmann::ordered_json PrefixJson(const FoundPrefix& found) {
    nlohmann::ordered_json json;
    PutText(json, "path", found.path.string());
    json["source"] = PrefixSourceName(found.source);
    PutText(json, "name", found.name);
    return json;
}

void PrintPrefixesJson(const std::vector<PrefixRow>& rows, std::ostream& out) {
    nlohmann::ordered_json list = nlohmann::json::array();
    for (const auto& row : rows) {
        nlohmann::ordered_json json = PrefixJson(row.found);
        json["size"] = row.usage.bytes;
        json["size complete"] = row.usage.complete;
        json["last change"] = TimeText(row.usage.lastChange, true);
        json["installed"] = nullptr;
        if (row.found.installed != Installed::Unknown)
            json["installed"] = row.found.installed == Installed::Yes;
        json["server running"] = row.serverRunning;
        list.push_back(std::move(json));
    }
    PrintJson(list, out);
}

void PrintPrefixesTable(const std::vector<PrefixRow>& rows, std::ostream& out) {
    std::vector<std::vector<std::string>> cells{
        {"SOURCE", "INSTALLED", "SERVER", "SIZE", "LAST CHANGE", "NAME", "PATH"}};
    for (const auto& row : rows)
        cells.push_back(
            {std::string(PrefixSourceName(row.found.source)), InstalledText(row.found.installed),
             row.serverRunning ? "running" : "-", (row.usage.complete ? "" : ">") + SizeText(row.usage.bytes),
             TimeText(row.usage.lastChange, false), row.found.name.empty() ? "-" : Printable(row.found.name),
             Printable(row.found.path.string())});
    std::vector<size_t> widths(cells.front().size(), 0);
    for (const auto& line : cells)
        for (size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], line[i].size());
    for (const auto& line : cells) {
        for (size_t i = 0; i + 1 < line.size(); ++i)
            out << std::left << std::setw(static_cast<int>(widths[i] + 2)) << line[i];
        out << line.back() << "\n";
    }
}

} // namespace

int RunPrefixesCommand(bool json, std::ostream& out) {
    std::vector<PrefixRow> rows;
    for (auto& found : FindPrefixesOrWarn()) {
        PrefixRow row{std::move(found), {}, false};
        row.usage = MeasureFolder(row.found.path);
        row.serverRunning = WineServerRunning(row.found.path);
        rows.push_back(std::move(row));
    }
    if (json)
        PrintPrefixesJson(rows, out);
    else if (rows.empty())
        out << "No Wine prefixes found.\n";
    else
        PrintPrefixesTable(rows, out);
    return 0;
}

int RunScanOfAllPrefixes(const ScanOptions& options, bool assumeYes, std::ostream& out) {
    if (options.report) {
        std::cerr << "vantrelix-cli: --report writes one report; scan the prefixes one by one with --prefix "
                     "to keep a report of each\n";
        return 2;
    }
    nlohmann::ordered_json list = nlohmann::json::array();
    bool found = false, failed = false;
    const auto prefixes = FindPrefixesOrWarn();
    for (const auto& prefix : prefixes) {
        const std::string label = prefix.path.string() + " (" + std::string(PrefixSourceName(prefix.source)) +
                                  (prefix.name.empty() ? "" : ", " + Printable(prefix.name)) + ")";
        auto session = OpenSession({prefix.path.string(), {}, {}}, assumeYes, false);
        if (!session) {
            failed = true;
            if (!options.json)
                out << label << ": not scanned\n";
            continue;
        }
        if (!RunOneScan(*session, options))
            return 2;
        const Engine& engine = *session->engine;
        const size_t problems = engine.findings().size();
        found = found || problems > 0;
        if (options.json) {
            nlohmann::ordered_json json = ScanJson(engine, session->targetName);
            json["prefix"] = PrefixJson(prefix);
            list.push_back(std::move(json));
        } else {
            out << label << ": " << (engine.run().Cancelled() ? "Scan cancelled. " : "")
                << (problems == 0 ? "No problems found."
                                  : "Problem(s) Detected : " + std::to_string(problems))
                << "\n";
        }
    }
    if (options.json)
        PrintJson(list, out);
    else if (prefixes.empty())
        out << "No Wine prefixes found.\n";
    return failed ? 2 : found ? 1 : 0;
}

} // namespace vx
