#pragma once

#include <QFrame>
#include <QList>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSharedPointer>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>

class QCheckBoxEx;
class QFileListController;
class QComboBox;
class QHBoxLayout;
class QHeaderViewBase;
class QHeicDelegate;
class QHeicModel;
class QImageTextButton;
class QLabel;
class QLineEdit;
class QLineEx;
class QSortFilterProxyModelBase;
class QStackedWidget;
class QTableViewBase;

// Page 1 of the main window: the file list with "Add File" and "Remove", the conversion
// settings (format, size, quality, keep-EXIF, output path) and "Convert". Its file-list
// controller runs the add, collect and delete workers; the page keeps the settings store in
// step with its controls.
class QOperatePage : public QFrame {
    Q_OBJECT

public:
    // Asks the user for a directory: parent, caption, start directory; empty when cancelled.
    using DirectoryChooser = std::function<QString(QWidget*, const QString&, const QString&)>;
    // Asks the user for files: parent, caption, start directory, filter.
    using FileChooser =
        std::function<QStringList(QWidget*, const QString&, const QString&, const QString&)>;

    QOperatePage(QStackedWidget* pStack, QWidget* parent = nullptr);
    ~QOperatePage() override;

    // Starts the add worker for dropped URLs or picked paths; the wait dialog is asked first.
    bool addHeicUrls(const QList<QUrl>& listUrls);
    bool addHeicFiles(const QStringList& listPaths);
    void refreshBtnState();

    // Asks every running worker of the page to stop and waits for them.
    void stopWorkers();
    int runningWorkers() const;

    // The output folder is never one of the system's own directories.
    static bool isSystemDirectory(const QString& path);
    // Replace the dialogs (scripted runs, tests); an empty chooser restores the dialog.
    void setDirectoryChooser(DirectoryChooser chooser);
    void setFileChooser(FileChooser chooser);

    QString defaultOutputDir() const { return m_strDefaultDir; }
    QString lastOutputDir() const { return m_strLastDir; }
    // The rows of a conversion run that starts (a QModelIndexList): slotConvertFinished
    // unchecks those converted.
    void trackConversion(const QVariant& listIndex);
    // The listed files in the list's order.
    QStringList listedPaths() const;

    QFileListController* fileList() const { return m_pFileList; }
    QTableViewBase* tableView() const { return m_pTableView; }
    QSharedPointer<QHeicModel> model() const { return m_pModel; }
    QHeaderViewBase* headerView() const { return m_pHeader; }
    QImageTextButton* addButton() const { return m_pBtnAdd; }
    QImageTextButton* removeButton() const { return m_pBtnRemove; }
    QImageTextButton* alterButton() const { return m_pBtnAlter; }
    QImageTextButton* convertButton() const { return m_pBtnConvert; }
    QComboBox* formatCombo() const { return m_pCmbFormat; }
    QComboBox* sizeCombo() const { return m_pCmbSize; }
    QComboBox* qualityCombo() const { return m_pCmbQuality; }
    QCheckBoxEx* keepExifBox() const { return m_pChkKeepExif; }
    QCheckBoxEx* stripLocationBox() const { return m_pChkStripLocation; }
    QLabel* qualityLabel() const { return m_pLblQuality; }
    QLabel* modeLabel() const { return m_pLblMode; }
    QLineEdit* pathEdit() const { return m_pEditPath; }

signals:
    void signalShowImage(QString strFilePath);
    void signalConvertImage(QVariant& listIndex, QString strPath);
    void signalStopOp(int nType);
    void signalOpCompleted();

public slots:
    void slotRefreshTableView();
    void slotImgTextBtnClicked();
    void slotComboBoxIndexChanged(int nIndex);
    void slotTablePreview(QModelIndex index);
    void slotTableOpenFolder(QModelIndex index);
    void slotTableDelete(QModelIndex index);
    void slotSelectionChange();
    void slotChagePageToOperate();
    void slotAddHeicCompleted(int nStartRow);
    void slotDelHeicCompleted();
    // The last of overlapping adds has ended.
    void slotAddsFinished(int nRefused);
    // A conversion run has ended: its converted rows are unchecked.
    void slotConvertFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createTable();
    QHBoxLayout* createTopRow();
    QHBoxLayout* createSettingsRow();
    QHBoxLayout* createPathRow();
    QHBoxLayout* createConvertRow();
    QComboBox* createCombo(const QStringList& items, int visibleItems);
    QLabel* createLabel(const QString& text);
    void createLayout();
    void connectControls();
    void loadSettings();
    void applyFormatToRows();
    void connectFileList();
    void startDelete();
    void chooseOutputDir();
    void startConvert();
    void addFromFileDialog();
    void showRefusedFiles(int nCount);
    void showPage(int index);
    int sourceRow(const QModelIndex& index) const;

    QStackedWidget* m_pStack = nullptr;
    QImageTextButton* m_pBtnAdd = nullptr;
    QImageTextButton* m_pBtnRemove = nullptr;
    QFileListController* m_pFileList = nullptr;
    QTableViewBase* m_pTableView = nullptr;
    QSharedPointer<QHeicModel> m_pModel;
    QSharedPointer<QSortFilterProxyModelBase> m_pProxy;
    QSharedPointer<QHeicDelegate> m_pDelegate;
    QHeaderViewBase* m_pHeader = nullptr;
    QLabel* m_pLblFormat = nullptr;
    QComboBox* m_pCmbFormat = nullptr;
    QLabel* m_pLblSize = nullptr;
    QComboBox* m_pCmbSize = nullptr;
    QLabel* m_pLblQuality = nullptr;
    QComboBox* m_pCmbQuality = nullptr;
    QLabel* m_pLblMode = nullptr;
    QCheckBoxEx* m_pChkKeepExif = nullptr;
    QCheckBoxEx* m_pChkStripLocation = nullptr;
    QLabel* m_pLblPath = nullptr;
    QComboBox* m_pCmbOutput = nullptr;
    QLineEdit* m_pEditPath = nullptr;
    QImageTextButton* m_pBtnAlter = nullptr;
    QLineEx* m_pLine = nullptr;
    QImageTextButton* m_pBtnConvert = nullptr;
    QString m_strDefaultDir;
    QString m_strLastDir;
    QList<QPersistentModelIndex> m_listConverting;  // the rows of the run under way

    DirectoryChooser m_directoryChooser;
    FileChooser m_fileChooser;
    bool m_bRefreshPending = false;
    bool m_bLoadingSettings = false;
};
