#include "ztcommon.h"

#include "ztconfig.h"
#include "zthttpserver.h"
#include "ztlog.h"

bool Com_CheckSoftVersion(QString /*version*/, UpdateInfo& info) {
    ZtHttpServer server;
    const QString installed = ZtConfig::NewInstance()->getSoftwareVersion();
    LOG(INFO) << "The software version is [" << installed << "]";
    const RetValue result = server.ServerCheckSoftwareVersion(installed, info);
    if (result == RetSuccess && info.hasNewVersion) {
        LOG(INFO) << "New versions of the software are available!";
        return true;
    }
    if (result == RetSuccess) {
        LOG(INFO) << "The software is already up to date!";
        return false;
    }
    LOG(ERROR) << "Check software version fial!";
    return false;
}
