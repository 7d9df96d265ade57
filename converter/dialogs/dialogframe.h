#pragma once

// The frame the converter's small dialogs share: 470 x 242 content, a title band, the title,
// a close button and a rule, above the dialog's own content.

#include <QString>

class CFramelessDialog;
class QAdaptiveLabel;
class QIconButton;
class QImageLable;
class QImageTextButton;
class QPixmap;
class QSize;
class QHBoxLayout;
class QLineEx;
class QVBoxLayout;
class QWidget;

namespace pixvue {

struct DialogFrame {
    QAdaptiveLabel* title = nullptr;
    QIconButton* closeButton = nullptr;  // closes the dialog
    QLineEx* separator = nullptr;
    QVBoxLayout* layout = nullptr;  // the dialog's content goes below the separator
};

DialogFrame buildDialogFrame(CFramelessDialog* dialog, const QString& title);

// A 96 x 32 dialog button of the image with one text colour in every state.
QImageTextButton* createDialogButton(const char* image, const QString& text, const char* textColor,
                                     QWidget* parent);

// The Confirm and Cancel buttons at the right of a dialog's bottom row, with the dialog's
// translations of their texts; the dialog connects them.
struct ConfirmCancelRow {
    QImageTextButton* confirm = nullptr;
    QImageTextButton* cancel = nullptr;
    QHBoxLayout* layout = nullptr;
};
ConfirmCancelRow createConfirmCancelRow(const QString& confirm, const QString& cancel,
                                        QWidget* parent);

// The rows of the message icon image.
enum MessageIcon { FailureIcon = 0, WarningIcon = 1, SuccessIcon = 2, InformationIcon = 3 };
// One row of the message icon image, centred in a transparent pixmap of at least size.
QPixmap messageIcon(MessageIcon icon, const QSize& size);

// What a last-error code of the web client means, in words of the interface's language.
QString serviceErrorText(int code);

// The busy icon: frames gets the upper and lower half of its image; the label shows the first.
QImageLable* createBusyIcon(QPixmap (&frames)[2], QWidget* parent);

// A button of the image with white 16-pixel text in every state.
QImageTextButton* createWhiteTextButton(const QString& image, const QSize& size,
                                        const QString& text, QWidget* parent);
// A 148 x 36 button of the "Add File" image with white 16-pixel text.
QImageTextButton* createWideButton(const QString& text, QWidget* parent);
// The 110 x 32 "Submit" button with white 16-pixel text.
QImageTextButton* createSubmitButton(const QString& text, QWidget* parent);

}  // namespace pixvue
