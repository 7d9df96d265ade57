#include "qoperatepage.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qheaderviewbase.h"
#include "filelist/qsortfilterproxymodelbase.h"
#include "filelist/qtabledelegatebase.h"
#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "kitcombobox.h"
#include "pages/qaddfilesdialog.h"
#include "pages/qfilelistcontroller.h"
#include "qcheckboxex.h"
#include "qimagetextbutton.h"
#include "qlineex.h"
#include "qmessageboxex.h"
#include "ztconfig.h"
#include "ztheicapi.h"
#include "ztlog.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const int kTableWidth = 940;
const int kTableHeight = 340;
const int kTableMargin = 30;
// The remove-location box, under the keep-EXIF box.
const int kStripLocationHeight = 20;
const int kStripLocationGap = 4;
const int kColumnWidths[] = {58, 210, 136, 136, 136, 88, 88, 88};
const QColor kTextColor("#444444");

const char* const kPathStyle =
    "QLineEdit{border:1px solid #E3E3E3;background:#ffffff;color:#444444;font-size:13px;"
    "font-family:\"Microsoft YaHei\";}"
    "QLineEdit:hover{border:1px solid #CCCCCC;}";

const QStringList& percentItems() {
    static const QStringList items{"100%", "90%", "80%", "70%", "60%",
                                   "50%",  "40%", "30%", "20%", "10%"};
    return items;
}

QImageTextButton* createTextButton(const char* image, const QSize& size, QWidget* parent) {
    return new QImageTextButton(QString::fromLatin1(image), size, parent);
}

QString formatFolder(int format) {
    switch (format) {
        case PNG:
            return QStringLiteral("PNG//");
        case BMP:
            return QStringLiteral("BMP//");
        default:
            return QStringLiteral("JPG//");
    }
}

void makeDirectory(const QString& path) {
    QDir dir;
    if (!dir.exists(path) && !dir.mkpath(path)) {
        LOG(ERROR) << "can not create the output directory " << path;
    }
}

}  // namespace

QOperatePage::QOperatePage(QStackedWidget* pStack, QWidget* parent)
    : QFrame(parent), m_pStack(pStack) {
    m_strDefaultDir = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation) +
                      QStringLiteral("/Pixvue");
    qRegisterMetaType<QModelIndexList>("QModelIndexList");
    m_pFileList = new QFileListController(QHeicDelegate::ColumnCount, this);
    m_pModel = m_pFileList->model();
    ZtHeicAPI::initMapData();
    setStyleSheet(QStringLiteral("QOperatePage{background:#FFFFFF;}"));
    createTable();
    createLayout();
    m_pBtnAdd->setText(tr("Add File"));
    m_pBtnRemove->setText(tr("Remove"));
    m_pBtnAlter->setText(tr("Alter"));
    m_pBtnConvert->setText(tr("Convert"));
    const QString chosen = ZtConfig::NewInstance()->getOutputDir();
    m_pEditPath->setText(chosen.isEmpty() ? m_strDefaultDir : chosen);
    m_pEditPath->setCursorPosition(0);
    loadSettings();
    connectControls();
    connectFileList();
    refreshBtnState();
}

QOperatePage::~QOperatePage() {
    stopWorkers();
    delete m_pTableView;  // before the model, proxy and delegate it shows
    m_pTableView = nullptr;
}

void QOperatePage::setDirectoryChooser(DirectoryChooser chooser) {
    m_directoryChooser = std::move(chooser);
}

void QOperatePage::setFileChooser(FileChooser chooser) {
    m_fileChooser = std::move(chooser);
}

// ---- Construction

