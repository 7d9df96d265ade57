#pragma once

#include "ztsharelog_global.h"

#include <easylogging++.h>

// The one easylogging++ storage of the process, shared by every module that logs.
ZTSHARELOG_EXPORT el::base::type::StoragePointer sharedLoggingRepository();
