#pragma once

#include <QString>

namespace pixvuecli {

// Shows one desktop notification through the session bus's notification service; does nothing
// when no bus or no such service runs. Needs a QCoreApplication.
void notifyDesktop(const QString& body);

}  // namespace pixvuecli