void QOperatePage::createTable() {
    m_pTableView = new QTableViewBase(this);
    m_pProxy = QSharedPointer<QSortFilterProxyModelBase>::create();
    m_pProxy->setSourceModel(m_pModel.data());
    m_pDelegate = QSharedPointer<QHeicDelegate>::create();
    m_pHeader = new QHeaderViewBase(Qt::Horizontal, m_pTableView);
    m_pTableView->setDefaultRowHeight(54);
    m_pTableView->setUp(m_pProxy.data(), m_pHeader, m_pDelegate.data());
    m_pTableView->setMinimumSize(kTableWidth, kTableHeight);
    m_pTableView->setStyleSheet(
        QStringLiteral("QTableViewBase{background:white;border:1px solid #E3E3E3;}"));
    m_pHeader->setFixedHeight(QHeaderViewBase::kHeight);
    for (int column = 0; column < QHeicDelegate::ColumnCount; ++column) {
        m_pTableView->setColumnWidth(column, kColumnWidths[column]);
    }
    m_pHeader->setSectionText(QHeicDelegate::NameColumn, tr("File Name"));
    m_pHeader->setSectionText(QHeicDelegate::SizeColumn, tr("Size"));
    m_pHeader->setSectionText(QHeicDelegate::FormatColumn, tr("Output format"));
    m_pHeader->setSectionText(QHeicDelegate::StateColumn, tr("State"));
    m_pHeader->setSectionText(QHeicDelegate::PreviewColumn, tr("Preview"));
    m_pHeader->setSectionText(QHeicDelegate::FolderColumn, tr("Folder"));
    m_pHeader->setSectionText(QHeicDelegate::DeleteColumn, tr("Remove"));
    // By name as file managers list files; a click on these headers sorts by them.
    m_pHeader->setSortableSections(
        {QHeicDelegate::NameColumn, QHeicDelegate::SizeColumn, QHeicDelegate::StateColumn});
    m_pHeader->setSortIndicator(QHeicDelegate::NameColumn, Qt::AscendingOrder);
    m_pProxy->sort(QHeicDelegate::NameColumn, Qt::AscendingOrder);
}

QHBoxLayout* QOperatePage::createTopRow() {
    m_pBtnAdd = createTextButton(":/Img/res/btn/btn_add.png", QSize(110, 30), this);
    m_pBtnRemove = createTextButton(":/Img/res/btn/btn_delete.png", QSize(110, 30), this);
    for (QImageTextButton* button : {m_pBtnAdd, m_pBtnRemove}) {
        button->setTextColor(kTextColor, kTextColor, kTextColor, kTextColor);
        button->setTextFont(14, 50);
    }
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(30);
    row->addWidget(m_pBtnAdd);
    row->addSpacing(20);
    row->addWidget(m_pBtnRemove);
    row->addStretch();
    return row;
}

QLabel* QOperatePage::createLabel(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setFixedHeight(20);
    label->setStyleSheet(
        QStringLiteral("QLabel{color:#444444;font-size:14px;font-family:\"Microsoft YaHei\";}"));
    return label;
}

QComboBox* QOperatePage::createCombo(const QStringList& items, int visibleItems) {
    auto* combo = new QComboBox(this);
    styleKitComboBox(combo);
    combo->addItems(items);
    combo->setFixedSize(96, 32);
    combo->setMaxVisibleItems(visibleItems);
    return combo;
}

QHBoxLayout* QOperatePage::createSettingsRow() {
    m_pLblFormat = createLabel(tr("Output format:"));
    m_pCmbFormat =
        createCombo({QStringLiteral("JPG"), QStringLiteral("PNG"), QStringLiteral("BMP")}, 10);
    m_pLblSize = createLabel(tr("Picture Size:"));
    m_pCmbSize = createCombo(percentItems(), 5);
    m_pLblQuality = createLabel(tr("Picture Quality:"));
    m_pCmbQuality = createCombo(percentItems(), 5);
    m_pLblMode = createLabel(tr("Mode:"));
    m_pChkKeepExif = new QCheckBoxEx(this);
    m_pChkKeepExif->setText(tr("Keep EXIF mode"));
    m_pChkKeepExif->setFixedWidth(150);
    m_pChkStripLocation = new QCheckBoxEx(this);
    m_pChkStripLocation->setText(tr("Remove location"));
    m_pChkStripLocation->setFixedSize(150, kStripLocationHeight);

    // The pairs side by side; the remove-location box under the keep-EXIF box.
    auto* grid = new QGridLayout();
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(0);
    grid->setVerticalSpacing(kStripLocationGap);
    const QList<QPair<QWidget*, QWidget*>> pairs{{m_pLblFormat, m_pCmbFormat},
                                                 {m_pLblSize, m_pCmbSize},
                                                 {m_pLblQuality, m_pCmbQuality},
                                                 {m_pLblMode, m_pChkKeepExif}};
    int column = 0;
    for (const auto& pair : pairs) {
        grid->setColumnMinimumWidth(column++, 30);
        grid->addWidget(pair.first, 0, column++);
        grid->setColumnMinimumWidth(column++, 16);
        grid->addWidget(pair.second, 0, column++);
    }
    grid->addWidget(m_pChkStripLocation, 1, column - 1);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addLayout(grid);
    row->addStretch();
    return row;
}

