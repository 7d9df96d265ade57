#pragma once

#include "ztsharelog_global.h"

#include <QString>

namespace ztlog {

// The per-user data directory shared by all programs, ending with "/":
// the generic data location followed by "/zentar/Pixvue/". It is not created here.
ZTSHARELOG_EXPORT QString dataDirectory();

// dataDirectory(), created with all missing parents.
ZTSHARELOG_EXPORT QString ensureDataDirectory();

// text with the user's home folder written as "~" (whole path components only), for log text
// that leaves the machine.
ZTSHARELOG_EXPORT QByteArray withHomeAsTilde(const QByteArray& text);

}  // namespace ztlog
