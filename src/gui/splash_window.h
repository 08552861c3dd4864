#pragma once
// frmSplash: the start-up picture, shown for two seconds with the busy pointer, then the main window.
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vx::gui {

inline constexpr int kSplashMilliseconds = 2000;

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    // `showMain` runs when the timer fires, after the pointer is back to normal.
    explicit SplashWindow(std::function<void()> showMain);
    // Form_Load: the busy pointer, the window, the timer.
    void Start();

  private:
    void tmrUnload_Timer();

    QTimer tmrUnload_;
    std::function<void()> showMain_;
};

} // namespace vx::gui