QHBoxLayout* QOperatePage::createPathRow() {
    m_pLblPath = createLabel(tr("Output path :"));
    m_pCmbOutput = createCombo({tr("Default directory"), tr("Custom directory")}, 10);
    m_pCmbOutput->setFixedSize(198, 32);
    m_pCmbOutput->setCurrentIndex(1);
    m_pCmbOutput->hide();

    m_pEditPath = new QLineEdit(this);
    m_pEditPath->setFixedSize(348, 32);
    m_pEditPath->setStyleSheet(QString::fromLatin1(kPathStyle));
    m_pEditPath->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_pEditPath->setContextMenuPolicy(Qt::NoContextMenu);
    m_pEditPath->setReadOnly(true);
    m_pBtnAlter = createTextButton(":/Img/res/btn/btn_alter.png", QSize(52, 32), m_pEditPath);
    m_pBtnAlter->setFocusPolicy(Qt::NoFocus);
    m_pBtnAlter->setCursor(Qt::ArrowCursor);
    m_pBtnAlter->setTextColor(kTextColor, kTextColor, kTextColor, kTextColor);
    m_pBtnAlter->setTextFont(13, 50);
    auto* inside = new QHBoxLayout(m_pEditPath);
    inside->setContentsMargins(0, 0, 0, 0);
    inside->setSpacing(1);
    inside->addStretch();
    inside->addWidget(m_pBtnAlter);
    m_pEditPath->setTextMargins(10, 0, m_pBtnAlter->width(), 0);

    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addSpacing(30);
    row->addWidget(m_pLblPath);
    const int lineUp = m_pLblFormat->sizeHint().width() - m_pLblPath->sizeHint().width() + 16;
    row->addSpacing(qMax(0, lineUp));
    row->addWidget(m_pEditPath);
    row->addStretch();
    return row;
}

QHBoxLayout* QOperatePage::createConvertRow() {
    m_pLine = new QLineEx(QColor("#C7CDDF"), 1, Qt::SolidLine, this);
    m_pLine->setMinimumWidth(1000);
    m_pLine->setFixedHeight(1);
    m_pBtnConvert = createTextButton(":/Img/res/btn/btn_convert.png", QSize(110, 32), this);
    const QColor white("#FFFFFF");
    m_pBtnConvert->setTextColor(white, white, white, white);
    m_pBtnConvert->setTextFont(16, 50);
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addStretch();
    row->addWidget(m_pBtnConvert);
    row->addSpacing(20);
    return row;
}

void QOperatePage::createLayout() {
    QHBoxLayout* top = createTopRow();
    QHBoxLayout* settings = createSettingsRow();
    QHBoxLayout* path = createPathRow();
    QHBoxLayout* convert = createConvertRow();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(20);
    layout->addLayout(top);
    layout->addSpacing(10);
    // The list takes what a larger window adds.
    auto* list = new QHBoxLayout();
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);
    list->addSpacing(kTableMargin);
    list->addWidget(m_pTableView, 1);
    list->addSpacing(kTableMargin);
    layout->addLayout(list, 1);
    // The remove-location box under the settings takes its room (24) from the spacings around
    // them (26 and 20 before it), so that the list keeps its designed height.
    layout->addSpacing(16);
    layout->addLayout(settings);
    layout->addSpacing(6);
    layout->addLayout(path);
    layout->addSpacing(29);
    layout->addWidget(m_pLine);
    layout->addSpacing(10);
    layout->addLayout(convert);
    layout->addStretch();
}

