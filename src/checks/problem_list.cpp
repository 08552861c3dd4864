// Recording findings: a row in lvwErrors (or lvwShortcut), the counter, and the detection sound.
#include "checks/problem_list.h"

#include "app/app.h"
#include "paths/folders.h"
#include "platform/text.h"

#include <charconv>

namespace vx {

void RecordProblem(App& app, const RegistryEntry& entry, std::string_view keyValue, bool defaultOrNot,
                   bool blankNameIsUnnamed) {
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
    app.main().lvwErrors.push_back(std::move(row));
    AnnounceProblem(app);
}

void RecordWhenMissing(App& app, const RegistryEntry& entry, const std::string& path, bool defaultOrNot) {
    if (!FileExists(app, path))
        RecordProblem(app, entry, path, defaultOrNot);
}

void AnnounceProblem(App& app) {
    PlayDetectionSound(app);
    auto& counter = app.main().lblProblemsFound;
    const std::string_view text = TrimBlanks(counter);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return; // a caption that is not a number stays as it is
    counter = std::to_string(value + 1);
}

namespace {

// Where the wave file is on the host; empty when it cannot be found.
std::filesystem::path FindWaveFile(App& app, const std::string& path) {
    if (app.files().FindFirstEntry(path, FILE_ATTRIBUTE_HIDDEN).kind != Lookup::Found)
        return {};
    return app.files().HostPath(path).value_or(std::filesystem::path());
}

} // namespace

void PlayDetectionSound(App& app) {
    if (SettingAsNumber(app.GetOftenReadSetting("chkPlaySound", "0")) != 1)
        return;
    const std::string path(TrimBlanks(app.GetOftenReadSetting("txtWaveFilesPath", "")));
    if (path.empty())
        return;
    // The settings are read at every call, so that a change takes effect with the next finding; the file
    // itself is looked up once per scan run (two path searches in the target for every finding slowed a
    // scan by half). A file gone meanwhile plays nothing: the player looks before it plays.
    auto& found = app.main().DetectionWaveFile;
    if (!found.duringScan) {
        if (const auto host = FindWaveFile(app, path); !host.empty())
            app.sound().PlayAsync(host);
        return;
    }
    if (!found.lookedUp || found.path != path) {
        found.path = path;
        found.host = FindWaveFile(app, path);
        found.lookedUp = true;
    }
    if (!found.host.empty())
        app.sound().PlayAsync(found.host);
}

} // namespace vx
