#include "qaddfilesdialog.h"

#include "ztpicturetypes.h"

#include <QFileInfo>

#include <algorithm>

QAddFilesDialog::QAddFilesDialog(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter)
    : QFileDialog(parent, caption, directory, filter) {
    // The platform's own dialog would enter a folder on Open instead of taking it.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
}

void QAddFilesDialog::accept() {
    const QStringList paths = selectedFiles();
    const bool allExist = std::all_of(paths.begin(), paths.end(),
                                      [](const QString& path) { return QFileInfo::exists(path); });
    if (paths.isEmpty() || !allExist) {
        QFileDialog::accept();  // its own answer to names that do not exist
        if (result() == QDialog::Accepted) {
            m_chosen = selectedFiles();
        }
        return;
    }
    m_chosen = paths;
    QDialog::accept();
}

QString QAddFilesDialog::pictureCaption() {
    return tr("Select HEIC, HEIF or AVIF pictures, or folders");
}

QString QAddFilesDialog::pictureFilter() {
    return tr("HEIC, HEIF and AVIF pictures (%1)").arg(ztpicture::dialogPatterns());
}

QStringList QAddFilesDialog::choose(QWidget* parent, const QString& caption,
                                    const QString& directory, const QString& filter) {
    QAddFilesDialog dialog(parent, caption, directory, filter);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenPaths() : QStringList();
}
