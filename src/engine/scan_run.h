#pragma once
// One scan run over the ticked rows of the section check-list.

#include "results/scan_report.h"

namespace vx {

class Engine;

// The whole run: the findings and summary rows start afresh, every ticked row is scanned, the report is
// written when the settings ask for it. The caller holds the run's turn (Engine::Scan).
void RunScan(Engine& engine);

// What the report tells of the engine's last scan run.
ScanOfReport ReportOfLastScan(const Engine& engine);

// ProgressStep for a check-list of `rows` rows: the full width divided by the rows, halves to even.
int ProgressStepFor(int rows);

} // namespace vx
