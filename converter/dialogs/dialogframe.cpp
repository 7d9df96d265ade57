#include "dialogframe.h"

#include "cframelessdialog.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qlineex.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace pixvue {

namespace {

const int kContentWidth = 470;
const int kContentHeight = 242;
const int kTitleHeight = 44;

}  // namespace

DialogFrame buildDialogFrame(CFramelessDialog* dialog, const QString& title) {
    dialog->setDialogSize(kContentWidth, kContentHeight);
    dialog->setTitleSize(QSize(kContentWidth, kTitleHeight));
    dialog->setTitleColor(QColor("#F3F6FD"));
    dialog->setWindowTitle(title);

    DialogFrame frame;
    frame.title = new QAdaptiveLabel(QColor("#444444"), FontSpec(16, 50), dialog);
    frame.title->setFixedHeight(22);
    frame.title->setText(title);
    frame.closeButton =
        new QIconButton(QStringLiteral(":/Img/res/btn/btn_dlgclose.png"), QSize(14, 14), dialog);
    QObject::connect(frame.closeButton, &QIconButton::clicked, dialog, &QDialog::close);
    frame.separator = new QLineEx(QColor("#AFB9D7"), 1, Qt::SolidLine, dialog);
    frame.separator->setFixedSize(kContentWidth, 1);

    auto* titleRow = new QHBoxLayout();
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setSpacing(0);
    titleRow->addSpacing(15);
    titleRow->addWidget(frame.title);
    titleRow->addStretch();
    titleRow->addWidget(frame.closeButton);
    titleRow->addSpacing(20);

    const int margin = CFramelessDialog::kShadowMargin;
    frame.layout = new QVBoxLayout(dialog);
    frame.layout->setSpacing(0);
    frame.layout->setContentsMargins(margin, margin, margin, margin);
    frame.layout->addSpacing(12);
    frame.layout->addLayout(titleRow);
    frame.layout->addSpacing(10);
    frame.layout->addWidget(frame.separator);
    return frame;
}

QImageTextButton* createDialogButton(const char* image, const QString& text, const char* textColor,
                                     QWidget* parent) {
    auto* button = new QImageTextButton(QString::fromLatin1(image), QSize(96, 32), parent);
    const QColor color(textColor);
    button->setTextColor(color, color, color, color);
    button->setText(text);
    return button;
}

}  // namespace pixvue
