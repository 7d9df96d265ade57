#pragma once

#include <QtGlobal>

#if defined(ZTHTTPSERVER_LIBRARY)
#define ZTHTTPSERVER_EXPORT Q_DECL_EXPORT
#else
#define ZTHTTPSERVER_EXPORT Q_DECL_IMPORT
#endif
