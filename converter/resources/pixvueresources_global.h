#pragma once

#include <QtCore/qglobal.h>

#if defined(PIXVUERESOURCES_LIBRARY)
#define PIXVUE_RESOURCES_EXPORT Q_DECL_EXPORT
#else
#define PIXVUE_RESOURCES_EXPORT Q_DECL_IMPORT
#endif
