#include "qaddheicthread.h"

#include "filelist/heicmodeldata.h"
#include "filelist/qtablemodelbase.h"
#include "workers/liveworkers.h"
#include "ztconfig.h"
#include "ztlog.h"
#include "ztpicturetypes.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace {
// A batch goes to the GUI thread when it is this large or this old.
const int kBatchFiles = 256;
const int kBatchMs = 40;
const int kWaitSliceMs = 50;
}  // namespace

QAddHeicThread::QAddHeicThread(QSharedPointer<QHeicModel> pModel, QObject* parent)
    : QThread(parent), m_pModel(std::move(pModel)) {
    LiveWorkers<QAddHeicThread>::enter(this);
}

QAddHeicThread::~QAddHeicThread() {
    stop();
    wait();
    LiveWorkers<QAddHeicThread>::leave(this);
}

void QAddHeicThread::stop() {
    m_bStop = true;
}

bool QAddHeicThread::stopRequested() const {
    return m_bStop;
}

void QAddHeicThread::setStopFlag(bool bStop) {
    if (bStop) {
        LiveWorkers<QAddHeicThread>::stopAll();
    }
}

bool QAddHeicThread::stopFlag() {
    return LiveWorkers<QAddHeicThread>::anyStopped();
}

void QAddHeicThread::startAddUrls(const QList<QUrl>& listUrls) {
    m_listUrls = listUrls;
    m_listPaths.clear();
    startRun();
}

void QAddHeicThread::startAddFiles(const QStringList& listPaths) {
    m_listPaths = listPaths;
    m_listUrls.clear();
    startRun();
}

void QAddHeicThread::startRun() {
    m_bStop = false;
    // Values for the run, read here on the GUI thread.
    m_nFormat = ZtConfig::NewInstance()->getConvertFormat();
    m_nStartRow = m_pModel ? m_pModel->rowCount() : 0;
    start(QThread::InheritPriority);
}

void QAddHeicThread::run() {
    m_batch.clear();
    m_nRefused = 0;
    m_batchDone.tryAcquire(m_batchDone.available());
    m_batchClock.start();
    if (m_listPaths.isEmpty()) {
        walkUrls();
    } else {
        walkPickedPaths();
    }
    flush(true);
    // Queued behind the last batch, so the rows are there when the page hears of it.
    m_handOff.post([this, refused = m_nRefused] {
        if (refused > 0) {
            emit signalFilesRefused(refused);
        }
        emit signalAddCompleted(m_nStartRow);
    });
}

void QAddHeicThread::walkUrls() {
    for (const QUrl& url : qAsConst(m_listUrls)) {
        if (m_bStop) {
            return;
        }
        const QString path = url.toLocalFile();
        if (!path.isEmpty()) {
            addNamedPath(path);
        }
    }
}

void QAddHeicThread::walkDirectory(const QString& path) {
    // Whatever in a folder is not a picture is passed over without a word.
    QDirIterator it(path, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (!m_bStop && it.hasNext()) {
        it.next();
        if (ztpicture::isPictureFile(it.filePath())) {
            addFile(it.fileInfo());
        }
    }
}

void QAddHeicThread::walkPickedPaths() {
    for (const QString& path : qAsConst(m_listPaths)) {
        if (m_bStop) {
            return;
        }
        addNamedPath(path);
    }
}

void QAddHeicThread::addNamedPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        walkDirectory(path);
    } else if (ztpicture::isTakenWhenNamed(path)) {
        addFile(info);
    } else {
        LOG(INFO) << "not added, not a picture: " << path;
        ++m_nRefused;
    }
}

void QAddHeicThread::addFile(const QFileInfo& info) {
    m_batch.append({info.absoluteFilePath(), info.fileName(), info.size()});
    flush(false);
}

void QAddHeicThread::flush(bool force) {
    if (m_batch.isEmpty()) {
        return;
    }
    if (!force && m_batch.size() < kBatchFiles && m_batchClock.elapsed() < kBatchMs) {
        return;
    }
    QVector<FoundFile> files;
    files.swap(m_batch);
    m_batchClock.restart();
    m_handOff.post([this, files] {
        addBatch(files);
        m_batchDone.release();
    });
    if (!force) {
        waitForBatch();
    }
}

void QAddHeicThread::waitForBatch() {
    // In slices: a stop request must not wait for a GUI thread that waits for us.
    while (!m_batchDone.tryAcquire(1, kWaitSliceMs)) {
        if (m_bStop) {
            return;
        }
    }
}

void QAddHeicThread::addBatch(const QVector<FoundFile>& files) {
    if (!m_pModel) {
        return;
    }
    QList<ModelDataBase*> records;
    QSet<QString> batchPaths;
    const QList<QPixmap> cells = checkBoxCells();
    for (const FoundFile& file : files) {
        if (m_pModel->containsPath(file.path) || batchPaths.contains(file.path)) {
            continue;
        }
        batchPaths.insert(file.path);
        auto* record = new HeicModelData;
        record->listCheckBoxPixmap = cells;
        record->strFilePath = file.path;
        record->strFileName = file.name;
        record->setFileSize(file.size);
        record->nOutputFormat = m_nFormat;
        records.append(record);
    }
    m_pModel->addModelData(records);
    for (int i = 0; i < records.size(); ++i) {
        emit signalChagePageToOperate();
    }
}
