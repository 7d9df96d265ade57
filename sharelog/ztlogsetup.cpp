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

el::Configurations dailyConfiguration() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::ToFile, "true");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    conf.setGlobally(el::ConfigurationType::Filename, logFilePattern());
    conf.setGlobally(el::ConfigurationType::Format, "[%datetime][%level]-->[%func,%line] %msg");
    return conf;
}

// easylogging++ resolves the date in the file name once, when the logger is configured.
// This callback reconfigures the logger when a line is dispatched on a later day; it runs
// under the logger's recursive lock, so no other thread writes meanwhile.
class DailyFileRollover : public el::LogDispatchCallback {
public:
    static void armFrom(std::time_t now) { s_nextSwitch.store(nextLocalMidnight(now)); }

protected:
    void handle(const el::LogDispatchData* data) override {
        el::Logger* logger = data->logMessage()->logger();
        if (logger->id() != el::base::consts::kDefaultLoggerId) {
            return;
        }
        const std::time_t now = std::time(nullptr);
        if (now < s_nextSwitch.load()) {
            return;
        }
        armFrom(now);
        // The writer holds this logger's lock; configuring it directly takes no other lock.
        logger->configure(dailyConfiguration());
    }

private:
    static std::atomic<std::time_t> s_nextSwitch;
};

std::atomic<std::time_t> DailyFileRollover::s_nextSwitch{0};

}  // namespace

void setUpLogging() {
    el::Helpers::setStorage(sharedLoggingRepository());
    el::Loggers::reconfigureLogger(el::Loggers::getLogger(el::base::consts::kDefaultLoggerId, true),
                                   dailyConfiguration());
    DailyFileRollover::armFrom(std::time(nullptr));
    if (el::Helpers::logDispatchCallback<DailyFileRollover>(kCallbackId) == nullptr) {
        el::Helpers::installLogDispatchCallback<DailyFileRollover>(kCallbackId);
    }
    el::Loggers::addFlag(el::LoggingFlag::LogDetailedCrashReason);
    el::Loggers::addFlag(el::LoggingFlag::DisableApplicationAbortOnFatalLog);
}

}  // namespace ztlog
