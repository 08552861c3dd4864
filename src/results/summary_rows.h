#pragma once
// The results panel's texts: a summary row per section with problems, and the detail rows behind each.
#include "checks/findings.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The summary row of a section with `count` problems; empty for no problems or a section without one.
std::string SummaryRowText(std::string_view section, int count);
// The summary row of the broken shortcut files; empty for none.
std::string ShortcutSummaryRowText(size_t count);
// The summary row of the broken launchers Wine left on the desktop; empty for none.
std::string LauncherSummaryRowText(size_t count);
// The detail rows a summary row stands for, in the order of the findings; `yield` runs after each
// finding looked at.
std::vector<std::string> DetailRowsOf(std::string_view summaryRow, const Findings& findings,
                                      const std::function<void()>& yield);

} // namespace vx
