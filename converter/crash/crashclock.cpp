#include "crashclock.h"

namespace pixvue::crash {

namespace {

constexpr std::time_t kDay = 24 * 60 * 60;
constexpr int kDaysAhead = 400;

long localOffset(std::time_t utc) {
    std::tm local{};
    localtime_r(&utc, &local);
    return local.tm_gmtoff;
}

// The first second in (before, after] whose offset differs from the one at before.
std::time_t findChange(std::time_t before, std::time_t after) {
    const long offsetBefore = localOffset(before);
    while (after - before > 1) {
        const std::time_t middle = before + (after - before) / 2;
        if (localOffset(middle) == offsetBefore) {
            before = middle;
        } else {
            after = middle;
        }
    }
    return after;
}

}  // namespace

CivilTime civilFromUnixSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kDay;
    std::int64_t secondOfDay = seconds % kDay;
    if (secondOfDay < 0) {
        secondOfDay += kDay;
        --days;
    }
    // Days to year, month and day after H. Hinnant's civil_from_days.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;

    CivilTime civil;
    civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    civil.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0));
    civil.hour = static_cast<int>(secondOfDay / 3600);
    civil.minute = static_cast<int>(secondOfDay / 60 % 60);
    civil.second = static_cast<int>(secondOfDay % 60);
    return civil;
}

void CrashClock::prepare(std::time_t now) {
    tzset();
    m_nSpans = 0;
    addSpan(0, localOffset(now));
    std::time_t day = now;
    for (int i = 0; i < kDaysAhead && m_nSpans < kMaxSpans; ++i, day += kDay) {
        if (localOffset(day + kDay) != localOffset(day)) {
            const std::time_t change = findChange(day, day + kDay);
            addSpan(change, localOffset(change));
        }
    }
}

void CrashClock::addSpan(std::time_t from, long offset) {
    m_spans[m_nSpans++] = Span{from, offset};
}

long CrashClock::offsetAt(std::time_t utc) const {
    long offset = m_nSpans > 0 ? m_spans[0].offset : 0;
    for (int i = 1; i < m_nSpans && m_spans[i].from <= utc; ++i) {
        offset = m_spans[i].offset;
    }
    return offset;
}

CivilTime CrashClock::localTime(std::time_t utc, long nanoseconds) const {
    const long offset = offsetAt(utc);
    CivilTime civil = civilFromUnixSeconds(static_cast<std::int64_t>(utc) + offset);
    civil.millisecond = static_cast<int>(nanoseconds / 1000000);
    civil.utcOffsetSeconds = offset;
    return civil;
}

CivilTime CrashClock::localNow() const {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return localTime(now.tv_sec, now.tv_nsec);
}

}  // namespace pixvue::crash
