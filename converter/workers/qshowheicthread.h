#pragma once

#include "workers/guihandoff.h"
#include "ztheicapi.h"

#include <QImage>
#include <QString>
#include <QThread>

#include <memory>

// Produces the preview image of one HEIC file. signalShowImge is emitted on the thread the
// worker was made on (the GUI thread), once the image is handed over there. The image stays
// the worker's: the pointer it carries is valid until the worker is deleted.
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
    GuiHandOff m_handOff;  // last: goes first
};
