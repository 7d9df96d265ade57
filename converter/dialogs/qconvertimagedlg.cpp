#include "qconvertimagedlg.h"

#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "workers/qconvertheicthread.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const int kContentWidth = 470;
const int kContentHeight = 242;
const int kTitleHeight = 44;
const int kAnimationMs = 300;
const QColor kTextColor("#444444");
}  // namespace

QConvertImageDlg::QConvertImageDlg(const QVariant& listIndex, const QString& strOutputDir,
                                   QWidget* parent, int nParallelFiles,
                                   const WorkerSetup& setupWorker)
    : CFramelessDialog(parent), m_listIndex(listIndex), m_strOutputDir(strOutputDir) {
    setDialogSize(kContentWidth, kContentHeight);
    setTitleSize(QSize(kContentWidth, kTitleHeight));
    setTitleColor(QColor("#F3F6FD"));
    createWidgets();
    createLayout();
    connect(m_pBtnStop, &QImageTextButton::clicked, this, &QConvertImageDlg::slotBtnStop);
    connect(m_pBtnViewFile, &QImageTextButton::clicked, this, &QConvertImageDlg::slotBtnViewFile);
    connect(m_pBtnCompleted, &QImageTextButton::clicked, this, &QConvertImageDlg::slotBtnCompleted);
    connect(this, &QConvertImageDlg::signalClose, this, &QConvertImageDlg::slotClose);
    connect(m_pTimer, &QTimer::timeout, this, &QConvertImageDlg::slotTimerOut);
    startWorker(nParallelFiles, setupWorker);
    m_pTimer->start(kAnimationMs);
}

QConvertImageDlg::~QConvertImageDlg() {
    delete m_pWorker;  // stops and waits for the files in hand
}

void QConvertImageDlg::createWidgets() {
    m_pLblTitle = new QAdaptiveLabel(kTextColor, FontSpec(16, 50), this);
    m_pLblTitle->setFixedHeight(22);
    m_pLblTitle->setText(tr("Converting"));
    setWindowTitle(tr("Converting"));

    m_pLblAnimation = pixvue::createBusyIcon(m_frames, this);

    m_pLblStatus = new QAdaptiveLabel(kTextColor, FontSpec(16, 50), this);
    m_pLblStatus->setFixedHeight(22);
    m_pLblStatus->setText(tr("Converting, please wait..."));

    m_pBtnStop = pixvue::createWideButton(tr("Stop Convert"), this);
    m_pBtnViewFile = pixvue::createWideButton(tr("View Files"), this);
    m_pBtnViewFile->hide();
    m_pBtnCompleted = pixvue::createWideButton(tr("Completed"), this);
    m_pBtnCompleted->hide();
    m_pTimer = new QTimer(this);
}

