// Recording findings: a ProblemEntry for a registry value whose file is missing, into the run's sink.
#include "checks/problem_list.h"

#include "checks/check_context.h"
#include "paths/folders.h"
#include "platform/text.h"

namespace vx {

void RecordProblem(CheckContext& check, const RegistryEntry& entry, std::string_view keyValue,
                   bool defaultOrNot, bool blankNameIsUnnamed) {
    ProblemEntry row;
    row.MainKey = std::to_string(static_cast<int32_t>(entry.root));
    const bool unnamed = blankNameIsUnnamed ? IsBlank(entry.valueName) : entry.valueName.empty();
    row.KeyName = unnamed ? "(Default)" : entry.valueName;
    row.valueName = entry.valueName;
    row.KeyValue = std::string(keyValue);
    row.RegistryScanners = entry.section;
    row.FullKeyPath = entry.keyPath;
    row.mainkeyname = entry.rootName;
    if (defaultOrNot)
        row.DefaultOrNot = "Yes";
    check.sink.Found(std::move(row));
}

void RecordWhenMissing(CheckContext& check, const RegistryEntry& entry, const std::string& path,
                       bool defaultOrNot) {
    if (!FileExists(check.target, path))
        RecordProblem(check, entry, path, defaultOrNot);
}

} // namespace vx
