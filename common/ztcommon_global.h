#pragma once

#include <QtGlobal>

#if defined(ZTCOMMON_LIBRARY)
#define ZTCOMMON_EXPORT Q_DECL_EXPORT
#else
#define ZTCOMMON_EXPORT Q_DECL_IMPORT
#endif
