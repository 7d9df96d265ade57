#pragma once

// The frame the converter's small dialogs share: 470 x 242 content, a title band, the title,
// a close button and a rule, above the dialog's own content.

#include <QString>

class CFramelessDialog;
class QAdaptiveLabel;
class QIconButton;
class QImageTextButton;
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

}  // namespace pixvue
