#include "galleryoperate.h"

#include "filelist/qtableviewbase.h"
#include "pages/qoperatepage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

namespace galleryoperate {

bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

void addAndWait(QOperatePage* page, const QStringList& paths) {
    bool done = false;
    auto connection =
        QObject::connect(page, &QOperatePage::signalOpCompleted, [&done] { done = true; });
    page->addHeicFiles(paths);
    waitFor([&done] { return done; });
    QObject::disconnect(connection);
    page->stopWorkers();
}

void moveOver(QTableViewBase* view, const QPoint& pos) {
    QMouseEvent event(QEvent::MouseMove, pos, view->viewport()->mapToGlobal(pos), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
    view->viewport()->repaint();
}

}  // namespace galleryoperate
