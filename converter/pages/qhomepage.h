#pragma once

#include <QFrame>
#include <QPoint>
#include <QStringList>

#include <functional>

class QImageLable;
class QImageTextButton;
class QMultiLineLabel;

// Page 0 of the main window: a picture, the "Add files" button and the hint that files can be
// dropped. The button, the picture and the hint open the file dialog, which hands the chosen
// files and folders on.
class QHomePage : public QFrame {
    Q_OBJECT

public:
    // Asks the user for files: parent, caption, start directory, filter; the chosen paths.
    using FileChooser =
        std::function<QStringList(QWidget*, const QString&, const QString&, const QString&)>;

    explicit QHomePage(QWidget* parent = nullptr);

    // Replaces the file dialog (scripted runs, tests); an empty chooser restores it.
    void setFileChooser(FileChooser chooser);

    QImageTextButton* addButton() const { return m_pBtnAdd; }
    QImageLable* picture() const { return m_pPicture; }
    QMultiLineLabel* hint() const { return m_pHint; }

signals:
    void signalAddBtnClicked();
    // Files the user picked; the operate page adds them.
    void signalFilesChosen(const QStringList& paths);

public slots:
    void slotAddBtnClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList chooseFiles(const QString& caption, const QString& directory,
                            const QString& filter);

    FileChooser m_fileChooser;
    QImageLable* m_pPicture = nullptr;
    QImageTextButton* m_pBtnAdd = nullptr;
    QMultiLineLabel* m_pHint = nullptr;
    QPoint m_pressPos;  // of the left button on the picture or the hint
};
