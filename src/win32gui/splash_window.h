#pragma once
// frmSplash on Windows: the start-up picture, shown for two seconds with the busy pointer, then the main
// window.
#include "win32gui/windows_api.h"

#include <functional>

namespace vx::win32gui {

inline constexpr wchar_t kSplashClass[] = L"VantrelixSplash";
inline constexpr UINT kSplashMilliseconds = 2000;

class SplashWindow {
  public:
    // `showMain` runs when the timer fires, after the pointer is back to normal.
    explicit SplashWindow(std::function<void()> showMain);
    ~SplashWindow();
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Form_Load: the busy pointer, the window, the timer.
    void Start();
    HWND handle() const { return window_; }
    bool closed() const { return closed_; }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void tmrUnload_Timer();
    void Paint(HDC dc) const;

    std::function<void()> showMain_;
    HWND window_ = nullptr;
    bool closed_ = false;
};

} // namespace vx::win32gui
