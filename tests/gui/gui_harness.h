#pragma once
// The real windows on Qt's display-less platform, over a copy of the demo prefix: the program's logic,
// a settings store and a start-up entry in a scratch folder, scripted answers for the message boxes and
// the file pickers, and helpers that move and click as a user does.
#include "gui/gui_context.h"
#include "gui/gui_front_end.h"
#include "gui/main_window.h"
#include "support/test_app.h"
#include "ui/autostart_entry.h"

#include <QApplication>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace vx::test {

class ScriptedPickers : public gui::FilePickers {
  public:
    std::string ChooseFolder(QWidget*, const QString& title, const QString& initial) override;
    std::string ChooseFile(QWidget*, const QString& title, const QString& initial,
                           const QString& filter) override;
    std::deque<std::string> answers; // empty text when none is left (a cancel)
    std::vector<std::string> titles, initials, filters, folderStarts;

  private:
    std::string Next();
};

// Takes the addresses the program hands to the desktop's opener (QDesktopServices) for one scheme.
class OpenedUrls : public QObject {
    Q_OBJECT
  public:
    explicit OpenedUrls(const QString& scheme);
    ~OpenedUrls() override;
    std::vector<QUrl> urls;

  public slots:
    void Open(const QUrl& url) { urls.push_back(url); }

  private:
    QString scheme_;
};

struct GuiHarness {
    GuiHarness();
    ~GuiHarness();

    TempDir home;
    std::filesystem::path prefix;
    std::unique_ptr<Target> target;
    MemorySettings settings;
    RecordingSound sound;
    gui::GuiFrontEnd frontEnd;
    std::unique_ptr<App> app;
    AutostartEntry startup;
    ScriptedPickers pickers;
    std::unique_ptr<gui::GuiContext> context;
    std::unique_ptr<gui::MainWindow> window;

    // Message boxes: every message shown, answered from `answers` (OK when none is left).
    std::vector<std::string> messages;
    std::deque<bool> answers;
    std::vector<QTimer*> polls; // stopped when the harness ends, so that none answers a later test

    // A control of the main window (or of the open modal dialog) by its name.
    template <class W = QWidget> W* Find(const QString& name) const {
        if (QWidget* modal = QApplication::activeModalWidget())
            if (auto* found = modal->findChild<W*>(name))
                return found;
        return window->findChild<W*>(name);
    }
    // Moves over a control, then clicks it, as the mouse does.
    static void HoverAndClick(QWidget* widget);
    // Runs `step` once the next modal dialog is open (it is found as the active modal widget).
    void WhenModalOpens(std::function<void(QWidget*)> step);
    // Clicks a button whose work starts once the click is over (Scan Now, Repair), and waits for it.
    static void ClickAndWait(QWidget* widget);
    // The registry's files, as text, to compare before and after.
    std::string RegistryText() const;
};

} // namespace vx::test
