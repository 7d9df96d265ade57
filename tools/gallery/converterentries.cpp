// Gallery shots of the converter's windows: the main window with its home page and its menu,
// the language, about and exit dialogs, the update dialog's pages and the feedback dialog.

#include "gallerycanvas.h"
#include "galleryregistry.h"

#include "core/qthreadkeeper.h"
#include "dialogs/qaboutdialog.h"
#include "dialogs/qcheckupdatedialog.h"
#include "dialogs/qexitdialog.h"
#include "dialogs/qfeedbackdialog.h"
#include "dialogs/qlanguagedialog.h"
#include "dialogs/qprivacydialog.h"
#include "mainwindow/qmenudialog.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qhomepage.h"
#include "qadaptivelabel.h"
#include "qiconbutton.h"
#include "qimagetextbutton.h"
#include "qmenuitemex.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPlainTextEdit>

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
        QAboutDialog about(zentarPixvue::webPage(zentarPixvue::kHomePagePath));
        canvas.shoot("QAboutDialog", &about, kDesktop, 0);
    }
    {
        QPrivacyDialog privacy;
        canvas.shoot("QPrivacyDialog", &privacy, kDesktop, 0);
    }
    {
        QExitDialog exit;
        canvas.shoot("QExitDialog", &exit, kDesktop, 0);
        GalleryCanvas::hover(exit.yesButton());
        canvas.shoot("QExitDialog_yes_hover", &exit, kDesktop, 0);
    }
}
PIXVUE_GALLERY_ENTRY("converter", shootDialogs)

UpdateInfo sampleOffer(const GalleryCanvas& canvas) {
    UpdateInfo info;
    info.hasNewVersion = true;
    info.version = QStringLiteral("2.0.2");
    info.downloadUrl = QStringLiteral("https://downloads.pixvue.example/Update_Pixvue_V2.0.2.run");
    info.descriptions = QStringList{
        canvas.pick("1 : Converts iPhone live photos", "1：支持转换 iPhone 实况照片"),
        canvas.pick("2 : Keeps the EXIF data of PNG output", "2：PNG 输出保留 EXIF 信息"),
        canvas.pick("3 : Faster previews of large folders", "3：大文件夹预览更快")};
    return info;
}

void shootUpdateDialog(GalleryCanvas& canvas) {
    QThreadKeeper keeper;
    const QUrl downloadPage = zentarPixvue::webPage(QUpdatePage::kDownloadPagePath);
    QCheckUpdateDialog dialog(true, keeper, downloadPage);
    canvas.shoot("QCheckUpdateDialog_checking", &dialog, kDesktop, 0);
    dialog.checkingPage()->slotUpdateInfo(QVariant::fromValue(UpdateInfo()));
    canvas.shoot("QCheckUpdateDialog_latest", &dialog, kDesktop, 0);
    {
        QCheckUpdateDialog failed(true, keeper, downloadPage);
        failed.checkingPage()->slotCheckCompleted(false, QNetworkReply::HostNotFoundError);
        failed.checkingPage()->slotUpdateInfo(QVariant::fromValue(UpdateInfo()));
        canvas.shoot("QCheckUpdateDialog_checkfailed", &failed, kDesktop, 0);
        // Built for a distribution's package.
        QCheckUpdateDialog packaged(true, keeper, downloadPage);
        packaged.setPackageManaged(true);
        packaged.checkingPage()->slotUpdateInfo(QVariant::fromValue(UpdateInfo()));
        canvas.shoot("QCheckUpdateDialog_latest_packaged", &packaged, kDesktop, 0);
        packaged.setUpdateInfo(sampleOffer(canvas));
        canvas.shoot("QCheckUpdateDialog_newversion_packaged", &packaged, kDesktop, 0);
    }

    const UpdateInfo offer = sampleOffer(canvas);
    dialog.setUpdateInfo(offer);
    canvas.shoot("QCheckUpdateDialog_newversion", &dialog, kDesktop, 0);
    UpdateInfo bare = offer;
    bare.descriptions.clear();
    dialog.setUpdateInfo(bare);
    canvas.shoot("QCheckUpdateDialog_newversion_defaultnote", &dialog, kDesktop, 0);

    QUpdatePage* page = dialog.updatePage();
    page->showDownloadStart(offer);
    canvas.shoot("QCheckUpdateDialog_download_start", &dialog, kDesktop, 0);
    page->slotDownloadProcess(1288490, 3565158);
    canvas.shoot("QCheckUpdateDialog_downloading", &dialog, kDesktop, 0);
    page->slotError(QNetworkReply::ContentNotFoundError);
    canvas.shoot("QCheckUpdateDialog_download_failed", &dialog, kDesktop, 0);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(page->linkLabel(), &enter);
    canvas.shoot("QCheckUpdateDialog_download_failed_linkhover", &dialog, kDesktop, 0);

    QCheckUpdateDialog ended(true, keeper, downloadPage);
    ended.updatePage()->showDownloadStart(offer);
    ended.updatePage()->showEnd(
        QCoreApplication::translate("QUpdatePage", "The installer of %1 has been started")
            .arg(offer.version));
    canvas.shoot("QCheckUpdateDialog_installer_started", &ended, kDesktop, 0);
}
PIXVUE_GALLERY_ENTRY("converter", shootUpdateDialog)

void shootFeedbackDialog(GalleryCanvas& canvas) {
    QThreadKeeper keeper;
    QFeedbackDialog dialog(keeper);
    canvas.shoot("QFeedbackDialog_empty", &dialog, kDesktop, 0);

    dialog.contentEdit()->setPlainText(
        canvas.pick("The converted pictures of my phone come out rotated. Thank you!",
                    "手机照片转换后方向不对，谢谢！"));
    dialog.mailEdit()->setText(QStringLiteral("someone@example"));
    dialog.slotEditingFinished();
    canvas.shoot("QFeedbackDialog_wrongmail", &dialog, kDesktop, 0);

    dialog.mailEdit()->setText(QStringLiteral("someone@example.com"));
    dialog.codeEdit()->setText(dialog.codeLabel()->code());
    canvas.shoot("QFeedbackDialog_filled", &dialog, kDesktop, 0);
    dialog.slotFeedbackCompleted(false, 401);
    canvas.shoot("QFeedbackDialog_failed", &dialog, kDesktop, 0);
    dialog.slotFeedbackCompleted(true, 0);
    canvas.shoot("QFeedbackDialog_succeeded", &dialog, kDesktop, 0);
    GalleryCanvas::hover(dialog.chatButton());
    canvas.shoot("QFeedbackDialog_chat_hover", &dialog, kDesktop, 0);
}
PIXVUE_GALLERY_ENTRY("converter", shootFeedbackDialog)

}  // namespace
