// What every command of the terminal front end works with: the opened target, the settings, the front
// end, and the program's logic around them.
#include "cli/cli_session.h"

#include "engine/section_list.h"
#include "platform/text.h"

#include <iostream>
#include <sstream>

namespace vx {

std::unique_ptr<CliSession> OpenSession(const TargetOptions& options, bool assumeYes, bool showProgress) {
    auto session = std::make_unique<CliSession>();
    OpenedTarget opened = OpenTargetFromOptions(options);
    for (const auto& warning : opened.warnings)
        std::cerr << "vantrelix-cli: warning: " << warning << "\n";
    if (!opened.target) {
        std::cerr << "vantrelix-cli: " << opened.error << "\n";
        return nullptr;
    }
    session->target = std::move(opened.target);
    session->targetName = std::move(opened.name);
    session->settings = OpenSettingsStore(*session->target);
    session->frontEnd = std::make_unique<TerminalFrontEnd>(assumeYes, showProgress);
    session->sound = MakeSoundPlayer();
    session->app =
        std::make_unique<App>(*session->target, *session->settings, *session->frontEnd, *session->sound);
    session->engine = std::make_unique<Engine>(*session->app, *session->frontEnd);
    session->frontEnd->Attach(*session->app, *session->engine);
    return session;
}

namespace {

std::string RowList(const std::vector<CheckRow>& rows) {
    std::string list;
    for (const auto& row : rows)
        list += (list.empty() ? "\"" : ", \"") + std::string(TrimBlanks(row.text)) + "\"";
    return list;
}

} // namespace

bool ChooseSections(Engine& engine, const std::string& sections, std::string& why) {
    LoadlvwRegistryvaluesScanValues(engine);
    if (sections.empty())
        return true;
    auto& rows = engine.checkList().rows; // no yield until the marks are set
    for (auto& row : rows)
        row.checked = false;
    std::stringstream list(sections);
    std::string name;
    bool named = false;
    while (std::getline(list, name, ',')) {
        const std::string_view wanted = TrimBlanks(name);
        if (wanted.empty())
            continue;
        named = true;
        bool found = false;
        for (auto& row : rows) {
            if (EqualsNoCase(TrimBlanks(row.text), wanted)) {
                row.checked = true;
                found = true;
            }
        }
        if (!found) {
            why = "no section named \"" + std::string(wanted) + "\"; the sections are: " + RowList(rows);
            return false;
        }
    }
    if (!named) {
        why = "--sections names no section; the sections are: " + RowList(rows);
        return false;
    }
    return true;
}

} // namespace vx
