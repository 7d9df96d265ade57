#pragma once

// What a conversion run through the real main window needs: dropping a folder on it, setting the
// operate page's controls as a user does, clicking "Convert" and reading the output folder.

#include "dialogs/qconvertimagedlg.h"
#include "dialogs/qexitdialog.h"
#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "guitestsupport.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qfilelistcontroller.h"
#include "pages/qoperatepage.h"
#include "qadaptivelabel.h"
#include "qcheckboxex.h"
#include "qimagetextbutton.h"
#include "ztconfig.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>

#include <memory>

namespace convertrun {

// A main window with the default settings and an empty list, shown; null when it never shows.
inline std::unique_ptr<zentarPixvue> openFreshWindow() {
    guitest::resetSettings();
    auto window = std::make_unique<zentarPixvue>();
    window->show();
    return QTest::qWaitForWindowExposed(window.get()) ? std::move(window) : nullptr;
}

// The conversion choices a user makes on the operate page.
struct Choice {
    ConvertFormat format = JPG;
    bool keepExif = true;
    QString size = QStringLiteral("100%");
    QString quality = QStringLiteral("100%");
    QString base;  // the chosen output path; the files land in its format folder
};

inline QString formatFolder(ConvertFormat format) {
    switch (format) {
        case PNG:
            return QStringLiteral("PNG");
        case BMP:
            return QStringLiteral("BMP");
        default:
            return QStringLiteral("JPG");
    }
}

inline QString extension(ConvertFormat format) {
    return "." + formatFolder(format).toLower();
}

inline QString outputDir(const Choice& choice) {
    return choice.base + "/" + formatFolder(choice.format) + "/";
}

inline int percent(const QString& text) {
    return QString(text).remove('%').toInt();
}

// Drops the folder and waits until the add has ended; false on time-out.
inline bool dropAndWait(zentarPixvue& window, const QString& folder) {
    int completed = 0;
    const auto connection = QObject::connect(window.operatePage(), &QOperatePage::signalOpCompleted,
                                             [&completed] { ++completed; });
    guitest::dropUrls(window, {QUrl::fromLocalFile(folder)});
    const bool done = guitest::waitFor([&completed] { return completed > 0; });
    QObject::disconnect(connection);
    return done;
}

inline QStringList rowPaths(const QHeicModel& model) {
    QStringList paths;
    for (int row = 0; row < model.rowCount(); ++row) {
        paths << model.heicData(row)->strFilePath;
    }
    return paths;
}

inline const HeicModelData* rowOf(const QHeicModel& model, const QString& path) {
    return model.heicData(model.rowOfPath(path));
}

// Sets the page's controls to the choice: the combo boxes, the keep-EXIF box (shown for JPG
// only) and the output path through the directory chooser behind "Alter".
inline void choose(QOperatePage& page, const Choice& choice) {
    page.formatCombo()->setCurrentIndex(choice.format);
    page.sizeCombo()->setCurrentText(choice.size);
    if (choice.format != BMP) {
        page.qualityCombo()->setCurrentText(choice.quality);
    }
    if (choice.format == JPG && page.keepExifBox()->isChecked() != choice.keepExif) {
        QTest::mouseClick(page.keepExifBox(), Qt::LeftButton);
    }
    const QString base = choice.base;
    page.setDirectoryChooser([base](QWidget*, const QString&, const QString&) { return base; });
    QTest::mouseClick(page.alterButton(), Qt::LeftButton);
    page.setDirectoryChooser({});
}

// Whether the settings store holds the choice (what the worker will take).
inline bool storeHolds(const Choice& choice) {
    const ZtConfig* config = ZtConfig::NewInstance();
    return config->getConvertFormat() == choice.format && config->getPicSize() == choice.size &&
           (choice.format == BMP || config->getPicQuality() == choice.quality) &&
           (choice.format != JPG || config->isKeepExif() == choice.keepExif);
}

// Checks every row (as the header's check box does) unless all are checked.
inline void checkAllRows(QOperatePage& page) {
    if (page.tableView()->checkedRows().size() != page.model()->rowCount()) {
        page.tableView()->selectAll();
    }
}

// Clicks "Convert" and gives the progress dialog it opened; null when none opened.
inline QConvertImageDlg* clickConvert(zentarPixvue& window) {
    const QList<QConvertImageDlg*> before = window.findChildren<QConvertImageDlg*>();
    QTest::mouseClick(window.operatePage()->convertButton(), Qt::LeftButton);
    for (QConvertImageDlg* dialog : window.findChildren<QConvertImageDlg*>()) {
        if (!before.contains(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

// Waits for the dialog's completed form; its status text, empty on time-out.
inline QString waitCompleted(QConvertImageDlg* dialog) {
    QPointer<QConvertImageDlg> guard(dialog);
    if (!guitest::waitFor([&guard] { return guard.isNull() || guard->isCompleted(); }) ||
        guard.isNull()) {
        return {};
    }
    return guard->statusLabel()->text();
}

// Clicks "Completed" and waits until the dialog has gone.
inline bool closeCompleted(QConvertImageDlg* dialog) {
    QPointer<QConvertImageDlg> guard(dialog);
    QTest::mouseClick(dialog->completedButton(), Qt::LeftButton);
    return guitest::waitFor([&guard] { return guard.isNull(); });
}

inline QString completedText(int total, int succeeded, int failed) {
    return QStringLiteral("Conversion completed, Total:%1,Suc:%2,Fail:%3")
        .arg(total)
        .arg(succeeded)
        .arg(failed);
}

// Every entry of the folder, hidden ones included (a writer's temporary file would be one).
inline QStringList entries(const QString& dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Answers the exit question with YES.
inline guitest::DialogAnswers::Answer yesToExit() {
    return [](CFramelessDialog& dialog) {
        auto* exit = qobject_cast<QExitDialog*>(&dialog);
        if (exit == nullptr) {
            return -1;
        }
        exit->yesButton()->click();
        return dialog.result();
    };
}

}  // namespace convertrun
