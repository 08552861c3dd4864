// The results panel's texts: a summary row per section with problems, and the detail rows behind each.
#include "results/summary_rows.h"

#include "platform/text.h"

#include <array>

namespace vx {
namespace {

struct SummaryWording {
    std::string_view section;
    std::string_view before; // text before the count
    std::string_view after;  // text after the count
    std::string_view keyPhrase;
};

// The wording is exact, double blanks included: the key phrase maps a chosen row back to its section.
constexpr std::array<SummaryWording, 9> kWordings{{
    {"ActiveX \\ COM", "Invalid Custom Controls ( ", " Problem(s) )", "Custom Controls"},
    {"ActiveX \\ COM Subsections", "Invalid Sub Section Controls ( ", " Problem(s) )",
     "Sub Section Controls"},
    {"Application Paths", "Invalid Software Locations ( ", " Problem(s) )", "Software Locations"},
    {"Help Files", "Invalid Help Files ( ", " Problem(s) )", "Help Files"},
    {"Microsoft Shared", "Invalid Shared Files ( ", " Problem(s) )", "Shared Files"},
    {"Windows Startup", "Invalid Windows Startup Files  ( ", " Problem(s) )", "Windows Startup"},
    {"Uninstall Section", "Invalid Uninstall Section File  ( ", " Problem(s) )", "Uninstall Section"},
    {"VxD Section", "Invalid Virtual Devices ( ", " Problem(s) )", "Virtual Devices"},
    {"Windows Fonts", "Invalid Windows Fonts (  ", " Problem(s) )", "Windows Fonts"},
}};

} // namespace

std::string SummaryRowText(std::string_view section, int count) {
    if (count == 0)
        return {};
    for (const auto& wording : kWordings)
        if (wording.section == section)
            return std::string(wording.before) + std::to_string(count) + std::string(wording.after);
    return {};
}

std::string ShortcutSummaryRowText(size_t count) {
    if (count == 0)
        return {};
    return "Invalid Windows Shortcut File (" + std::to_string(count) + " Problems)";
}

std::string LauncherSummaryRowText(size_t count) {
    if (count == 0)
        return {};
    return "Invalid Desktop Launchers (" + std::to_string(count) + " Problems)";
}

std::vector<std::string> DetailRowsOf(std::string_view summaryRow, const Findings& findings,
                                      const std::function<void()>& yield) {
    std::vector<std::string> rows;
    const std::string text = UpperAscii(TrimBlanks(summaryRow));
    for (const auto& wording : kWordings) {
        if (!ContainsAsciiNoCase(text, wording.keyPhrase))
            continue;
        for (const auto& problem : findings.lvwErrors) {
            if (problem.RegistryScanners == wording.section)
                rows.push_back("This file could not be found on your hard drive:" + problem.KeyValue);
            yield();
        }
    }
    if (ContainsAsciiNoCase(text, "Windows Shortcut")) {
        for (const auto& shortcut : findings.lvwShortcut) {
            rows.push_back("The path of this file is incorrect : " + shortcut.path);
            yield();
        }
    }
    if (ContainsAsciiNoCase(text, "Desktop Launchers")) {
        for (const auto& launcher : findings.lvwLaunchers) {
            rows.push_back("This launcher is broken : " + launcher.text);
            yield();
        }
    }
    return rows;
}

} // namespace vx
