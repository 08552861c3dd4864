#pragma once
// One scan run over the rows of the section check-list, and the Scan and Cancel buttons around it.

namespace vx {

class App;

// The Scan button (and the tray menu's Scan item); does nothing while a scan, repair or restore is at
// work.
void ImgScanNowMouseMove_Click(App& app);
void StartScanRun(App& app);
void RunScanSections(App& app);
// The Cancel button of the scanning panel.
void cmdCancelOrStop_Click(App& app);

// ProgressStep for a check-list of `rows` rows: the full width divided by the rows, halves to even.
int ProgressStepFor(int rows);

} // namespace vx
