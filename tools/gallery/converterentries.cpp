// Gallery shots of the converter's windows: the main window with its home page and its menu,
// and the language, about and exit dialogs.

#include "gallerycanvas.h"
#include "galleryregistry.h"

#include "qaboutdialog.h"
#include "qexitdialog.h"
#include "qhomepage.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qlanguagedialog.h"
#include "qmenudialog.h"
#include "qmenuitemex.h"
#include "zentarpixvue.h"

#include <QComboBox>

namespace {

const QColor kDesktop("#D9DDE3");

void shootMainWindow(GalleryCanvas& canvas) {
    zentarPixvue window;
    canvas.shoot("zentarPixvue_home", &window, kDesktop, 0);

    GalleryCanvas::hover(window.menuButton());
    if (QMenuDialog* menu = window.menuDialog()) {
        GalleryCanvas::hover(menu->item(QMenuDialog::Language));
    }
    canvas.shoot("zentarPixvue_menu", &window, kDesktop, 0);

    GalleryCanvas::hover(window.homePage()->addButton());
    canvas.shoot("zentarPixvue_home_addhover", &window, kDesktop, 0);
}
PIXVUE_GALLERY_ENTRY("converter", shootMainWindow)

void shootDialogs(GalleryCanvas& canvas) {
    {
        QLanguageDialog language;
        canvas.shoot("QLanguageDialog_unchanged", &language, kDesktop, 0);
        QComboBox* combo = language.comboBox();
        combo->setCurrentIndex(1 - combo->currentIndex());
        canvas.shoot("QLanguageDialog_changed", &language, kDesktop, 0);
    }
    {
        QAboutDialog about;
        canvas.shoot("QAboutDialog", &about, kDesktop, 0);
    }
    {
        QExitDialog exit;
        canvas.shoot("QExitDialog", &exit, kDesktop, 0);
        GalleryCanvas::hover(exit.yesButton());
        canvas.shoot("QExitDialog_yes_hover", &exit, kDesktop, 0);
    }
}
PIXVUE_GALLERY_ENTRY("converter", shootDialogs)

}  // namespace
