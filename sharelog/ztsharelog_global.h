#pragma once

#include <QtGlobal>

#if defined(ZTSHARELOG_LIBRARY)
#define ZTSHARELOG_EXPORT Q_DECL_EXPORT
#else
#define ZTSHARELOG_EXPORT Q_DECL_IMPORT
#endif
