#include "gui_harness.h"

#include <QApplication>
#include <QDesktopServices>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

#include "platform/wine/wine_target.h"

namespace vx::test {

std::string ScriptedPickers::ChooseFolder(QWidget*, const QString& title, const QString& initial) {
    titles.push_back(title.toStdString());
    folderStarts.push_back(initial.toStdString());
    return Next();
}

std::string ScriptedPickers::Next() {
    if (answers.empty())
        return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedPickers::ChooseFile(QWidget*, const QString& title, const QString& initial,
                                        const QString& filter) {
    initials.push_back(initial.toStdString());
    filters.push_back(filter.toStdString());
    titles.push_back(title.toStdString());
    return Next();
}

OpenedUrls::OpenedUrls(const QString& scheme) : scheme_(scheme) {
    QDesktopServices::setUrlHandler(scheme, this, "Open");
}

OpenedUrls::~OpenedUrls() {
    QDesktopServices::unsetUrlHandler(scheme_);
}

GuiHarness::GuiHarness()
    : prefix(home.path() / "prefix"), startup(home.path() / "autostart", "/opt/vantrelix/bin/vantrelix", {}) {
    const std::string make =
        std::string(VANTRELIX_SOURCE_DIR) + "/tools/make-demo-prefix.sh '" + prefix.string() + "' >/dev/null";
    if (std::system(make.c_str()) != 0)
        throw std::runtime_error("cannot make the demo prefix");
    std::string error;
    std::vector<std::string> warnings;
    target = OpenWineTarget(prefix, error, warnings);
    if (!target)
        throw std::runtime_error(error);
    app = std::make_unique<App>(*target, settings, frontEnd, sound);
    app->SetApplicationFolder((home.path() / "data").string());
    std::filesystem::create_directories(home.path() / "data");
    frontEnd.messageBox = [this](QWidget*, std::string_view message, bool) {
        messages.emplace_back(message);
        if (answers.empty())
            return true;
        const bool ok = answers.front();
        answers.pop_front();
        return ok;
    };
    context = std::make_unique<gui::GuiContext>(gui::GuiContext{*app, startup, pickers});
    window = std::make_unique<gui::MainWindow>(*context, frontEnd);
    window->show();
    // The window settles as a user finds it: its deferred refresh (50 ms after showing) has run.
    for (int waited = 0; window->rules().tmrRefreshlvwContents && waited < 10000; waited += 5)
        QTest::qWait(5);
}

GuiHarness::~GuiHarness() {
    for (QTimer* poll : polls)
        delete poll;
    window.reset();
    QApplication::processEvents();
}

void GuiHarness::HoverAndClick(QWidget* widget) {
    const QPoint middle = widget->rect().center();
    QTest::mouseMove(widget, middle);
    QMouseEvent move(QEvent::MouseMove, QPointF(middle), widget->mapToGlobal(QPointF(middle)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, middle);
}

void GuiHarness::ClickAndWait(QWidget* widget) {
    HoverAndClick(widget);
    QApplication::processEvents();
}

void GuiHarness::WhenModalOpens(std::function<void(QWidget*)> step) {
    auto* poll = new QTimer;
    polls.push_back(poll);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            step(modal);
        }
    });
    poll->start();
}

std::string GuiHarness::RegistryText() const {
    std::string all;
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        std::ifstream in(prefix / name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        all += text.str();
    }
    return all;
}

} // namespace vx::test
