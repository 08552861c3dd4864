#include "support/test_app.h"

#include "app/clock.h"
#include "platform/text.h"

namespace vx::test {

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
}

} // namespace vx::test
