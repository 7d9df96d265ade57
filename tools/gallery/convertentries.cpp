// Gallery shots of a conversion run: the progress dialog while converting and when completed
// (with failures, and with every file failed), over the main window, and the operate page's
// list after the run with a failed row's reason.

#include "gallerycanvas.h"
#include "galleryoperate.h"
#include "galleryregistry.h"

#include "dialogs/qconvertimagedlg.h"
#include "filelist/heicmodeldata.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qoperatepage.h"
#include "qadaptivelabel.h"
#include "qimagetextbutton.h"
#include "workers/qconvertheicthread.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QToolTip>

#include <cstdio>

namespace {

using galleryoperate::addAndWait;
using galleryoperate::kDesktop;
using galleryoperate::moveOver;
using galleryoperate::waitFor;

constexpr int kListedFiles = 14;
constexpr int kHeldRow = 3;           // converting while the first shots are taken
constexpr int kBrokenRow = 1;         // fails
const int kUncheckedRows[] = {4, 5};  // stay ready

// Small real samples when PIXVUE_TESTDATA names them, else pictures Qt writes.
QString makeSource(const QString& dir, int index, bool broken) {
    const QString path = QDir(dir).filePath(QString("IMG_%1.heic").arg(3001 + index));
    const QString samples = qEnvironmentVariable("PIXVUE_TESTDATA");
    const QStringList names{"libheif/rainbow-451x461.heic", "libheif/example.heic",
                            "sdwebimage/TestHDR.heic", "pillow_heif/L_exif_xmp_iptc.heic"};
    const QString sample = broken ? samples + "/pillow_heif/corrupted.heic"
                                  : samples + "/" + names.at(index % names.size());
    if (!samples.isEmpty() && QFile::copy(sample, path)) {
        return path;
    }
    QFile file(path);
    if (broken) {
        if (file.open(QIODevice::WriteOnly)) {
            file.write("no picture");
        }
        return path;
    }
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 640, 480);
    sky.setColorAt(0, QColor::fromHsv((index * 40) % 360, 120, 230));
    sky.setColorAt(1, QColor::fromHsv((index * 40 + 120) % 360, 160, 120));
    painter.fillRect(image.rect(), sky);
    painter.end();
    image.save(path, "JPG");
    return path;
}

// Holds the conversion at the start of one file until opened.
class FileGate {
public:
    FileGate(zentarPixvue& window, const QString& path) : m_window(window), m_path(path) {
        window.setConvertWorkerSetup([this](QConvertHeicThread& worker) {
            worker.setFileStartHook([this](const QString& started) {
                if (started == m_path) {
                    m_open.acquire();
                }
            });
        });
    }
    ~FileGate() {
        open();
        m_window.setConvertWorkerSetup({});
    }
    void open() { m_open.release(1000); }

private:
    zentarPixvue& m_window;
    QString m_path;
    QSemaphore m_open;
};

// The window as the user sees it, with a dialog centred over it and a tool tip beside the mouse.
QImage windowWith(zentarPixvue& window, QWidget* dialog, QWidget* tip, const QPoint& tipPos) {
    QImage image(window.size(), QImage::Format_ARGB32);
    image.fill(kDesktop);
    QPainter painter(&image);
    painter.drawPixmap(0, 0, window.grab());
    if (dialog != nullptr) {
        const QPixmap over = dialog->grab();
        painter.drawPixmap((image.width() - over.width()) / 2, (image.height() - over.height()) / 2,
                           over);
    }
    if (tip != nullptr) {
        painter.drawPixmap(tipPos, tip->grab());
    }
    return image;
}

void shootImage(GalleryCanvas& canvas, const QString& name, const QImage& image) {
    QLabel label;
    label.setPixmap(QPixmap::fromImage(image));
    label.setFixedSize(image.size());
    canvas.shoot(name, &label, kDesktop, 0);
}

QWidget* shownToolTip() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

// The failed row's reason as its tool tip shows it under the mouse, over the window.
void shootFailReason(GalleryCanvas& canvas, zentarPixvue& window, int row) {
    QTableViewBase* view = window.operatePage()->tableView();
    const QRect cell = view->visualRect(view->model()->index(row, QHeicDelegate::StateColumn));
    moveOver(view, cell.center());
    QWidget* tip = nullptr;
    waitFor([&tip] { return (tip = shownToolTip()) != nullptr; });
    if (tip == nullptr) {
        std::fprintf(stderr, "pixvue-gallery: no tool tip on the failed row\n");
        return;
    }
    const QPoint mouse = view->viewport()->mapTo(&window, cell.center());
    shootImage(canvas, "zentarPixvue_converted_failreason",
               windowWith(window, nullptr, tip, mouse + QPoint(2, 18)));
    QToolTip::hideText();
    moveOver(view, QPoint(300, -100));
}