void QConvertImageDlg::createLayout() {
    auto* titleRow = new QHBoxLayout();
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->setSpacing(0);
    titleRow->addSpacing(15);
    titleRow->addWidget(m_pLblTitle);
    titleRow->addStretch();

    auto* buttonRow = new QHBoxLayout();
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(0);
    buttonRow->addStretch();
    buttonRow->addWidget(m_pBtnCompleted);
    buttonRow->addSpacing(20);
    buttonRow->addWidget(m_pBtnStop);
    buttonRow->addSpacing(20);
    buttonRow->addWidget(m_pBtnViewFile);
    buttonRow->addStretch();

    const int margin = CFramelessDialog::kShadowMargin;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(0);
    layout->addSpacing(12);
    layout->addLayout(titleRow);
    layout->addSpacing(10);
    layout->addWidget(m_pLblAnimation, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(m_pLblStatus, 0, Qt::AlignHCenter);
    layout->addSpacing(10);
    layout->addLayout(buttonRow);
    layout->addStretch();
}

void QConvertImageDlg::startWorker(int nParallelFiles, const WorkerSetup& setupWorker) {
    m_pWorker = new QConvertHeicThread(this, nParallelFiles);
    if (setupWorker) {
        setupWorker(*m_pWorker);
    }
    connect(m_pWorker, &QConvertHeicThread::signalConvertNum, this,
            &QConvertImageDlg::slotConvertNum);
    connect(m_pWorker, &QConvertHeicThread::signalConvertFinished, this,
            &QConvertImageDlg::slotConvertFinished);
    connect(m_pWorker, &QThread::finished, m_pWorker, &QObject::deleteLater);
    m_pWorker->startConvert(m_listIndex, m_strOutputDir);
}

void QConvertImageDlg::slotTimerOut() {
    m_bAnimationPhase = !m_bAnimationPhase;
    m_pLblAnimation->setPixmap(m_frames[m_bAnimationPhase ? 1 : 0]);
}

void QConvertImageDlg::slotConvertNum(int nNum, int totalNum) {
    m_pLblStatus->setText(tr("Converting, please wait...(%1/%2)").arg(nNum).arg(totalNum));
    emit signalRefreshTableView();
}

QConvertImageDlg::Outcome QConvertImageDlg::outcomeOf(int nSuccessNum, int nFailNum, int totalNum) {
    if (nSuccessNum + nFailNum < totalNum) {
        return Stopped;
    }
    if (nFailNum > 0) {
        return nSuccessNum > 0 ? SomeFailed : AllFailed;
    }
    return AllConverted;
}

void QConvertImageDlg::slotConvertFinished(int nSuccessNum, int nFailNum, int totalNum) {
    m_bCompleted = true;
    m_nOutcome = outcomeOf(nSuccessNum, nFailNum, totalNum);
    QString title = tr("Convert Completed");
    QString status = tr("Conversion completed, Total:%1,Suc:%2,Fail:%3");
    if (m_nOutcome == Stopped) {
        title = tr("Convert Stopped");
        status = tr("Conversion stopped, Total:%1,Suc:%2,Fail:%3,Not converted:%4");
    } else if (m_nOutcome == AllFailed) {
        title = tr("Convert Failed");
        status = tr("Conversion failed, Total:%1,Suc:%2,Fail:%3");
    }
    status = status.arg(totalNum).arg(nSuccessNum).arg(nFailNum);
    if (m_nOutcome == Stopped) {
        status = status.arg(totalNum - nSuccessNum - nFailNum);
    }
    m_pLblStatus->setText(status);
    m_pBtnCompleted->show();
    m_pBtnStop->hide();
    m_pBtnViewFile->show();
    m_pBtnViewFile->setEnabled(nSuccessNum > 0);
    m_pLblTitle->setText(title);
    setWindowTitle(title);
    m_pTimer->stop();
    m_pLblAnimation->setPixmap(outcomeIcon(m_nOutcome, m_frames[0].size()));
}

QPixmap QConvertImageDlg::outcomeIcon(Outcome outcome, const QSize& size) {
    switch (outcome) {
        case AllConverted:
            return pixvue::messageIcon(pixvue::SuccessIcon, size);
        case AllFailed:
            return pixvue::messageIcon(pixvue::FailureIcon, size);
        default:
            return pixvue::messageIcon(pixvue::WarningIcon, size);
    }
}

void QConvertImageDlg::slotBtnStop() {
    m_pTimer->stop();
    stopWorker();
}

void QConvertImageDlg::stopWorker() {
    if (m_pWorker) {
        m_pWorker->stop();
    }
}

void QConvertImageDlg::slotBtnViewFile() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_strOutputDir));
    close();
}

void QConvertImageDlg::slotBtnCompleted() {
    close();
}

void QConvertImageDlg::slotClose() {
    m_pTimer->stop();
    stopWorker();
    m_bClosing = true;
    close();
}

void QConvertImageDlg::reject() {
    if (m_bCompleted || m_bClosing) {
        CFramelessDialog::reject();
    }
}
