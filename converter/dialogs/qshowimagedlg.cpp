#include "qshowimagedlg.h"

#include "core/qthreadkeeper.h"
#include "qimagelable.h"
#include "workers/qshowheicthread.h"

#include <QLabel>
#include <QMouseEvent>
#include <QMovie>

namespace {

const int kImageSize = 600;
const int kTitleHeight = 54;  // the main window's title bar
const int kCloseInset = 20;

}  // namespace

QShowImageDlg::QShowImageDlg(const QString& strFilePath, QThreadKeeper& keeper, QWidget* parent)
    : QOverlayDialog(parent), m_strFilePath(strFilePath), m_pKeeper(&keeper) {
    const QPixmap close(QStringLiteral(":/Img/res/png_close.png"));
    m_pLblClose = new QLabel(this);
    m_pLblClose->setPixmap(close);
    m_pLblClose->setFixedSize(close.size());

    m_pMovie = new QMovie(QStringLiteral(":/Img/res/gif_checking.gif"), QByteArray(), this);
    m_pLblLoading = new QLabel(this);
    m_pLblLoading->setMovie(m_pMovie);
    m_pMovie->start();
    const QSize loading = m_pMovie->currentPixmap().size().isEmpty()
                              ? QSize(40, 40)
                              : m_pMovie->currentPixmap().size();
    m_pLblLoading->setFixedSize(loading);

    m_pImage = new QImageLable(QString(), this);
    m_pImage->setBackgroundColor(QColor(0, 18, 55, 128));
    m_pImage->setFixedSize(kImageSize, kImageSize);
    m_pImage->hide();
    placeChildren();
    startWorker();
}

QShowImageDlg::~QShowImageDlg() {
    if (!m_pWorker || !m_pWorker->isRunning()) {
        return;
    }
    // Closed while decoding: the keeper takes the worker, which ends on its own and is waited
    // for when the program ends; without the keeper (gone first) the dialog waits.
    if (!m_pKeeper.isNull()) {
        disconnect(m_pWorker, nullptr, this, nullptr);
        m_pWorker->setParent(m_pKeeper);
    } else {
        m_pWorker->wait();
    }
}

void QShowImageDlg::resizeEvent(QResizeEvent* event) {
    QOverlayDialog::resizeEvent(event);
    placeChildren();
}

// The picture and the animation centred; the close mark in the dimmed area's top-right
// corner below the window's title bar, whose buttons stay clear.
void QShowImageDlg::placeChildren() {
    const auto centred = [this](QWidget* child) {
        child->move((width() - child->width()) / 2, (height() - child->height()) / 2);
    };
    centred(m_pLblLoading);
    centred(m_pImage);
    m_pLblClose->move(width() - kMargin - kCloseInset - m_pLblClose->width(),
                      kMargin + kTitleHeight + kCloseInset);
}

void QShowImageDlg::startWorker() {
    m_pWorker = new QShowHeicThread(this);
    connect(m_pWorker, &QShowHeicThread::signalShowImge, this, &QShowImageDlg::slotShowImage);
    m_pKeeper->keep(m_pWorker);
    m_pWorker->startShow(m_strFilePath);
}

void QShowImageDlg::slotShowImage(bool bRet, QImage* pImage) {
    QPixmap pixmap;
    if (bRet && pImage != nullptr) {
        pixmap = QPixmap::fromImage(*pImage);
    }
    m_bFailed = pixmap.isNull();
    if (m_bFailed) {
        pixmap = QPixmap(QStringLiteral(":/Img/res/png_loadfail.png"));
    }
    m_pImage->setPixmap(pixmap);
    m_pImage->show();
    m_pMovie->stop();
    m_pLblLoading->hide();
    m_bLoaded = true;
}

void QShowImageDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pLblClose->geometry().contains(event->pos())) {
        close();
    }
    QOverlayDialog::mousePressEvent(event);
}
