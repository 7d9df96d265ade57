#pragma once

#include "ztsharelog_global.h"

namespace ztlog {

// Points this module at the shared storage and configures the "default" logger:
// to file only, one file a day in the data directory's "Trace/", the common line format.
// A program that runs past midnight moves on to the new day's file by itself.
ZTSHARELOG_EXPORT void setUpLogging();

}  // namespace ztlog
