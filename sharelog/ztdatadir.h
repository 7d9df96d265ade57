#pragma once

#include "ztsharelog_global.h"

#include <QString>

namespace ztlog {

// The per-user data directory shared by all programs, ending with "/":
// the generic data location followed by "/zentar/Pixvue/". It is not created here.
ZTSHARELOG_EXPORT QString dataDirectory();

// dataDirectory(), created with all missing parents.
ZTSHARELOG_EXPORT QString ensureDataDirectory();

}  // namespace ztlog
