#pragma once

#include "ztsharelog_global.h"

// easylogging++ is compiled into this library: its classes are part of the library's API.
#pragma GCC visibility push(default)
#include <easylogging++.h>
#pragma GCC visibility pop

// The one easylogging++ storage of the process, shared by every module that logs.
ZTSHARELOG_EXPORT el::base::type::StoragePointer sharedLoggingRepository();
