#include "core/qinstallerdownload.h"

// Alone in its file: switching PIXVUE_DISTRIBUTION_PACKAGE rebuilds only this.
bool pixvue::isDistributionPackage() {
#ifdef PIXVUE_DISTRIBUTION_PACKAGE
    return true;
#else
    return false;
#endif
}
