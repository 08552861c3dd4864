#pragma once
// The section check-list: one row per catalogue section and one per fixed drive, with check marks kept
// in the settings, and the select-all box that mirrors them.
#include <string>
#include <vector>

namespace vx {

class Engine;

struct CheckRow {
    std::string text;
    int icon = 0; // the catalogue row's number; 12 for a drive
    bool checked = false;
};

struct CheckList {
    std::vector<CheckRow> rows;
    int chkSelectlistviewItems = 0; // the select-all box: 0 clear, 1 checked, 2 grayed
    bool SelectAllChanging = false;
};

// Rebuilds every row and its check mark from the settings.
void LoadlvwRegistryvaluesScanValues(Engine& engine);
// Sets the select-all box from the rows (0 none, 1 all, 2 some checked).
void UpdateSelectAllBox(Engine& engine);
// A click on a row's text toggles its mark; a click on its check box has already toggled it.
void lvwRegistryvaluesScan_ItemClick(Engine& engine, int rowIndex);
void lvwRegistryvaluesScan_ItemCheck(Engine& engine, int rowIndex);
// The select-all box's change handling.
void chkSelectlistviewItems_Click(Engine& engine);
// Sets the select-all box from code; its change handling runs only when the state changes.
void SetSelectAllBoxState(Engine& engine, int state);
// The main window's load: the box from the settings, before the rows exist.
void LoadSelectAllBoxFromSettings(Engine& engine);

// The drive letter of a drive row ("Window Shortcut D" → "D"); empty for any other text.
std::string DriveOfRow(const std::string& rowText);

} // namespace vx
