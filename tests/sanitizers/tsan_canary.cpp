// Two threads increment one plain int without any lock. Under ThreadSanitizer, with the
// project's suppressions in force, this must be reported as a data race: a race in our own
// workers is still seen.
#include <QCoreApplication>
#include <QThread>

namespace {

int unguardedCounter = 0;

class IncrementingThread : public QThread {
protected:
    void run() override {
        for (int i = 0; i < 100000; ++i) {
            ++unguardedCounter;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    IncrementingThread first;
    IncrementingThread second;
    first.start();
    second.start();
    first.wait();
    second.wait();
    return 0;
}
