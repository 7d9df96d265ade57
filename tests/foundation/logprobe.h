#pragma once

#include <QtGlobal>

// Each probe module writes `count` lines "<tag> <i>" from a method of its own class.
extern "C" Q_DECL_EXPORT void logProbeWriteA(const char* tag, int count);
extern "C" Q_DECL_EXPORT void logProbeWriteB(const char* tag, int count);
