#pragma once
// A window shown modally over its owner: the owner is disabled while it runs (as a dialog box does), and
// the keys Escape, Enter and Tab reach the window as a dialog's would.
#include "win32gui/windows_api.h"

#include <functional>

namespace vx::win32gui {

// Runs messages until `done` says so; WM_QUIT ends it too and is posted again for the outer loop.
void RunModal(HWND window, HWND owner, const std::function<bool()>& done);

// Hands one message to its window, with the dialog keys for `dialog` (null: none). The outer loop and
// the long work's pumping use it as well.
void Deliver(MSG& message, HWND dialog);

} // namespace vx::win32gui
