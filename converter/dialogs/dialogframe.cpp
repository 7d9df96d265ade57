#include "dialogframe.h"

#include "cframelessdialog.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "qlineex.h"
#include "stateframes.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QNetworkReply>
#include <QPainter>
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

ConfirmCancelRow createConfirmCancelRow(const QString& confirm, const QString& cancel,
                                        QWidget* parent) {
    ConfirmCancelRow row;
    row.confirm = createDialogButton(":/Img/res/btn/btn_dlgno.png", confirm, "#FFFFFF", parent);
    row.cancel = createDialogButton(":/Img/res/btn/btn_dlgyes.png", cancel, "#444444", parent);
    row.cancel->setTextFont(16, 50);
    row.layout = new QHBoxLayout();
    row.layout->setContentsMargins(0, 0, 0, 0);
    row.layout->setSpacing(0);
    row.layout->addSpacing(238);
    row.layout->addWidget(row.confirm);
    row.layout->addSpacing(20);
    row.layout->addWidget(row.cancel);
    row.layout->addStretch();
    return row;
}

QPixmap messageIcon(MessageIcon icon, const QSize& size) {
    const QPixmap icons = loadKitPixmap(QStringLiteral(":/Img/res/png_msgicon.png"));
    const int rowHeight = icons.width();
    const QPixmap row = icons.copy(0, int(icon) * rowHeight, icons.width(), rowHeight);
    QPixmap framed(size.expandedTo(row.size()));
    framed.fill(Qt::transparent);
    QPainter painter(&framed);
    painter.drawPixmap((framed.width() - row.width()) / 2, (framed.height() - row.height()) / 2,
                       row);
    return framed;
}

namespace {

const char* serviceErrorSource(int code) {
    switch (code) {
        case 0:
            return QT_TRANSLATE_NOOP("ServiceError", "the service refused the request");
        case 502:
            return QT_TRANSLATE_NOOP("ServiceError", "the service sent an empty answer");
        case 503:
        case 506:
            return QT_TRANSLATE_NOOP("ServiceError", "the service's answer could not be read");
        case QNetworkReply::HostNotFoundError:
            return QT_TRANSLATE_NOOP("ServiceError", "the service could not be found");
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:
            return QT_TRANSLATE_NOOP("ServiceError", "the service did not answer in time");
        case QNetworkReply::SslHandshakeFailedError:
            return QT_TRANSLATE_NOOP("ServiceError", "no secure connection to the service");
        default:
            break;
    }
    if (code > 0 && code < QNetworkReply::ContentAccessDenied) {
        return QT_TRANSLATE_NOOP("ServiceError", "no connection to the service");
    }
    if (code >= QNetworkReply::ContentAccessDenied && code < QNetworkReply::ProtocolUnknownError) {
        return QT_TRANSLATE_NOOP("ServiceError", "the service refused the request");
    }
    if (code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError) {
        return QT_TRANSLATE_NOOP("ServiceError", "the service has a fault");
    }
    return QT_TRANSLATE_NOOP("ServiceError", "unknown error");
}

}  // namespace

QString serviceErrorText(int code) {
    return QCoreApplication::translate("ServiceError", serviceErrorSource(code));
}

QImageLable* createBusyIcon(QPixmap (&frames)[2], QWidget* parent) {
    const QPixmap strip = loadKitPixmap(QStringLiteral(":/Img/res/png_converting.png"));
    const int half = strip.height() / 2;
    frames[0] = strip.copy(0, 0, strip.width(), half);
    frames[1] = strip.copy(0, half, strip.width(), half);
    auto* label = new QImageLable(QString(), parent);
    label->setPixmap(frames[0]);
    label->setFixedSize(frames[0].size());
    label->setBackgroundColor(QColor(0, 18, 55, 128));
    return label;
}

QImageTextButton* createWhiteTextButton(const QString& image, const QSize& size,
                                        const QString& text, QWidget* parent) {
    auto* button = new QImageTextButton(image, size, parent);
    const QColor white("#FFFFFF");
    button->setTextColor(white, white, white, white);
    button->setTextFont(16, 50);
    button->setText(text);
    return button;
}

QImageTextButton* createWideButton(const QString& text, QWidget* parent) {
    return createWhiteTextButton(QStringLiteral(":/Img/res/btn/btn_homeaddfile.png"),
                                 QSize(148, 36), text, parent);
}

QImageTextButton* createSubmitButton(const QString& text, QWidget* parent) {
    auto* button = createWhiteTextButton(QStringLiteral(":/Img/res/btn/btn_submit.png"),
                                         QSize(110, 32), text, parent);
    button->setFixedSize(110, 32);
    return button;
}

}  // namespace pixvue
