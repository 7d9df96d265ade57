#include "qstopadddelimgdlg.h"

#include "dialogs/dialogframe.h"
#include "qadaptivelabel.h"
#include "qimagelable.h"
#include "qimagetextbutton.h"
#include "workers/qaddheicthread.h"
#include "workers/qdetheicthread.h"

#include <QTimer>
#include <QVBoxLayout>

QStopAddDelImgDlg::QStopAddDelImgDlg(int nType, QWidget* parent)
    : QOverlayDialog(parent), m_nType(nType) {
    m_pLblAnimation = pixvue::createBusyIcon(m_frames, this);
    m_pLblStatus = new QAdaptiveLabel(QColor("#FFFFFF"), FontSpec(16, 50), this);
    m_pLblStatus->setFixedHeight(22);
    m_pBtnStop = pixvue::createWideButton(QString(), this);
    connect(m_pBtnStop, &QImageTextButton::clicked, this, &QStopAddDelImgDlg::slotStop);
    connect(this, &QStopAddDelImgDlg::signalClose, this, &QStopAddDelImgDlg::slotClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(0);
    layout->addStretch();
    layout->addWidget(m_pLblAnimation, 0, Qt::AlignHCenter);
    layout->addSpacing(12);
    layout->addWidget(m_pLblStatus, 0, Qt::AlignHCenter);
    layout->addSpacing(20);
    layout->addWidget(m_pBtnStop, 0, Qt::AlignHCenter);
    layout->addStretch();

    if (m_nType == 0) {
        m_pBtnStop->setText(tr("Stop Add"));
        m_pLblStatus->setText(tr("Adding Heic Files, please wait..."));
    } else if (m_nType == 1) {
        m_pBtnStop->setText(tr("Stop Delete"));
        m_pLblStatus->setText(tr("Deleting Heic Files, please wait..."));
    }
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &QStopAddDelImgDlg::slotTimerOut);
    m_pTimer->start(1000);
}

bool QStopAddDelImgDlg::isAnimating() const {
    return m_pTimer->isActive();
}

void QStopAddDelImgDlg::slotTimerOut() {
    m_bPhase = !m_bPhase;
    m_pLblAnimation->setPixmap(m_frames[m_bPhase ? 1 : 0]);
}

void QStopAddDelImgDlg::slotStop() {
    QAddHeicThread::setStopFlag(true);
    QDetHeicThread::setStopFlag(true);
    m_pTimer->stop();
    close();
}

void QStopAddDelImgDlg::slotClose() {
    m_pTimer->stop();
    close();
}
