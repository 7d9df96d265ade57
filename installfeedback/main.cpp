#include "zthttpserver.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The installer reads this line from standard output.
void printOutcome(const char* text) {
    std::puts(text);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ztlog::setUpLogging();
    LOG(INFO) << "================ztInstallFeedback start=================";

    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <software type> <operation type>\n", argv[0]);
        LOG(ERROR) << "missing arguments: software type and operation type expected";
        printOutcome("Fail");
        LOG(INFO) << "================ztInstallFeedback end=================";
        return kExitUsage;
    }
    const QString softType = QString::fromLocal8Bit(argv[1]);
    const QString operateType = QString::fromLocal8Bit(argv[2]);

    ZtHttpServer server;
    int result = 0;
    if (server.ServerUserOperation(softType, operateType) == 1) {
        LOG(ERROR) << softType << "  " << operateType << " suc:";
        printOutcome("SUC");
    } else {
        const int error = server.getLastError();
        LOG(ERROR) << softType << "  " << operateType << " fail ,error code:" << error;
        printOutcome("Fail");
        result = kExitFailure;
    }
    LOG(INFO) << "================ztInstallFeedback end=================";
    return result;
}
