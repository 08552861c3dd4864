#pragma once
// Check boxes drawn from the art (check_box, check_box_checked, check_box_partial for the three states)
// instead of the system's look, over the window's own background and in its text colour: the control
// stays the native one, with its clicks, keys and BM_SETCHECK states.
#include "win32gui/windows_api.h"

namespace vx::win32gui {

// From now on `checkBox` (a BUTTON with BS_CHECKBOX, BS_3STATE or their AUTO kinds) draws itself so.
void DrawCheckBoxFromArt(HWND checkBox);

} // namespace vx::win32gui
