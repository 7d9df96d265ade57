// Logs from the executable and from two shared libraries through the one shared storage.
//   logprobe lines N       N lines from each module, and N more from each of two threads
//   logprobe rollover S    one line, a pause of S seconds, one more line
//   logprobe vanish N      N lines, then the process ends at once as a crash would

#include "logprobe.h"
#include "ztlog.h"
#include "ztlogsetup.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <thread>

#include <unistd.h>

namespace {

void writeConcurrently(int count) {
    std::thread first([count] { logProbeWriteA("threadA", count); });
    std::thread second([count] { logProbeWriteB("threadB", count); });
    first.join();
    second.join();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ztlog::setUpLogging();
    if (argc < 3) {
        return 2;
    }
    const int value = std::atoi(argv[2]);
    if (std::strcmp(argv[1], "lines") == 0) {
        for (int i = 0; i < value; ++i) {
            LOG(INFO) << "exe " << i;
        }
        logProbeWriteA("libA", value);
        logProbeWriteB("libB", value);
        writeConcurrently(value);
        return 0;
    }
    if (std::strcmp(argv[1], "vanish") == 0) {
        for (int i = 0; i < value; ++i) {
            LOG(INFO) << "exe " << i;
        }
        _exit(3);  // no destructors, no stream flushing
    }
    if (std::strcmp(argv[1], "rollover") == 0) {
        LOG(INFO) << "before midnight";
        QThread::sleep(static_cast<unsigned long>(value));
        LOG(INFO) << "after midnight";
        return 0;
    }
    return 2;
}
