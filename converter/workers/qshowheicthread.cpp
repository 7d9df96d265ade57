#include "qshowheicthread.h"

QShowHeicThread::QShowHeicThread(QObject* parent)
    : QThread(parent), m_pImage(std::make_unique<QImage>()) {
    qRegisterMetaType<QImage*>("QImage*");
}

QShowHeicThread::~QShowHeicThread() {
    wait();
}

void QShowHeicThread::startShow(const QString& strPath) {
    m_strPath = strPath;
    start(QThread::InheritPriority);
}

void QShowHeicThread::run() {
    const bool bRet = m_engine.getShowImg(m_strPath, m_pImage.get());
    m_handOff.post([this, bRet] { emit signalShowImge(bRet, m_pImage.get()); });
}
