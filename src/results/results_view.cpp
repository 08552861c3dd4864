// The results panel: a summary row per section with problems, and the detail rows of a chosen one.
#include "results/results_view.h"

#include "platform/text.h"
#include "app/app.h"

#include <algorithm>
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

void ToggleSort(ListView& list, int column) {
    list.sortKey = column;
    list.sorted = true;
    list.descending = !list.descending;
    list.Sort();
}

} // namespace

int16_t TallySection(App& app, const std::string& section) {
    // Counted in full so that a section with more than 32767 problems still shows its true count; only the
    // returned figure is capped to its 16-bit range.
    int count = 0;
    for (const auto& row : app.main().lvwErrors) {
        if (row.RegistryScanners == section)
            ++count;
        app.Yield();
    }
    AddSummaryRow(app, count, section);
    return static_cast<int16_t>(std::min(count, static_cast<int>(INT16_MAX)));
}

void AddSummaryRow(App& app, int count, const std::string& section) {
    if (count == 0)
        return;
    for (const auto& wording : kWordings) {
        if (wording.section == section) {
            app.main().lvwRegistryProblems.Add(std::string(wording.before) + std::to_string(count) +
                                               std::string(wording.after));
            return;
        }
    }
}

void ShowSectionDetails(App& app, const std::string& section) {
    auto& main = app.main();
    for (size_t i = 0; i < main.lvwErrors.size(); ++i) {
        if (main.lvwErrors[i].RegistryScanners == section)
            main.lvwRegistryErrorsDetail.Add("This file could not be found on your hard drive:" +
                                             main.lvwErrors[i].KeyValue);
        app.Yield();
    }
}

void lvwRegistryProblems_ItemClick(App& app, int rowIndex) {
    auto& main = app.main();
    if (rowIndex < 0 || rowIndex >= static_cast<int>(main.lvwRegistryProblems.rows.size()))
        return;
    main.lvwRegistryErrorsDetail.Clear();
    const std::string text = UpperAscii(TrimBlanks(main.lvwRegistryProblems.rows[rowIndex].text));
    for (const auto& wording : kWordings)
        if (ContainsAsciiNoCase(text, wording.keyPhrase))
            ShowSectionDetails(app, std::string(wording.section));
    if (ContainsAsciiNoCase(text, "Windows Shortcut")) {
        for (size_t i = 0; i < main.lvwShortcut.size(); ++i) {
            main.lvwRegistryErrorsDetail.Add("The path of this file is incorrect : " +
                                             main.lvwShortcut[i].path);
            app.Yield();
        }
    }
}

void lvwRegistryProblems_ColumnClick(App& app, int column) {
    ToggleSort(app.main().lvwRegistryProblems, column);
}

void lvwRegistryErrorsDetail_ColumnClick(App& app, int column) {
    ToggleSort(app.main().lvwRegistryErrorsDetail, column);
}

void ImgReturnMouseMove_Click(App& app) {
    app.main().PicResults = false;
    app.main().PicScanning = false;
}

} // namespace vx
