#pragma once
// What screen readers see of the program's own controls: an image button is a button with its name and a
// press action; a label that acts when clicked (a menu item, the labels beside check boxes) is a menu item
// or a button, with the same press action.
namespace vx::gui {

// Installs the accessibility interfaces once; the controls' constructors call it.
void InstallAccessibleControls();

} // namespace vx::gui