bool rowsReached(const QHeicModel& model) {
    for (int row = 0; row < kHeldRow; ++row) {
        const int state = model.heicData(row)->nConvertState;
        if (state != HeicModelData::Completed && state != HeicModelData::Failed) {
            return false;
        }
    }
    return model.heicData(kHeldRow)->nConvertState == HeicModelData::Converting;
}

// A run over the page's list, held at one file for the first shots.
void shootRun(GalleryCanvas& canvas, zentarPixvue& window, const QString& outputDir) {
    QOperatePage* page = window.operatePage();
    QTableViewBase* view = page->tableView();
    for (int row : kUncheckedRows) {
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    FileGate gate(window, page->model()->heicData(kHeldRow)->strFilePath);
    QVariant rows = QVariant::fromValue(view->checkedRows());
    emit page->signalConvertImage(rows, outputDir);
    auto* dialog = window.findChild<QConvertImageDlg*>();
    if (dialog == nullptr) {
        return;
    }
    waitFor([page] { return rowsReached(*page->model()); });
    canvas.shoot("QConvertImageDlg_converting", dialog, kDesktop, 0);
    canvas.shoot("zentarPixvue_converting_list", &window, kDesktop, 0);
    shootImage(canvas, "zentarPixvue_converting", windowWith(window, dialog, nullptr, QPoint()));

    gate.open();
    waitFor([dialog] { return dialog->isCompleted(); });
    canvas.shoot("QConvertImageDlg_completed", dialog, kDesktop, 0);
    shootImage(canvas, "zentarPixvue_convert_completed",
               windowWith(window, dialog, nullptr, QPoint()));
    GalleryCanvas::hover(dialog->completedButton());
    canvas.shoot("QConvertImageDlg_completed_hover", dialog, kDesktop, 0);
    QPointer<QConvertImageDlg> closing(dialog);
    dialog->completedButton()->click();
    waitFor([&closing] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closing.isNull();
    });
}

void shootConvertedList(GalleryCanvas& canvas) {
    QTemporaryDir scratch;
    const QString sources = scratch.filePath("photos");
    QDir().mkpath(sources);
    QStringList paths;
    for (int i = 0; i < kListedFiles; ++i) {
        paths << makeSource(sources, i, i == kBrokenRow);
    }
    QConvertHeicThread::setDefaultParallelFiles(1);  // the held file comes fourth
    zentarPixvue window;
    window.show();
    addAndWait(window.operatePage(), paths);
    const QString outputDir = scratch.filePath("out") + "/";
    QDir().mkpath(outputDir);
    shootRun(canvas, window, outputDir);
    canvas.shoot("zentarPixvue_converted", &window, kDesktop, 0);
    shootFailReason(canvas, window, kBrokenRow);
    window.stopBackgroundWork();
    QConvertHeicThread::setDefaultParallelFiles(0);
}
PIXVUE_GALLERY_ENTRY("convert", shootConvertedList)

// Every file broken: nothing to view.
void shootAllFailed(GalleryCanvas& canvas) {
    QTemporaryDir scratch;
    QHeicModel model(QHeicDelegate::ColumnCount);
    QList<ModelDataBase*> records;
    QModelIndexList rows;
    for (int i = 0; i < 3; ++i) {
        auto* record = new HeicModelData;
        record->strFilePath = makeSource(scratch.path(), i, true);
        record->strFileName = QFileInfo(record->strFilePath).fileName();
        records.append(record);
    }
    model.addModelData(records);
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.index(row, 0);
    }
    const QString outputDir = scratch.filePath("out") + "/";
    QDir().mkpath(outputDir);
    QConvertImageDlg dialog(QVariant::fromValue(rows), outputDir);
    waitFor([&dialog] { return dialog.isCompleted(); });
    canvas.shoot("QConvertImageDlg_allfailed", &dialog, kDesktop, 0);

    // "Stop Convert" after 7 of 40 files.
    QConvertImageDlg stopped(QVariant::fromValue(QModelIndexList()), outputDir);
    waitFor([&stopped] { return stopped.isCompleted(); });
    stopped.slotConvertFinished(7, 0, 40);
    canvas.shoot("QConvertImageDlg_stopped", &stopped, kDesktop, 0);
}
PIXVUE_GALLERY_ENTRY("convert", shootAllFailed)

}  // namespace
