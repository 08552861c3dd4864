#pragma once
// The fixed catalogue of scan sections behind the rows of the section check-list.
#include "platform/root_keys.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx {

enum class WalkKind { Recursive, Flat, DisplayOnly };

// The status line of the configuration-files row.
inline constexpr std::string_view kConfigurationFilesStatus = " Configuration files...";

struct SectionWalk {
    WalkKind kind;
    std::string_view rootName;
    RootKey root;
    std::string_view keyPath;
};

// How the scan run treats cancellation and the summary row of a section (they differ per row).
enum class RunStyle {
    CheckOnceThenTally,  // rows 2, 3, 4, 6, 10
    CheckBeforeEachWalk, // rows 1, 5, 7 (tally for 5 and 7)
    CheckBeforeAndAfter, // rows 8, 9
    NoCheck,             // row 11
};

struct ScanSection {
    int row;
    std::string_view listText;
    std::string_view statusText;
    std::string_view sectionName; // empty: none
    std::vector<SectionWalk> walks;
    bool summary;
    RunStyle style;
    // The row only shows the keys and data it walks: its checker never runs.
    bool showOnly = false;
};

// Rows 1 to 11; `platformId` chooses the fonts key (2: the NT family).
const std::vector<ScanSection>& FixedScanSections(uint32_t platformId);

inline constexpr std::string_view kDriveRowPrefix = "Window Shortcut ";
inline constexpr std::string_view kShortcutsStatus = " Shortcuts...";

} // namespace vx
