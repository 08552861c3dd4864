#pragma once
// "ScanReport.txt": when the scan ran, what it found, which sections were chosen.
#include <string>

namespace vx {

class App;

inline constexpr const char* kScanReportName = "ScanReport.txt";

// Writes the report when the "chkMakeLogFile" setting asks for it (or `force` is set). Returns the path
// written, or empty when none was written (`why`, when given, then says why if it was asked for).
std::string MakeScanReport(App& app, bool force = false, std::string* why = nullptr);
// The report's text for the current lists (CR LF line ends).
std::string ScanReportText(App& app);

} // namespace vx
