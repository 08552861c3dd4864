#pragma once
// Recording findings: a row in lvwErrors (or lvwShortcut), the counter, and the detection sound.
#include "checks/registry_entry.h"

#include <string>
#include <string_view>

namespace vx {

class App;

// Appends a ProblemEntry for the entry with `keyValue` as the tested path, then announces it. A blank
// value name becomes "(Default)"; with blankNameIsUnnamed false only an empty name does.
void RecordProblem(App& app, const RegistryEntry& entry, std::string_view keyValue, bool defaultOrNot,
                   bool blankNameIsUnnamed = true);
// Records `path` for the entry unless FileExists finds it: the last step every checker shares.
void RecordWhenMissing(App& app, const RegistryEntry& entry, const std::string& path, bool defaultOrNot);
// Plays the detection sound and adds one to lblProblemsFound.
void AnnounceProblem(App& app);
// Plays the configured wave file when the sound option is on and the file can be found.
void PlayDetectionSound(App& app);

} // namespace vx
