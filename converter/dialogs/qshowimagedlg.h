#pragma once

#include "dialogs/qoverlaydialog.h"

#include <QPointer>
#include <QString>

class QImage;
class QImageLable;
class QLabel;
class QMovie;
class QShowHeicThread;
class QThreadKeeper;

// The large preview of one HEIC file over the main window: a loading animation while the
// preview worker decodes, then the first image scaled into 600 x 600, or the load-failure
// image. Only the close mark closes it. keeper takes the worker.
class QShowImageDlg : public QOverlayDialog {
    Q_OBJECT

public:
    QShowImageDlg(const QString& strFilePath, QThreadKeeper& keeper, QWidget* parent = nullptr);
    ~QShowImageDlg() override;

    QLabel* closeMark() const { return m_pLblClose; }
    QLabel* loadingLabel() const { return m_pLblLoading; }
    QImageLable* imageLabel() const { return m_pImage; }
    bool isLoaded() const { return m_bLoaded; }
    bool loadFailed() const { return m_bFailed; }

public slots:
    void slotShowImage(bool bRet, QImage* pImage);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startWorker();
    void placeChildren();

    QString m_strFilePath;
    QPointer<QThreadKeeper> m_pKeeper;
    QLabel* m_pLblClose = nullptr;
    QLabel* m_pLblLoading = nullptr;
    QMovie* m_pMovie = nullptr;
    QImageLable* m_pImage = nullptr;
    QPointer<QShowHeicThread> m_pWorker;
    bool m_bLoaded = false;
    bool m_bFailed = false;
};