void QOperatePage::connectControls() {
    for (QImageTextButton* button : {m_pBtnAdd, m_pBtnRemove, m_pBtnConvert, m_pBtnAlter}) {
        connect(button, &QImageTextButton::clicked, this, &QOperatePage::slotImgTextBtnClicked);
    }
    for (QComboBox* combo : {m_pCmbFormat, m_pCmbSize, m_pCmbQuality, m_pCmbOutput}) {
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &QOperatePage::slotComboBoxIndexChanged);
    }
    connect(m_pChkKeepExif, &QCheckBoxEx::clicked, this,
            [](bool checked) { ZtConfig::NewInstance()->setKeepExif(checked); });
    connect(m_pChkStripLocation, &QCheckBoxEx::clicked, this,
            [](bool checked) { ZtConfig::NewInstance()->setStripLocation(checked); });
    connect(m_pTableView, &QTableViewBase::signalPreview, this, &QOperatePage::slotTablePreview);
    connect(m_pTableView, &QTableViewBase::signalOpenFolder, this,
            &QOperatePage::slotTableOpenFolder);
    connect(m_pDelegate.data(), &QHeicDelegate::signalDelete, this, &QOperatePage::slotTableDelete);
    connect(m_pHeader, &QHeaderViewBase::signalSelectionChange, this,
            &QOperatePage::slotSelectionChange);
    connect(m_pHeader, &QHeaderView::sortIndicatorChanged, m_pProxy.data(),
            [this](int column, Qt::SortOrder order) { m_pProxy->sort(column, order); });
}

void QOperatePage::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // The file name takes the width beyond the designed one.
    const int extra = qMax(0, m_pTableView->width() - kTableWidth);
    m_pTableView->setColumnWidth(QHeicDelegate::NameColumn,
                                 kColumnWidths[QHeicDelegate::NameColumn] + extra);
}

// ---- Settings

void QOperatePage::loadSettings() {
    ZtConfig* config = ZtConfig::NewInstance();
    m_bLoadingSettings = true;
    m_pCmbFormat->setCurrentIndex(config->getConvertFormat());
    m_pCmbQuality->setCurrentText(config->getPicQuality());
    m_pCmbSize->setCurrentText(config->getPicSize());
    m_bLoadingSettings = false;
    switch (config->getConvertFormat()) {
        case JPG:
            m_pLblQuality->show();
            m_pCmbQuality->show();
            m_pLblMode->show();
            m_pChkKeepExif->show();
            m_pChkStripLocation->show();
            break;
        case PNG:
            m_pLblQuality->show();
            m_pCmbQuality->show();
            m_pLblMode->hide();
            m_pChkKeepExif->hide();
            m_pChkStripLocation->hide();
            break;
        case BMP:
            m_pLblQuality->hide();
            m_pCmbQuality->hide();
            m_pLblMode->hide();
            m_pChkKeepExif->hide();
            m_pChkStripLocation->hide();
            break;
        default:
            break;
    }
    m_pChkKeepExif->setChecked(config->isKeepExif());
    m_pChkStripLocation->setChecked(config->isStripLocation());
}

void QOperatePage::slotComboBoxIndexChanged(int nIndex) {
    if (m_bLoadingSettings) {
        return;  // the controls follow the store, nothing to write back
    }
    ZtConfig* config = ZtConfig::NewInstance();
    QObject* combo = sender();
    if (combo == m_pCmbFormat) {
        config->setConvertFormat(ConvertFormat(nIndex));
        loadSettings();
        applyFormatToRows();
    } else if (combo == m_pCmbSize) {
        config->setPicSize(m_pCmbSize->currentText().trimmed());
    } else if (combo == m_pCmbQuality) {
        config->setPicQuality(m_pCmbQuality->currentText().trimmed());
    } else if (combo == m_pCmbOutput) {
        config->setOutPutType(OutPut_Type(nIndex));
    }
}

void QOperatePage::applyFormatToRows() {
    const int format = ZtConfig::NewInstance()->getConvertFormat();
    for (int row = 0; row < m_pModel->rowCount(); ++row) {
        HeicModelData* record = m_pModel->heicData(row);
        record->nOutputFormat = format;
        if (record->isConvertedTo(format)) {
            record->nConvertState = HeicModelData::Completed;
            record->nFolderState = HeicModelData::Normal;
        } else {
            record->nConvertState = HeicModelData::Ready;
            record->nFolderState = HeicModelData::Disabled;
        }
    }
    m_pModel->refresh();
}

// ---- Buttons

void QOperatePage::slotImgTextBtnClicked() {
    QObject* button = sender();
    if (button == m_pBtnAdd) {
        addFromFileDialog();
    } else if (button == m_pBtnRemove) {
        startDelete();
    } else if (button == m_pBtnAlter) {
        chooseOutputDir();
    } else if (button == m_pBtnConvert) {
        startConvert();
    }
}

