// How a finished scan run is shown on the terminal: the summary rows with their details, or one JSON
// object.
#include "cli/scan_output.h"

#include "app/app.h"
#include "cli/json_text.h"
#include "results/results_view.h"

#include <ostream>

namespace vx {

void PrintScanResults(App& app, std::ostream& out) {
    auto& main = app.main();
    if (main.ScanCancelled != 0)
        out << "Scan cancelled.\n";
    if (main.lvwRegistryProblems.rows.empty()) {
        out << "No problems found.\n";
        return;
    }
    // What clicking each summary row would show.
    const auto summary = main.lvwRegistryProblems.rows;
    for (size_t i = 0; i < summary.size(); ++i) {
        out << summary[i].text << "\n";
        lvwRegistryProblems_ItemClick(app, static_cast<int>(i));
        for (const auto& detail : main.lvwRegistryErrorsDetail.rows)
            out << "    " << detail.text << "\n";
    }
    main.lvwRegistryErrorsDetail.Clear();
    out << "Problem(s) Detected : " << main.lvwErrors.size() + main.lvwShortcut.size() << "\n";
}

nlohmann::ordered_json ScanJson(App& app, const std::string& targetName) {
    auto& main = app.main();
    nlohmann::ordered_json json;
    json["target"] = targetName;
    json["start"] = main.ScanStartTime;
    json["end"] = main.ScanEndTime;
    json["cancelled"] = main.ScanCancelled != 0;
    json["sections"] = nlohmann::json::array();
    for (const auto& row : main.lvwRegistryvaluesScan.rows)
        if (row.checked)
            json["sections"].push_back(row.text);
    json["problems"] = nlohmann::json::array();
    for (const auto& p : main.lvwErrors) {
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
    for (size_t i = 0; i < main.lvwShortcut.size(); ++i) {
        json["shortcuts"].push_back(main.lvwShortcut[i].path);
        if (!IsUtf8(main.lvwShortcut[i].path))
            shortcutBytes[std::to_string(i)] = HexBytes(main.lvwShortcut[i].path);
    }
    if (!shortcutBytes.empty())
        json["shortcut bytes"] = std::move(shortcutBytes);
    json["summary"] = nlohmann::json::array();
    for (const auto& row : main.lvwRegistryProblems.rows)
        json["summary"].push_back(row.text);
    return json;
}

void PrintJson(const nlohmann::ordered_json& json, std::ostream& out) {
    // Invalid UTF-8 in registry data must not abort the output.
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

void PrintScanJson(App& app, const std::string& targetName, std::ostream& out) {
    PrintJson(ScanJson(app, targetName), out);
}

} // namespace vx
