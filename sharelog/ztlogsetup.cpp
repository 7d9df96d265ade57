#include "ztlogsetup.h"

#include "ztdatadir.h"
#include "ztsharelog.h"

#include <atomic>
#include <ctime>

namespace ztlog {
namespace {

const char kCallbackId[] = "ZtDailyFileRollover";

std::string logFilePattern() {
    return (dataDirectory() + QStringLiteral("Trace/%datetime{%Y%M%d}.log")).toStdString();
}

std::time_t nextLocalMidnight(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_mday += 1;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void applyConfiguration() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::ToFile, "true");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    conf.setGlobally(el::ConfigurationType::Filename, logFilePattern());
    conf.setGlobally(el::ConfigurationType::Format, "[%datetime][%level]-->[%func,%line] %msg");
    el::Logger* logger = el::Loggers::getLogger("default", true);
    el::Loggers::reconfigureLogger(logger, conf);
}

// easylogging++ resolves the date in the file name once, when the logger is configured.
// This callback reconfigures the logger when a line is dispatched on a later day; it runs
// under the storage's recursive lock, so no other thread writes meanwhile.
class DailyFileRollover : public el::LogDispatchCallback {
public:
    static void armFrom(std::time_t now) { s_nextSwitch.store(nextLocalMidnight(now)); }

protected:
    void handle(const el::LogDispatchData*) override {
        const std::time_t now = std::time(nullptr);
        if (now < s_nextSwitch.load()) {
            return;
        }
        armFrom(now);
        applyConfiguration();
    }

private:
    static std::atomic<std::time_t> s_nextSwitch;
};

std::atomic<std::time_t> DailyFileRollover::s_nextSwitch{0};

}  // namespace

void setUpLogging() {
    el::Helpers::setStorage(sharedLoggingRepository());
    applyConfiguration();
    DailyFileRollover::armFrom(std::time(nullptr));
    if (el::Helpers::logDispatchCallback<DailyFileRollover>(kCallbackId) == nullptr) {
        el::Helpers::installLogDispatchCallback<DailyFileRollover>(kCallbackId);
    }
    el::Loggers::addFlag(el::LoggingFlag::LogDetailedCrashReason);
    el::Loggers::addFlag(el::LoggingFlag::DisableApplicationAbortOnFatalLog);
    el::Helpers::setStorage(sharedLoggingRepository());
}

}  // namespace ztlog
