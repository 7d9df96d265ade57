#pragma once

#include "dialogs/qoverlaydialog.h"

#include <QPixmap>

class QAdaptiveLabel;
class QImageLable;
class QImageTextButton;
class QTimer;

// The "please wait" overlay while files are added (type 0) or removed (type 1), with a button
// that stops the work.
class QStopAddDelImgDlg : public QOverlayDialog {
    Q_OBJECT

public:
    QStopAddDelImgDlg(int nType, QWidget* parent = nullptr);

    QAdaptiveLabel* statusLabel() const { return m_pLblStatus; }
    QImageTextButton* stopButton() const { return m_pBtnStop; }
    bool animationPhase() const { return m_bPhase; }
    bool isAnimating() const;

signals:
    void signalClose();

public slots:
    void slotStop();
    void slotClose();
    void slotTimerOut();

private:
    int m_nType;
    QAdaptiveLabel* m_pLblStatus = nullptr;
    QImageLable* m_pLblAnimation = nullptr;
    QImageTextButton* m_pBtnStop = nullptr;
    QTimer* m_pTimer = nullptr;
    bool m_bPhase = false;
    QPixmap m_frames[2];
};
