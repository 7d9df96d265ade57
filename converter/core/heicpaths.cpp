#include "heicpaths.h"

QStringList g_listHeicPaths;
