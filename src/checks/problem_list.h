#pragma once
// Recording findings: a ProblemEntry for a registry value whose file is missing, into the run's sink.
#include "checks/registry_entry.h"

#include <string>
#include <string_view>

namespace vx {

struct CheckContext;

// Hands a ProblemEntry for the entry with `keyValue` as the tested path to the sink. A blank value name
// becomes "(Default)"; with blankNameIsUnnamed false only an empty name does.
void RecordProblem(CheckContext& check, const RegistryEntry& entry, std::string_view keyValue,
                   bool defaultOrNot, bool blankNameIsUnnamed = true);
// Records `path` for the entry unless FileExists finds it: the last step every checker shares.
void RecordWhenMissing(CheckContext& check, const RegistryEntry& entry, const std::string& path,
                       bool defaultOrNot);

} // namespace vx