void QOperatePage::addFromFileDialog() {
    const QString caption = QAddFilesDialog::pictureCaption();
    const QString filter = QAddFilesDialog::pictureFilter();
    const QStringList paths =
        m_fileChooser ? m_fileChooser(this, caption, QStringLiteral("."), filter)
                      : QAddFilesDialog::choose(this, caption, QStringLiteral("."), filter);
    if (!paths.isEmpty()) {
        addHeicFiles(paths);
    }
}

void QOperatePage::refreshBtnState() {
    const int selected = m_pTableView->checkedRows().size();
    LOG(INFO) << "num_select : " << selected;
    m_pBtnRemove->setEnabled(selected > 0);
    m_pBtnConvert->setEnabled(selected > 0);
}

void QOperatePage::slotSelectionChange() {
    refreshBtnState();
}

// ---- Workers

void QOperatePage::connectFileList() {
    // Adds that overlap (files handed over by a later start) share one wait overlay.
    connect(m_pFileList, &QFileListController::signalAddsStarted, this,
            [this] { emit signalStopOp(0); });
    connect(m_pFileList, &QFileListController::signalRecordAdded, this,
            &QOperatePage::slotChagePageToOperate);
    connect(m_pFileList, &QFileListController::signalAddCompleted, this,
            &QOperatePage::slotAddHeicCompleted);
    connect(m_pFileList, &QFileListController::signalAddsFinished, this,
            &QOperatePage::slotAddsFinished);
    connect(m_pFileList, &QFileListController::signalDelCompleted, this,
            &QOperatePage::slotDelHeicCompleted);
}

bool QOperatePage::addHeicUrls(const QList<QUrl>& listUrls) {
    m_pFileList->addUrls(listUrls);
    return true;
}

bool QOperatePage::addHeicFiles(const QStringList& listPaths) {
    m_pFileList->addFiles(listPaths);
    return true;
}

void QOperatePage::startDelete() {
    emit signalStopOp(1);
    m_pFileList->deleteFiles(QFileListController::checkedPaths(*m_pTableView, *m_pModel),
                             QFileListController::rowChecks(m_pTableView, m_pModel));
}

void QOperatePage::stopWorkers() {
    m_pFileList->stopWorkers();
}

int QOperatePage::runningWorkers() const {
    return m_pFileList->runningWorkers();
}

void QOperatePage::slotChagePageToOperate() {
    showPage(1);
    // Once per burst of added records: a refresh walks every row.
    if (m_bRefreshPending) {
        return;
    }
    m_bRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bRefreshPending = false;
        m_pModel->refresh();
    });
}

void QOperatePage::slotAddHeicCompleted(int nStartRow) {
    // The new rows came last; sorted in, they are checked where they went.
    m_pProxy->sort(m_pHeader->sortIndicatorSection(), m_pHeader->sortIndicatorOrder());
    QVector<int> added;
    for (int row = qMax(0, nStartRow); row < m_pModel->rowCount(); ++row) {
        added.append(m_pProxy->mapFromSource(m_pModel->index(row, 0)).row());
    }
    m_pTableView->setRowsChecked(added, true);
    m_pModel->refresh();
    LOG(INFO) << "Add heic completed, list count : " << m_pModel->rowCount();
    refreshBtnState();
}

void QOperatePage::slotAddsFinished(int nRefused) {
    emit signalOpCompleted();
    showRefusedFiles(nRefused);
}

void QOperatePage::showRefusedFiles(int count) {
    // One message for the whole batch, after the wait dialog has gone.
    if (count == 0) {
        return;
    }
    QMessageboxEx box(tr("Warn"),
                      tr("%1 file(s) not added: Pixvue converts HEIC, HEIF and AVIF pictures "
                         "only.")
                          .arg(count),
                      2, 0, this);
    box.setButtonText(tr("OK"), QString());
    box.exec();
}

void QOperatePage::slotDelHeicCompleted() {
    emit signalOpCompleted();
    LOG(INFO) << "Delete completed";
    m_pModel->refresh();
    refreshBtnState();
    if (m_pModel->rowCount() > 0) {
        m_pFileList->startCollect();
    } else {
        showPage(0);
        LOG(INFO) << "Delete all heic";
    }
}

