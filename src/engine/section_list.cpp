// The section check-list: one row per catalogue section and one per fixed drive, with check marks kept
// in the settings, and the select-all box that mirrors them.
#include "engine/section_list.h"

#include "app/app.h"
#include "engine/scan_catalogue.h"
#include "platform/text.h"

namespace vx {
namespace {

void SaveAllRowMarks(App& app) {
    auto& main = app.main();
    main.enabled = false;
    for (const auto& row : main.lvwRegistryvaluesScan.rows) {
        app.SaveSetting(row.text, row.checked ? "True" : "False");
        app.Yield();
    }
    main.enabled = true;
}

} // namespace

void LoadlvwRegistryvaluesScanValues(App& app) {
    auto& list = app.main().lvwRegistryvaluesScan;
    list.Clear();
    for (const auto& section : FixedScanSections(app.target().PlatformId()))
        list.Add(std::string(section.listText), section.row);
    for (const auto& drive : app.files().Drives()) {
        if (drive.type == DriveType::Fixed)
            list.Add(std::string(kDriveRowPrefix) + drive.letter, 12);
        app.Yield();
    }
    for (size_t i = 0; i < list.rows.size(); ++i) {
        bool ok = false;
        const bool value = SettingAsBool(app.GetSetting(list.rows[i].text, "True"), ok);
        list.rows.Edit(i).checked = ok && value;
        app.Yield();
    }
}

void UpdateSelectAllBox(App& app) {
    auto& main = app.main();
    main.SelectAllChanging = true;
    bool sawChecked = false;
    bool sawUnchecked = false;
    for (const auto& row : main.lvwRegistryvaluesScan.rows) {
        (row.checked ? sawChecked : sawUnchecked) = true;
        app.Yield();
        if (sawChecked && sawUnchecked)
            break;
    }
    SetSelectAllBoxState(app, sawChecked && sawUnchecked ? 2 : sawChecked ? 1 : 0);
    main.SelectAllChanging = false;
}

void lvwRegistryvaluesScan_ItemClick(App& app, int rowIndex) {
    auto& rows = app.main().lvwRegistryvaluesScan.rows;
    if (rowIndex < 0 || rowIndex >= static_cast<int>(rows.size()))
        return;
    rows.Edit(rowIndex).checked = !rows[rowIndex].checked;
    lvwRegistryvaluesScan_ItemCheck(app, rowIndex);
}

void lvwRegistryvaluesScan_ItemCheck(App& app, int /*rowIndex*/) {
    UpdateSelectAllBox(app);
    SaveAllRowMarks(app);
}

void chkSelectlistviewItems_Click(App& app) {
    auto& main = app.main();
    // A grayed box is saved as "1" and stays grayed.
    app.SaveSetting("chkSelectlistviewItems", main.chkSelectlistviewItems == 0 ? "0" : "1");
    if (main.SelectAllChanging)
        return;
    const bool check = main.chkSelectlistviewItems == 1;
    auto& rows = main.lvwRegistryvaluesScan.rows;
    for (size_t i = 0; i < rows.size(); ++i) {
        rows.Edit(i).checked = check;
        app.SaveSetting(rows[i].text, check ? "True" : "False");
        app.Yield();
    }
}

void SetSelectAllBoxState(App& app, int state) {
    if (app.main().chkSelectlistviewItems == state)
        return;
    app.main().chkSelectlistviewItems = state;
    chkSelectlistviewItems_Click(app);
}

void LoadSelectAllBoxFromSettings(App& app) {
    const int saved = SettingAsNumber(app.GetSetting("chkSelectlistviewItems", "1"));
    SetSelectAllBoxState(app, saved == 2 ? 2 : saved == 1 ? 1 : 0);
}

std::string DriveOfRow(const std::string& rowText) {
    std::string text = UpperAscii(TrimBlanks(rowText));
    if (text.find("WINDOW SHORTCUT") == std::string::npos)
        return {};
    for (size_t at; (at = text.find("WINDOW SHORTCUT")) != std::string::npos;)
        text.erase(at, 15);
    return std::string(TrimBlanks(text));
}

} // namespace vx
