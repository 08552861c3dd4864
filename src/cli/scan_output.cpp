// How a finished scan run is shown on the terminal: the summary rows with their details, or one JSON
// object.
#include "cli/scan_output.h"

#include "app/app.h"
#include "platform/utf8.h"
#include "results/results_view.h"

#include <nlohmann/json.hpp>
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

namespace {

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = DecodeUtf8At(text, i, Utf8Rule::Strict).length;
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string HexBytes(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        out += kHex[static_cast<unsigned char>(c) >> 4];
        out += kHex[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

// A text field; one that is not UTF-8 (a file name in another encoding) shows with U+FFFD in its place
// and keeps its bytes, in hex, in a field of the same name with " bytes" after it.
void PutText(nlohmann::ordered_json& object, const std::string& name, const std::string& text) {
    object[name] = text;
    if (!IsUtf8(text))
        object[name + " bytes"] = HexBytes(text);
}

} // namespace

void PrintScanJson(App& app, const std::string& targetName, std::ostream& out) {
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
    // Invalid UTF-8 in registry data must not abort the output.
    out << json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

} // namespace vx
