// The tray's own menu with the pop-up menu's items and rules.
#include "gui/native_tray_menu.h"

#include "gui/screen_pointer.h"

namespace vx::gui {

NativeTrayMenu::NativeTrayMenu(App& app, FrmMain& main, clsTray& tray, PopupMenuWindow::MainWindowHooks hooks)
    : rules_(app, main, tray, *this), hooks_(std::move(hooks)) {
    menu_.setObjectName("frmMenuPopUp");
    const std::pair<MenuItem, const char*> items[] = {{MenuItem::MenuRestore, "Maximize"},
                                                      {MenuItem::MenuScan, "Scan Now"},
                                                      {MenuItem::MenuSettings, "Settings"},
                                                      {MenuItem::MenuExit, "Exit"}};
    for (size_t i = 0; i < actions_.size(); ++i) {
        const auto [item, text] = items[i];
        actions_[i] = menu_.addAction(text);
        actions_[i]->setObjectName(text);
        // The item runs once the menu has closed, as a click on the sliding menu's item does.
        connect(actions_[i], &QAction::triggered, this, [this, item] {
            rules_.Click(item);
            if (hooks_.afterEvent)
                hooks_.afterEvent();
        });
    }
    connect(&menu_, &QMenu::aboutToShow, this, &NativeTrayMenu::Load);
}

void NativeTrayMenu::Load() {
    rules_.Form_Load(MenuScreen{});
    const MenuItem items[] = {MenuItem::MenuRestore, MenuItem::MenuScan, MenuItem::MenuSettings,
                              MenuItem::MenuExit};
    for (size_t i = 0; i < actions_.size(); ++i)
        actions_[i]->setEnabled(rules_.style(items[i]).enabled);
}

void NativeTrayMenu::SetBusyPointer(bool busy) {
    SetScreenPointerBusy(busy);
}

} // namespace vx::gui
