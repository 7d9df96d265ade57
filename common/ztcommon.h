#pragma once

#include "ztcommon_global.h"
#include "ztserverdefine.h"

#include <QString>

// True exactly when the web service offers a version newer than the installed one
// (Cfg/Version.ini); the details land in info. Failures of the check also give false.
// The first argument is not used: the installed version is always the one checked.
ZTCOMMON_EXPORT bool Com_CheckSoftVersion(QString version, UpdateInfo& info);
