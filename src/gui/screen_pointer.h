#pragma once
// The screen's pointer: one for the whole program, the hourglass or the default. Every window sets it
// here, so that the busy pointer is pushed once however many windows ask for it, and the first window
// that sets the default takes it away (a busy pointer can never be left behind).
namespace vx::gui {

void SetScreenPointerBusy(bool busy);
bool ScreenPointerBusy();

} // namespace vx::gui
