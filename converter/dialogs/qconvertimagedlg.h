#pragma once

#include "cframelessdialog.h"

#include <QModelIndexList>
#include <QPixmap>
#include <QPointer>
#include <QVariant>

#include <functional>

class QAdaptiveLabel;
class QConvertHeicThread;
class QImageLable;
class QImageTextButton;
class QTimer;

// Runs one conversion: starts the convert worker on the checked rows, shows the count of files
// done out of the total with a blinking icon, lets the user stop, and ends with the counts and
// a button that opens the output folder.
class QConvertImageDlg : public CFramelessDialog {
    Q_OBJECT

public:
    // How a run ended: every file converted, some failed, all failed, or stopped with files
    // left unconverted.
    enum Outcome { Running, AllConverted, SomeFailed, AllFailed, Stopped };
    static Outcome outcomeOf(int nSuccessNum, int nFailNum, int totalNum);

    // Called with the worker before it starts (tests hold files there).
    using WorkerSetup = std::function<void(QConvertHeicThread&)>;

    // nParallelFiles: files converted at once, 0 for the worker's default.
    QConvertImageDlg(const QVariant& listIndex, const QString& strOutputDir,
                     QWidget* parent = nullptr, int nParallelFiles = 0,
                     const WorkerSetup& setupWorker = {});
    ~QConvertImageDlg() override;

    QConvertHeicThread* worker() const { return m_pWorker; }
    bool isCompleted() const { return m_bCompleted; }
    Outcome outcome() const { return m_nOutcome; }

    QAdaptiveLabel* titleLabel() const { return m_pLblTitle; }
    QAdaptiveLabel* statusLabel() const { return m_pLblStatus; }
    QImageLable* animationLabel() const { return m_pLblAnimation; }
    QImageTextButton* viewFilesButton() const { return m_pBtnViewFile; }
    QImageTextButton* stopButton() const { return m_pBtnStop; }
    QImageTextButton* completedButton() const { return m_pBtnCompleted; }

signals:
    void signalClose();
    void signalRefreshTableView();

public slots:
    void slotBtnViewFile();
    void slotBtnStop();
    void slotBtnCompleted();
    void slotClose();
    void slotTimerOut();
    void slotConvertNum(int nNum, int totalNum);
    void slotConvertFinished(int nSuccessNum, int nFailNum, int totalNum);

protected:
    // While converting only "Stop Convert" ends the work: Escape does not close the dialog.
    void reject() override;

private:
    void createWidgets();
    void createLayout();
    void startWorker(int nParallelFiles, const WorkerSetup& setupWorker);
    void stopWorker();
    static QPixmap outcomeIcon(Outcome outcome, const QSize& size);

    QAdaptiveLabel* m_pLblTitle = nullptr;
    QAdaptiveLabel* m_pLblStatus = nullptr;
    QImageLable* m_pLblAnimation = nullptr;
    QImageTextButton* m_pBtnViewFile = nullptr;
    QImageTextButton* m_pBtnStop = nullptr;
    QImageTextButton* m_pBtnCompleted = nullptr;
    QTimer* m_pTimer = nullptr;
    bool m_bAnimationPhase = false;
    QPixmap m_frames[2];
    QVariant m_listIndex;
    QString m_strOutputDir;
    QPointer<QConvertHeicThread> m_pWorker;
    bool m_bCompleted = false;
    Outcome m_nOutcome = Running;
    bool m_bClosing = false;
};
