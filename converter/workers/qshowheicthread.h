#pragma once

#include "ztheicapi.h"

#include <QImage>
#include <QString>
#include <QThread>

#include <memory>

// Produces the preview image of one HEIC file. The image stays the worker's: the pointer that
// signalShowImge hands out is valid until the worker is deleted.
class QShowHeicThread : public QThread {
    Q_OBJECT

public:
    explicit QShowHeicThread(QObject* parent = nullptr);
    ~QShowHeicThread() override;

    void startShow(const QString& strPath);

signals:
    void signalShowImge(bool bRet, QImage* pImge);

protected:
    void run() override;

private:
    QString m_strPath;
    ZtHeicAPI m_engine;
    std::unique_ptr<QImage> m_pImage;
};
