#pragma once
// The section check-list: one row per catalogue section and one per fixed drive, with check marks kept
// in the settings, and the select-all box that mirrors them.
#include <string>

namespace vx {

class App;

// Rebuilds every row and its check mark from the settings.
void LoadlvwRegistryvaluesScanValues(App& app);
// Sets the select-all box from the rows (0 none, 1 all, 2 some checked).
void UpdateSelectAllBox(App& app);
// A click on a row's text toggles its mark; a click on its check box has already toggled it.
void lvwRegistryvaluesScan_ItemClick(App& app, int rowIndex);
void lvwRegistryvaluesScan_ItemCheck(App& app, int rowIndex);
// The select-all box's change handling.
void chkSelectlistviewItems_Click(App& app);
// Sets the select-all box from code; its change handling runs only when the state changes.
void SetSelectAllBoxState(App& app, int state);
// The main window's load: the box from the settings, before the rows exist.
void LoadSelectAllBoxFromSettings(App& app);

// The drive letter of a drive row ("Window Shortcut D" → "D"); empty for any other text.
std::string DriveOfRow(const std::string& rowText);

} // namespace vx
