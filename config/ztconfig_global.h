#pragma once

#include <QtGlobal>

#if defined(ZTCONFIG_LIBRARY)
#define ZTCONFIG_EXPORT Q_DECL_EXPORT
#else
#define ZTCONFIG_EXPORT Q_DECL_IMPORT
#endif
