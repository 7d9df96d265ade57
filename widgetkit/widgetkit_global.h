#pragma once

#include <QtGlobal>

#if defined(ZTWIDGETKIT_LIBRARY)
#define ZTWIDGETKIT_EXPORT Q_DECL_EXPORT
#else
#define ZTWIDGETKIT_EXPORT Q_DECL_IMPORT
#endif
