// frmSplash: two seconds of the start-up picture with the busy pointer, then the main window.
#include "gui/splash_window.h"

#include "gui/screen_pointer.h"
#include "gui/svg_picture.h"

#include <QApplication>
#include <QScreen>

namespace vx::gui {

SplashWindow::SplashWindow(std::function<void()> showMain) : showMain_(std::move(showMain)) {
    setObjectName("frmSplash");
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(480, 300);
    auto* picture = new SvgPicture("splash", this, "Image1");
    picture->setGeometry(rect());
    tmrUnload_.setParent(this);
    tmrUnload_.setObjectName("tmrUnload");
    tmrUnload_.setInterval(kSplashMilliseconds);
    tmrUnload_.setSingleShot(true);
    connect(&tmrUnload_, &QTimer::timeout, this, &SplashWindow::tmrUnload_Timer);
}

void SplashWindow::Start() {
    SetScreenPointerBusy(true);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    tmrUnload_.start();
}

void SplashWindow::tmrUnload_Timer() {
    tmrUnload_.stop();
    SetScreenPointerBusy(false);
    showMain_();
    close();
}

} // namespace vx::gui
