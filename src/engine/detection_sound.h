#pragma once
// The sound a scan plays for every finding when the settings ask for it.
namespace vx {

class App;
struct WaveFileLookup;

// Plays the configured wave file when the sound option is on and the file can be found. During a scan run
// `duringScan` keeps the file's look-up between findings; outside one (null) it is looked up each time.
void PlayDetectionSound(App& app, WaveFileLookup* duringScan = nullptr);

} // namespace vx
