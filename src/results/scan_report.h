#pragma once
// "ScanReport.txt": when the scan ran, what it found, which sections were chosen.
#include "checks/findings.h"

#include <string>
#include <vector>

namespace vx {

class App;
class RunObserver;

// What a report tells of one scan run.
struct ScanOfReport {
    const Findings& findings;
    struct Row {
        std::string text;
        bool checked = false;
    };
    std::vector<Row> rows; // the check-list: the ticked rows are the sections scanned
    std::string startTime; // ScanStartTime, ScanEndTime
    std::string endTime;
};

inline constexpr const char* kScanReportName = "ScanReport.txt";

// Writes the report when the "chkMakeLogFile" setting asks for it (or `force` is set). Returns the path
// written, or empty when none was written (`why`, when given, then says why if it was asked for).
std::string MakeScanReport(App& app, RunObserver& observer, const ScanOfReport& scan, bool force = false,
                           std::string* why = nullptr);
// The report's text (CR LF line ends).
std::string ScanReportText(App& app, RunObserver& observer, const ScanOfReport& scan);

} // namespace vx
