#pragma once
// The state of the last scan, repair or restore: whether it was cancelled, how far it got, when it ran.
#include <cstdint>
#include <filesystem>
#include <string>

namespace vx {

// The detection sound's wave file as the running scan found it: looked up once per run for the path the
// settings name, and again when they name another.
struct WaveFileLookup {
    bool lookedUp = false;
    std::string path;           // the "txtWaveFilesPath" text it was looked up for
    std::filesystem::path host; // where it is on the host; empty when it is missing
};

struct RunState {
    int16_t ScanCancelled = 0; // 0 or -1
    bool Cancelled() const { return ScanCancelled != 0; }
    int32_t ProgressStep = 0;  // the progress one check-list row is worth
    int32_t progress = 0;      // the progress so far (PicProgress)
    std::string ScanStartTime; // "h:mm:ss AM"
    std::string ScanEndTime;
    std::string BackupFilePath; // the last repair's backup file; empty when none was kept
    // Why the last scan run's report was not written although it was asked for, or empty.
    std::string ScanReportRefused;
    WaveFileLookup DetectionWaveFile; // reset by each scan run
    bool scanning = false;            // a scan run is between its start and its end
};

} // namespace vx
