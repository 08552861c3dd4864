// How a finished scan run is shown on the terminal: the summary rows with their details, or one JSON
// object.
#include "cli/scan_output.h"

#include "cli/json_text.h"
#include "engine/engine.h"
#include "results/summary_rows.h"

#include <ostream>

namespace vx {

void PrintScanResults(Engine& engine, std::ostream& out) {
    if (engine.run().Cancelled())
        out << "Scan cancelled.\n";
    if (engine.summaryRows().empty()) {
        out << "No problems found.\n";
        return;
    }
    // What clicking each summary row would show.
    for (const auto& row : engine.summaryRows()) {
        out << row << "\n";
        for (const auto& detail : DetailRowsOf(row, engine.findings(), [&] { engine.observer().Yield(); }))
            out << "    " << detail << "\n";
    }
    out << "Problem(s) Detected : " << engine.findings().size() << "\n";
}

nlohmann::ordered_json ScanJson(const Engine& engine, const std::string& targetName) {
    const RunState& run = engine.run();
    const Findings& found = engine.findings();
    nlohmann::ordered_json json;
    json["target"] = targetName;
    json["start"] = run.ScanStartTime;
    json["end"] = run.ScanEndTime;
    json["cancelled"] = run.Cancelled();
    json["sections"] = nlohmann::json::array();
    for (const auto& row : engine.checkList().rows)
        if (row.checked)
            json["sections"].push_back(row.text);
    json["problems"] = nlohmann::json::array();
    for (const auto& p : found.lvwErrors) {
        nlohmann::ordered_json row;
        PutText(row, "MainKey", p.MainKey);
        PutText(row, "KeyName", p.KeyName);
        PutText(row, "KeyValue", p.KeyValue);
        PutText(row, "Registry Scanners", p.RegistryScanners);
        PutText(row, "FullKeyPath", p.FullKeyPath);
        PutText(row, "mainkeyname", p.mainkeyname);
        PutText(row, "DefaultOrNot", p.DefaultOrNot);
        json["problems"].push_back(std::move(row));
    }
    json["shortcuts"] = nlohmann::json::array();
    nlohmann::ordered_json shortcutBytes; // by the shortcut's place in the list, for names not in UTF-8
    for (size_t i = 0; i < found.lvwShortcut.size(); ++i) {
        json["shortcuts"].push_back(found.lvwShortcut[i].path);
        if (!IsUtf8(found.lvwShortcut[i].path))
            shortcutBytes[std::to_string(i)] = HexBytes(found.lvwShortcut[i].path);
    }
    if (!shortcutBytes.empty())
        json["shortcut bytes"] = std::move(shortcutBytes);
    // Only where the launcher row ran and found something, so that every other scan's object is as it was.
    if (!found.lvwLaunchers.empty()) {
        json["launchers"] = nlohmann::json::array();
        for (const auto& launcher : found.lvwLaunchers)
            json["launchers"].push_back(launcher.text);
    }
    json["summary"] = nlohmann::json::array();
    for (const auto& row : engine.summaryRows())
        json["summary"].push_back(row);
    return json;
}

void PrintJson(const nlohmann::ordered_json& json, std::ostream& out) {
    // Invalid UTF-8 in registry data must not abort the output.
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

void PrintScanJson(const Engine& engine, const std::string& targetName, std::ostream& out) {
    PrintJson(ScanJson(engine, targetName), out);
}

} // namespace vx
