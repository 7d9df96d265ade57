// Gallery shots of the operate page with a list in every state, its wait overlays and the
// preview, over the main window.

#include "gallerycanvas.h"
#include "galleryoperate.h"
#include "galleryregistry.h"

#include "core/qthreadkeeper.h"
#include "dialogs/qshowimagedlg.h"
#include "dialogs/qstopadddelimgdlg.h"
#include "filelist/heicmodeldata.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qoperatepage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>

namespace {

using galleryoperate::addAndWait;
using galleryoperate::kDesktop;
using galleryoperate::moveOver;
using galleryoperate::waitFor;

// Real samples when PIXVUE_TESTDATA names them, else empty files of the same names.
QStringList listFiles(const QTemporaryDir& scratch) {
    const QStringList names{"libheif/rainbow-451x461.heic",
                            "sdwebimage/TestHDR.heic",
                            "libheif/example.heic",
                            "pillow_heif/iPhoneXR.heic",
                            "pillow_heif/L_exif_xmp_iptc.heic",
                            "pillow_heif/corrupted.heic",
                            "libvips/a_rather_long_file_name_from_a_camera_export_2026.heic"};
    const QString samples = qEnvironmentVariable("PIXVUE_TESTDATA");
    QStringList paths;
    for (const QString& name : names) {
        const QString sample = samples + "/" + name;
        if (!samples.isEmpty() && QFile::exists(sample)) {
            paths << sample;
            continue;
        }
        const QString stand = scratch.filePath(QFileInfo(name).fileName());
        QFile file(stand);
        if (file.open(QIODevice::WriteOnly)) {
            file.resize(1572864);
        }
        paths << stand;
    }
    return paths;
}

void setStates(QHeicModel& model) {
    const int states[] = {HeicModelData::Ready, HeicModelData::Converting, HeicModelData::Completed,
                          HeicModelData::Failed};
    for (int row = 0; row < model.rowCount(); ++row) {
        HeicModelData* record = model.heicData(row);
        record->nConvertState = states[row % 4];
        if (record->nConvertState == HeicModelData::Completed) {
            record->bConvertedJpg = true;
            record->nFolderState = HeicModelData::Normal;
        }
    }
    model.refresh();
}

// The overlay drawn over a picture of the window, as the user sees it.
void shootOver(GalleryCanvas& canvas, const QString& name, zentarPixvue& window, QDialog* overlay) {
    QLabel backdrop;
    backdrop.setAttribute(Qt::WA_TranslucentBackground);
    backdrop.setPixmap(window.grab());
    backdrop.setFixedSize(window.size());
    overlay->setParent(&backdrop, Qt::Widget);
    overlay->move(0, 0);
    overlay->show();
    canvas.shoot(name, &backdrop, kDesktop, 0);
    overlay->setParent(nullptr);
}

void shootOperatePage(GalleryCanvas& canvas) {
    QTemporaryDir scratch;
    zentarPixvue window;
    QOperatePage* page = window.operatePage();
    addAndWait(page, listFiles(scratch));
    setStates(*page->model());
    canvas.shoot("zentarPixvue_operate_all_checked", &window, kDesktop, 0);

    QTableViewBase* view = page->tableView();
    view->selectionModel()->select(view->model()->index(1, 0),
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    view->grab();
    const QRect remove = page->model()->heicData(2)->rcDelete;
    moveOver(view, remove.center());
    canvas.shoot("zentarPixvue_operate_partial_hover", &window, kDesktop, 0);

    view->clearSelection();
    moveOver(view, QPoint(300, -100));
    canvas.shoot("zentarPixvue_operate_none_checked", &window, kDesktop, 0);

    view->selectAll();
    QStopAddDelImgDlg adding(0);
    shootOver(canvas, "QStopAddDelImgDlg_adding", window, &adding);
    QStopAddDelImgDlg deleting(1);
    deleting.slotTimerOut();
    shootOver(canvas, "QStopAddDelImgDlg_deleting", window, &deleting);

    const QStringList files = listFiles(scratch);
    for (const auto& shot : {qMakePair(QString("QShowImageDlg"), files.at(0)),
                             qMakePair(QString("QShowImageDlg_loadfail"), files.at(5))}) {
        QShowImageDlg preview(shot.second, *window.threadKeeper(), &window);
        waitFor([&preview] { return preview.isLoaded(); });
        preview.hide();
        shootOver(canvas, shot.first, window, &preview);
    }
    QShowImageDlg loading(files.at(1), *window.threadKeeper());
    loading.hide();
    shootOver(canvas, "QShowImageDlg_loading", window, &loading);
    waitFor([&loading] { return loading.isLoaded(); });

    // A larger window: the list grows, here sorted by size, largest first.
    window.resize(1260, 808);
    page->headerView()->setSortIndicator(2, Qt::DescendingOrder);
    view->selectAll();
    canvas.shoot("zentarPixvue_operate_grown_sorted", &window, kDesktop, 0);
    QShowImageDlg grownPreview(files.at(0), *window.threadKeeper(), &window);
    waitFor([&grownPreview] { return grownPreview.isLoaded(); });
    grownPreview.hide();
    grownPreview.setFixedSize(window.size());
    shootOver(canvas, "QShowImageDlg_grown", window, &grownPreview);

    // The drop-down list of a combo box, open.
    window.show();  // a combo polishes its style when shown
    QComboBox* combo = page->sizeCombo();
    combo->showPopup();
    QLabel popup;
    popup.setPixmap(combo->view()->window()->grab());
    canvas.shoot("QOperatePage_combo_popup", &popup, kDesktop, 8);
    combo->hidePopup();
    window.stopBackgroundWork();
}
PIXVUE_GALLERY_ENTRY("operate", shootOperatePage)

}  // namespace
