// One pass of the log sender over a day's log: read from the start, skip what was sent,
// take the next 10,000 lines. Prints the median wall time of the pass.
//   bench_logsender_pass <log file> <lines already sent> [runs]

#include "logreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <log file> <lines already sent> [runs]\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const qint64 skip = QByteArray(argv[2]).toLongLong();
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;

    std::vector<double> seconds;
    LogChunk chunk;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!readLogChunk(path, skip, 10000, &chunk)) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%.4f %d\n", seconds[seconds.size() / 2], chunk.taken);
    return 0;
}
