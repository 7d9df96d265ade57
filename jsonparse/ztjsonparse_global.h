#pragma once

#include <QtGlobal>

#if defined(ZTJSONPARSE_LIBRARY)
#define ZTJSONPARSE_EXPORT Q_DECL_EXPORT
#else
#define ZTJSONPARSE_EXPORT Q_DECL_IMPORT
#endif
