// The section check-list: one row per catalogue section and one per fixed drive, with check marks kept
// in the settings, and the select-all box that mirrors them.
#include "engine/section_list.h"

#include "app/app.h"
#include "engine/desktop_launchers.h"
#include "engine/engine.h"
#include "engine/scan_catalogue.h"
#include "platform/text.h"

namespace vx {
namespace {

void SaveAllRowMarks(Engine& engine) {
    engine.observer().CheckListSaving(true);
    for (const auto& row : engine.checkList().rows) {
        engine.app().SaveSetting(row.text, row.checked ? "True" : "False");
        engine.observer().Yield();
    }
    engine.observer().CheckListSaving(false);
}

} // namespace

void LoadlvwRegistryvaluesScanValues(Engine& engine) {
    App& app = engine.app();
    auto& rows = engine.checkList().rows;
    rows.clear();
    for (const auto& section : FixedScanSections(app.target().PlatformId()))
        rows.push_back({std::string(section.listText), section.row});
    engine.observer().CheckListChanged();
    for (const auto& drive : app.files().Drives()) {
        if (drive.type == DriveType::Fixed) {
            rows.push_back({std::string(kDriveRowPrefix) + drive.letter, 12});
            engine.observer().CheckListChanged();
        }
        engine.observer().Yield();
    }
    if (OffersLauncherRow(engine)) {
        rows.push_back({std::string(kLauncherRowText), 12});
        engine.observer().CheckListChanged();
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        bool ok = false;
        const bool value = SettingAsBool(app.GetSetting(rows[i].text, "True"), ok);
        rows[i].checked = ok && value;
        engine.observer().CheckListChanged();
        engine.observer().Yield();
    }
}

void UpdateSelectAllBox(Engine& engine) {
    CheckList& list = engine.checkList();
    list.SelectAllChanging = true;
    bool sawChecked = false;
    bool sawUnchecked = false;
    for (const auto& row : list.rows) {
        (row.checked ? sawChecked : sawUnchecked) = true;
        engine.observer().Yield();
        if (sawChecked && sawUnchecked)
            break;
    }
    SetSelectAllBoxState(engine, sawChecked && sawUnchecked ? 2 : sawChecked ? 1 : 0);
    list.SelectAllChanging = false;
}

void lvwRegistryvaluesScan_ItemClick(Engine& engine, int rowIndex) {
    auto& rows = engine.checkList().rows;
    if (rowIndex < 0 || rowIndex >= static_cast<int>(rows.size()))
        return;
    rows[rowIndex].checked = !rows[rowIndex].checked;
    engine.observer().CheckListChanged();
    lvwRegistryvaluesScan_ItemCheck(engine, rowIndex);
}

void lvwRegistryvaluesScan_ItemCheck(Engine& engine, int /*rowIndex*/) {
    UpdateSelectAllBox(engine);
    SaveAllRowMarks(engine);
}

void chkSelectlistviewItems_Click(Engine& engine) {
    App& app = engine.app();
    CheckList& list = engine.checkList();
    // A grayed box is saved as "1" and stays grayed.
    app.SaveSetting("chkSelectlistviewItems", list.chkSelectlistviewItems == 0 ? "0" : "1");
    if (list.SelectAllChanging)
        return;
    const bool check = list.chkSelectlistviewItems == 1;
    auto& rows = list.rows;
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].checked = check;
        engine.observer().CheckListChanged();
        app.SaveSetting(rows[i].text, check ? "True" : "False");
        engine.observer().Yield();
    }
}

void SetSelectAllBoxState(Engine& engine, int state) {
    CheckList& list = engine.checkList();
    if (list.chkSelectlistviewItems == state)
        return;
    list.chkSelectlistviewItems = state;
    engine.observer().CheckListChanged();
    chkSelectlistviewItems_Click(engine);
}

void LoadSelectAllBoxFromSettings(Engine& engine) {
    const int saved = SettingAsNumber(engine.app().GetSetting("chkSelectlistviewItems", "1"));
    SetSelectAllBoxState(engine, saved == 2 ? 2 : saved == 1 ? 1 : 0);
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
