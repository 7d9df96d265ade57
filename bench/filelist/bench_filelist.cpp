// bench_filelist [files]   (QT_QPA_PLATFORM=offscreen for a machine without a display)
// Adds a dropped folder of small .heic files through the operate page, removes 1,000 checked
// rows, scrolls the list, and prints each time with the longest gap between ticks of a 5 ms
// timer on the GUI thread.

#include "filelist/qtablemodelbase.h"
#include "filelist/qtableviewbase.h"
#include "mainwindow/zentarpixvue.h"
#include "pages/qfilelistcontroller.h"
#include "pages/qoperatepage.h"
#include "qimagetextbutton.h"
#include "ztdatadir.h"
#include "ztlogsetup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// The longest time between two ticks of a timer on the GUI thread while it runs.
class StallMeter {
public:
    StallMeter() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start(5);
        m_clock.start();
    }
    qint64 longestMs() const { return m_longest; }
    void reset() {
        m_longest = 0;
        m_clock.restart();
    }

private:
    void tick() { m_longest = qMax(m_longest, m_clock.restart()); }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// Sleeps between events (the stall meter's timer wakes it); the overload with a time limit
// would spin and take a core from the workers.
void waitUntil(const std::function<bool()>& done) {
    while (!done()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void makeFolder(const QString& dir, int count) {
    for (int i = 0; i < count; ++i) {
        QFile file(QString("%1/IMG_%2.heic").arg(dir).arg(i, 5, 10, QChar('0')));
        if (file.open(QIODevice::WriteOnly)) {
            file.write("x", 1);
        }
    }
}

void report(const char* what, qint64 ms, const StallMeter& meter, const char* goal) {
    std::printf("%-34s %6lld ms   longest GUI stall %4lld ms   (goal: %s, stall < 100 ms)\n", what,
                static_cast<long long>(ms), static_cast<long long>(meter.longestMs()), goal);
}

}  // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QApplication app(argc, argv);
    ztlog::ensureDataDirectory();
    ztlog::setUpLogging();
    const int count = argc > 1 ? QString(argv[1]).toInt() : 10000;
    QTemporaryDir files;
    makeFolder(files.path(), count);

    zentarPixvue window;
    window.show();
    QOperatePage* page = window.operatePage();
    int completed = 0;
    QObject::connect(page, &QOperatePage::signalOpCompleted, [&completed] { ++completed; });
    StallMeter meter;
    QElapsedTimer clock;

    meter.reset();
    clock.start();
    emit window.signalUrlsDropped({QUrl::fromLocalFile(files.path())});
    waitUntil([&] { return completed == 1; });
    report(qPrintable(QString("add a folder of %1 files").arg(count)), clock.elapsed(), meter,
           "< 3000 ms");
    page->stopWorkers();

    QTableViewBase* view = page->tableView();
    view->clearSelection();
    QItemSelection every;
    for (int row = 0; row < page->model()->rowCount(); row += qMax(1, count / 1000)) {
        every.select(view->model()->index(row, 0), view->model()->index(row, 7));
    }
    view->selectionModel()->select(every, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const int checked = view->checkedRows().size();
    meter.reset();
    clock.restart();
    page->removeButton()->click();
    waitUntil([&] { return completed == 2; });
    report(qPrintable(QString("remove %1 checked of %2 rows").arg(checked).arg(count)),
           clock.elapsed(), meter, "< 2000 ms");
    page->stopWorkers();

    const int frames = 120;
    meter.reset();
    clock.restart();
    QScrollBar* bar = view->verticalScrollBar();
    for (int frame = 0; frame < frames; ++frame) {
        bar->setValue(bar->maximum() * frame / frames);
        view->viewport()->repaint();
        QApplication::processEvents();
    }
    const qint64 scrollMs = qMax<qint64>(1, clock.elapsed());
    std::printf("%-34s %6.0f frames/s (goal: 60)\n", "scroll and repaint the list",
                frames * 1000.0 / scrollMs);
    std::printf("rows left %d, listed paths %d\n", page->model()->rowCount(),
                int(page->fileList()->paths().size()));
    window.stopBackgroundWork();
    return 0;
}
