#pragma once

#include <QtGlobal>

#if defined(ZTHEICAPI_LIBRARY)
#define ZTHEICAPI_EXPORT Q_DECL_EXPORT
#else
#define ZTHEICAPI_EXPORT Q_DECL_IMPORT
#endif
