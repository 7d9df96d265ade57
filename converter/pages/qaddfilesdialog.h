#pragma once

#include <QFileDialog>
#include <QStringList>

// The "Add files" dialog: Open takes the selected files and folders alike (a double click still
// enters a folder), so that a whole folder of pictures can be added at once.
class QAddFilesDialog : public QFileDialog {
    Q_OBJECT

public:
    QAddFilesDialog(QWidget* parent, const QString& caption, const QString& directory,
                    const QString& filter);

    // The files and folders taken by Open; empty when the dialog was cancelled.
    QStringList chosenPaths() const { return m_chosen; }

    // The caption and the filter of the dialog (every picture type taken).
    static QString pictureCaption();
    static QString pictureFilter();

    // Asks the user; the chosen files and folders.
    static QStringList choose(QWidget* parent, const QString& caption, const QString& directory,
                              const QString& filter);

public slots:
    void accept() override;

private:
    QStringList m_chosen;
};
