#include "qfaultpostresources.h"

#include <QtCore/qglobal.h>

static void registerQFaultPostResources() {
    Q_INIT_RESOURCE(qfaultpost);
    Q_INIT_RESOURCE(qfaultpost_translation);
}

namespace qfaultpost {

void initResources() {
    registerQFaultPostResources();
}

}  // namespace qfaultpost
