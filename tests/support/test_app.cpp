#include "support/test_app.h"

#include "app/clock.h"
#include "engine/scan_run.h"
#include "platform/text.h"

#include <cassert>
#include <map>
#include <optional>

namespace vx::test {
namespace {

struct Parts {
    TestApp* owner = nullptr;
    std::optional<CheckContext> context;
};

std::map<App*, Parts>& Registry() {
    static std::map<App*, Parts> parts;
    return parts;
}

Parts& PartsOf(App& app) {
    const auto it = Registry().find(&app);
    assert(it != Registry().end() && "the App belongs to no TestApp");
    return it->second;
}

} // namespace

FrmMain& WindowOf(App& app) {
    return PartsOf(app).owner->window();
}

Engine& EngineOf(App& app) {
    return WindowOf(app).engine();
}

MainWindowModel& ModelOf(App& app) {
    return WindowOf(app).model();
}

Findings& FindingsOf(App& app) {
    return EngineOf(app).findings();
}

RunState& RunOf(App& app) {
    return EngineOf(app).run();
}

CheckContext& ContextOf(App& app) {
    // Made afresh at each call, as each scan section does: it reads the settings of the moment.
    Parts& parts = PartsOf(app);
    parts.context.emplace(EngineOf(app).Context());
    return *parts.context;
}

std::string MakeReport(App& app, bool force, std::string* why) {
    return MakeScanReport(app, EngineOf(app).observer(), ReportOfLastScan(EngineOf(app)), force, why);
}

std::string ReportText(App& app) {
    return ScanReportText(app, EngineOf(app).observer(), ReportOfLastScan(EngineOf(app)));
}

void ScriptedFrontEnd::Yield(App& app) {
    ++yields;
    if (auto it = atYield.find(yields); it != atYield.end())
        it->second(app);
}

bool ScriptedFrontEnd::ShowMessageBox(App& app, std::string_view message, bool) {
    messages.emplace_back(message);
    if (onMessageBox)
        onMessageBox(app);
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

TestApp::TestApp(std::unique_ptr<Target> t) : target(std::move(t)) {
    app = std::make_unique<App>(*target, settings, frontEnd, sound);
    app->SetApplicationFolder(dataFolder.path().string());
    app->now = [] {
        std::tm fixed{};
        fixed.tm_year = 126;
        fixed.tm_mon = 11;
        fixed.tm_mday = 10;
        fixed.tm_hour = 9;
        fixed.tm_min = 5;
        fixed.tm_sec = 1;
        return fixed;
    };
    window_ = std::make_unique<FrmMain>(*app, shell_);
    Registry()[app.get()].owner = this;
}

TestApp::~TestApp() {
    Registry().erase(app.get());
}

} // namespace vx::test
