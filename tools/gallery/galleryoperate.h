#pragma once

#include <QColor>
#include <QPoint>
#include <QStringList>

#include <functional>

class QOperatePage;
class QTableViewBase;

// Helpers of the gallery shots that work the operate page.
namespace galleryoperate {

const QColor kDesktop("#D9DDE3");

// Runs the event loop until the condition holds (at most a minute); whether it holds.
bool waitFor(const std::function<bool()>& condition);
// Adds the files through the page's add worker and waits for it; background work stopped.
void addAndWait(QOperatePage* page, const QStringList& paths);
// Moves the mouse over a point of the list, as the user's mouse would.
void moveOver(QTableViewBase* view, const QPoint& pos);

}  // namespace galleryoperate
