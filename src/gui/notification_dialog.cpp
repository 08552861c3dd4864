// frmNotification on screen: the notice, its "do not show" box and its OK button.
#include "gui/notification_dialog.h"

#include "gui/click_label.h"
#include "gui/image_button.h"
#include "gui/qt_text.h"
#include "gui/svg_picture.h"

#include <QCheckBox>
#include <QLabel>

namespace vx::gui {
NotificationDialog::NotificationDialog(QWidget* parent, App& app, const QString& caption,
                                       const QString& message)
    : QDialog(parent), rules_(app) {
    setObjectName("frmNotification");
    setModal(true);
    rules_.caption = caption.toStdString();
    // No drag strip: the caption shows in the platform's title bar.
    parts_ = BuildFrame(this, QSize(440, 200), caption, "Picture1", false);
    setWindowFlag(Qt::FramelessWindowHint, false);
    setFixedSize(440, 200);

    auto* icon = new SvgPicture("notice", this, "Picture2");
    icon->setGeometry(20, 24, 48, 48);
    auto* label = new QLabel(message, this);
    label->setObjectName("lblMessage");
    label->setGeometry(84, 16, 336, 84);
    label->setWordWrap(true);
    label->setStyleSheet("font-size: 10pt; color: #F4F7FB;");

    check_ = new QCheckBox(this);
    check_->setObjectName("chkDoNotShowInFuture");
    check_->setGeometry(84, 110, 20, 20);
    check_->setAccessibleName(Text(kDoNotShowLabel));
    connect(check_, &QCheckBox::clicked, this, [this](bool on) { rules_.SetCheck(on ? 1 : 0), Render(); });
    auto* label1 =
        new ClickLabel(Text(kDoNotShowLabel), this, "Label1", [this] { rules_.Label1_Click(), Render(); });
    label1->setGeometry(106, 106, 300, 28);

    ok_ = new ImageButton("button", "OK", this, "ImgOKNormal");
    ok_->setGeometry(160, 146, 120, 40);
    ok_->setToolTip("Close this notice");
    connect(ok_, &ImageButton::hovered, this, [this] { rules_.MouseMove(NotificationButton::OK), Render(); });
    connect(ok_, &ImageButton::clicked, this, [this] {
        if (rules_.Click(NotificationButton::OK))
            accept();
    });
    connect(ok_, &ImageButton::keyPressed, this, [this] { accept(); });
    connect(parts_.background, &SvgPicture::mouseMoved, this,
            [this] { rules_.Picture1_MouseMove(), Render(); });
    OnPointerLeaving(this, [this] { rules_.Picture1_MouseMove(), Render(); });
    ok_->setFocus();
}

void NotificationDialog::Render() {
    check_->setChecked(rules_.chkDoNotShowInFuture() != 0);
    ok_->SetHighlighted(rules_.buttons()[NotificationButton::OK].highlighted);
}

} // namespace vx::gui
