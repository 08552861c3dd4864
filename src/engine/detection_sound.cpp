// The sound a scan plays for every finding when the settings ask for it.
#include "engine/detection_sound.h"

#include "app/app.h"
#include "engine/run_state.h"
#include "platform/text.h"

namespace vx {
namespace {

// Where the wave file is on the host; empty when it cannot be found.
std::filesystem::path FindWaveFile(App& app, const std::string& path) {
    if (app.files().FindFirstEntry(path, FILE_ATTRIBUTE_HIDDEN).kind != Lookup::Found)
        return {};
    return app.files().HostPath(path).value_or(std::filesystem::path());
}

} // namespace

void PlayDetectionSound(App& app, WaveFileLookup* duringScan) {
    if (SettingAsNumber(app.GetOftenReadSetting("chkPlaySound", "0")) != 1)
        return;
    const std::string path(TrimBlanks(app.GetOftenReadSetting("txtWaveFilesPath", "")));
    if (path.empty())
        return;
    // The settings are read at every call, so that a change takes effect with the next finding (another
    // process's within a few milliseconds: the often-read settings skip the file's change stamp); the file
    // itself is looked up once per scan run (two path searches in the target for every finding slowed a
    // scan by half). A file gone meanwhile plays nothing: the player looks before it plays.
    if (!duringScan) {
        if (const auto host = FindWaveFile(app, path); !host.empty())
            app.sound().PlayAsync(host);
        return;
    }
    WaveFileLookup& found = *duringScan;
    if (!found.lookedUp || found.path != path) {
        found.path = path;
        found.host = FindWaveFile(app, path);
        found.lookedUp = true;
    }
    if (!found.host.empty())
        app.sound().PlayAsync(found.host);
}

} // namespace vx
