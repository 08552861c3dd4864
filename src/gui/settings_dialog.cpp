// frmSetings on screen: the four options, the three paths with their Browse buttons, OK and Close.
#include "gui/settings_dialog.h"

#include "gui/click_label.h"
#include "gui/image_button.h"
#include "gui/svg_picture.h"

#include <QCheckBox>
#include <QLineEdit>

namespace vx::gui {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 340;

size_t Index(SettingsOption o) {
    return static_cast<size_t>(o);
}
size_t Index(SettingsButton b) {
    return static_cast<size_t>(b);
}

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent, GuiContext& context)
    : QDialog(parent), context_(context), rules_(context.app, *this, context.startup) {
    setObjectName("frmSetings");
    setModal(true);
    parts_ = BuildFrame(this, QSize(kWidth, kHeight), "Settings", "Picture2", true);
    AttachDrag(parts_, this, rules_.drag, [this] { rules_.Picture2_MouseMove(), Render(); });
    connect(parts_.background, &SvgPicture::mouseMoved, this,
            [this] { rules_.Picture2_MouseMove(), Render(); });
    OnPointerLeaving(this, [this] { rules_.Picture2_MouseMove(), Render(); });

    BuildOption(SettingsOption::PlaySound, 52, "Play sound whenever a problem is detected.",
                "lblPlaySoundOnDetection", "chkPlaySound");
    BuildPath(SettingsOption::PlaySound, 82, "Sound File :", "txtWaveFilesPath",
              SettingsButton::WaveFileBrowse, "cmdWaveFileBrowseNormal");
    BuildOption(SettingsOption::MakeLogFile, 122, "Make report after every scan.", "lblReport",
                "chkMakeLogFile");
    BuildPath(SettingsOption::MakeLogFile, 152, "Report Log :", "txtLogFile", SettingsButton::Browse,
              "cmdBrowseNormal");
    BuildOption(SettingsOption::MakeBackUp, 192, "Make Backup Before Repairing.", "lblBackupchk",
                "chkMakeBackUp");
    BuildPath(SettingsOption::MakeBackUp, 222, "BackUp's :", "txtBackup", SettingsButton::BackUpBrowse,
              "cmdBackUpBrowseNormal");
    BuildOption(SettingsOption::RunAtStartup, 262, "Run Vantrelix on startup.", "lblRunonStartup",
                "chkRunAtStartup");

    auto* close = new ImageButton("title_close", "", this, "imgCloseNormal");
    close->setGeometry(kWidth - 36, 6, 28, 24);
    close->setToolTip("Close without saving the paths");
    close->setAccessibleName("Close");
    AddButton(close, SettingsButton::Close);
    auto* ok = new ImageButton("button", "OK", this, "cmdOKNormal");
    ok->setGeometry(kWidth - 160, kHeight - 52, 140, 40);
    ok->setToolTip("Save the paths and close");
    AddButton(ok, SettingsButton::OK);

    rules_.Form_Load();
    Render();
}

void SettingsDialog::BuildOption(SettingsOption option, int top, const QString& label, const QString& name,
                                 const QString& boxName) {
    auto* box = new QCheckBox(this);
    box->setObjectName(boxName);
    box->setGeometry(24, top + 2, 20, 20);
    box->setAccessibleName(label);
    box->setToolTip(label);
    connect(box, &QCheckBox::clicked, this,
            [this, option](bool on) { rules_.SetCheck(option, on ? 1 : 0), Render(); });
    checks_[Index(option)] = box;
    auto* text = new ClickLabel(
        label, this, name, [this, option] { rules_.Label_Click(option), Render(); },
        [this, option] { rules_.LabelMouseMove(option), Render(); });
    text->setGeometry(48, top, kWidth - 72, 24);
    labels_[Index(option)] = text;
}

void SettingsDialog::BuildPath(SettingsOption option, int top, const QString& caption,
                               const QString& textName, SettingsButton browse, const QString& browseName) {
    auto* label = new QLabel(caption, this);
    label->setGeometry(48, top, 90, 26);
    auto* text = new QLineEdit(this);
    text->setObjectName(textName);
    text->setGeometry(140, top, kWidth - 140 - 64, 26);
    text->setAccessibleName(caption);
    connect(text, &QLineEdit::textEdited, this,
            [this, option](const QString& now) { rules_.SetText(option, now.toStdString()); });
    texts_[Index(option)] = text;
    auto* button = new ImageButton("browse", "", this, browseName);
    button->setGeometry(kWidth - 56, top + 1, 28, 24);
    button->setAccessibleName("Browse for " + caption.chopped(2));
    button->setToolTip("Browse...");
    AddButton(button, browse);
}

void SettingsDialog::AddButton(ImageButton* widget, SettingsButton button) {
    buttons_[Index(button)] = widget;
    connect(widget, &ImageButton::hovered, this, [this, button] { rules_.MouseMove(button), Render(); });
    connect(widget, &ImageButton::clicked, this, [this, button] { rules_.Click(button), Render(); });
    connect(widget, &ImageButton::keyPressed, this, [this, button] {
        rules_.MouseMove(button);
        rules_.Click(button);
        Render();
    });
}

std::string SettingsDialog::BrowseForFolder(const std::string& startFolder) {
    return context_.pickers.ChooseFolder(this, "Choose directory...", QString::fromStdString(startFolder));
}

std::string SettingsDialog::ChooseWaveFile(const std::string& initialFolder) {
    return context_.pickers.ChooseFile(this, "Choose a sound", QString::fromStdString(initialFolder),
                                       "wav Files (*.wav)");
}

void SettingsDialog::Render() {
    for (size_t i = 0; i < checks_.size(); ++i) {
        const OptionControls& option = rules_.option(static_cast<SettingsOption>(i));
        checks_[i]->setChecked(option.check == 1);
        QFont font = labels_[i]->font();
        if (font.bold() != option.labelBold) {
            font.setBold(option.labelBold);
            labels_[i]->setFont(font);
        }
        if (i < texts_.size()) {
            const QString text = QString::fromStdString(option.text);
            if (texts_[i]->text() != text)
                texts_[i]->setText(text);
            texts_[i]->setReadOnly(!option.editable);
        }
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const vx::ImageButton& state = rules_.buttons()[static_cast<SettingsButton>(i)];
        buttons_[i]->SetHighlighted(state.highlighted);
        buttons_[i]->setEnabled(state.enabled);
    }
}

} // namespace vx::gui
