#pragma once
// frmSetings: the settings dialog. Its rules are FrmSetings'; this renders them and forwards events.
#include "gui/frameless_window.h"
#include "gui/gui_context.h"
#include "ui/settings_dialog.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QLabel;

namespace vx::gui {

class ImageButton;

class SettingsDialog : public QDialog, private SettingsDialogShell {
    Q_OBJECT
  public:
    SettingsDialog(QWidget* parent, GuiContext& context);

  private:
    std::string BrowseForFolder(const std::string& startFolder) override;
    std::string ChooseWaveFile(const std::string& initialFolder) override;
    void CloseDialog() override { accept(); }

    void BuildOption(SettingsOption option, int top, const QString& label, const QString& name,
                     const QString& boxName);
    void BuildPath(SettingsOption option, int top, const QString& caption, const QString& textName,
                   SettingsButton browse, const QString& browseName);
    void AddButton(ImageButton* widget, SettingsButton button);
    void Render();

    GuiContext& context_;
    FrmSetings rules_;
    FramedParts parts_;
    std::array<QCheckBox*, 4> checks_{};
    std::array<QLabel*, 4> labels_{};
    std::array<QLineEdit*, 3> texts_{};
    std::array<ImageButton*, static_cast<size_t>(SettingsButton::Count)> buttons_{};
};

} // namespace vx::gui
