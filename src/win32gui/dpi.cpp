// The DPI of the windows and the scaling of their 96-DPI layouts.
#include "win32gui/dpi.h"

#include <cassert>

namespace vx::win32gui {
namespace {

// Where a top-level window keeps the DPI of its last WM_DPICHANGED.
constexpr wchar_t kDpiProperty[] = L"VantrelixDpi";

unsigned ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

unsigned WindowDpi(HWND window) {
    if (HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr)
        if (const auto told = reinterpret_cast<UINT_PTR>(GetPropW(top, kDpiProperty)))
            return static_cast<unsigned>(told);
    // GetDpiForWindow came with Windows 10; the manifest makes its answer the monitor's.
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi && window)
        if (const UINT dpi = getDpi(window))
            return dpi;
    return ScreenDpi();
}

unsigned MonitorDpi(HMONITOR monitor) {
    // GetDpiForMonitor (shcore) came with Windows 8.1; 0 asks for the DPI the user's scale gives.
    using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpi = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpi>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpi && monitor && SUCCEEDED(getDpi(monitor, 0, &x, &y)) && x > 0)
        return x;
    return ScreenDpi();
}

int Scaled(int pixels, unsigned dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT Scaled(RECT at, unsigned dpi) {
    return {Scaled(at.left, dpi), Scaled(at.top, dpi), Scaled(at.right, dpi), Scaled(at.bottom, dpi)};
}

unsigned TakeDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
    const unsigned dpi = LOWORD(wParam);
    assert(dpi > 0);
    SetPropW(window, kDpiProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(dpi)));
    if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
        SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return dpi;
}

void ForgetDpi(HWND window) {
    RemovePropW(window, kDpiProperty);
}

} // namespace vx::win32gui