// ---- Table buttons

int QOperatePage::sourceRow(const QModelIndex& index) const {
    if (index.model() == m_pProxy.data()) {
        return m_pProxy->mapToSource(index).row();
    }
    return index.row();
}

void QOperatePage::slotTableDelete(QModelIndex index) {
    m_pFileList->removeRow(sourceRow(index));
    if (m_pModel->rowCount() == 0) {
        showPage(0);
    }
}

void QOperatePage::slotTablePreview(QModelIndex index) {
    if (const HeicModelData* record = m_pModel->heicData(sourceRow(index))) {
        emit signalShowImage(record->strFilePath);
    }
}

void QOperatePage::slotTableOpenFolder(QModelIndex) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_strLastDir));
}

void QOperatePage::slotRefreshTableView() {
    m_pModel->refresh();
}

void QOperatePage::showPage(int index) {
    if (m_pStack != nullptr) {
        m_pStack->setCurrentIndex(index);
    }
}

// ---- Output directory and conversion

bool QOperatePage::isSystemDirectory(const QString& path) {
    static const QStringList systemDirs{"/bin",   "/boot",  "/dev",    "/etc",  "/lib",
                                        "/lib32", "/lib64", "/libx32", "/proc", "/run",
                                        "/sbin",  "/sys",   "/usr",    "/var"};
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (clean == QLatin1String("/")) {
        return true;
    }
    for (const QString& dir : systemDirs) {
        if (clean == dir || clean.startsWith(dir + QLatin1Char('/'))) {
            return true;
        }
    }
    return false;
}

void QOperatePage::chooseOutputDir() {
    const QString caption = tr("Select Directory");
    const QString start = m_pEditPath->text().trimmed();
    const QString dir = m_directoryChooser
                            ? m_directoryChooser(this, caption, start)
                            : QFileDialog::getExistingDirectory(
                                  this, caption, start,
                                  QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (dir.isEmpty()) {
        return;
    }
    if (isSystemDirectory(dir)) {
        QMessageboxEx box(tr("Warn"),
                          tr("Please select a non-system directory for output directory"), 2, 0,
                          this);
        box.setButtonText(tr("OK"), QString());
        box.exec();
        return;
    }
    m_strLastDir = dir;
    ZtConfig::NewInstance()->setOutputDir(dir);
    m_pEditPath->setText(dir);
    m_pEditPath->setCursorPosition(0);
}

void QOperatePage::startConvert() {
    ZtConfig* config = ZtConfig::NewInstance();
    const QString base =
        config->getOutPutType() == CustomOutPut ? m_pEditPath->text() : m_strDefaultDir;
    m_strLastDir = base + QStringLiteral("//");
    makeDirectory(m_strLastDir);
    m_strLastDir += formatFolder(config->getConvertFormat());
    makeDirectory(m_strLastDir);
    QVariant rows = QVariant::fromValue(m_pTableView->checkedRows());
    emit signalConvertImage(rows, m_strLastDir);
}

void QOperatePage::trackConversion(const QVariant& listIndex) {
    m_listConverting.clear();
    for (const QModelIndex& index : listIndex.value<QModelIndexList>()) {
        m_listConverting.append(QPersistentModelIndex(index));
    }
}

void QOperatePage::slotConvertFinished() {
    // What was converted is unchecked: "Convert" again converts what is left.
    QVector<int> converted;
    for (const QPersistentModelIndex& index : qAsConst(m_listConverting)) {
        const auto* record = static_cast<const HeicModelData*>(QTableModelBase::record(index));
        if (record != nullptr && record->nConvertState == HeicModelData::Completed) {
            converted.append(index.row());
        }
    }
    m_listConverting.clear();
    m_pTableView->setRowsChecked(converted, false);
    m_pModel->refresh();
}

QStringList QOperatePage::listedPaths() const {
    QStringList paths;
    for (int row = 0; row < m_pProxy->rowCount(); ++row) {
        const auto* record =
            static_cast<const HeicModelData*>(QTableModelBase::record(m_pProxy->index(row, 0)));
        if (record != nullptr) {
            paths.append(record->strFilePath);
        }
    }
    return paths;
}
