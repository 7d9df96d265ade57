#pragma once

// Local time inside a signal handler, where the C library's time-zone code (locks, files) must
// not run: the offsets from UTC for the next year are worked out beforehand.

#include <cstdint>
#include <ctime>

namespace pixvue::crash {

struct CivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    long utcOffsetSeconds = 0;
};

// UTC seconds to calendar fields (proleptic Gregorian calendar).
CivilTime civilFromUnixSeconds(std::int64_t seconds);

class CrashClock {
public:
    // Records the local offset at now and every change of it during the following 400 days.
    // Uses the C library's time-zone data; call outside signal handlers.
    void prepare(std::time_t now);

    // Signal-safe.
    long offsetAt(std::time_t utc) const;
    CivilTime localTime(std::time_t utc, long nanoseconds = 0) const;
    CivilTime localNow() const;

    int changeCount() const { return m_nSpans - 1; }

private:
    struct Span {
        std::time_t from;
        long offset;
    };
    static constexpr int kMaxSpans = 16;

    void addSpan(std::time_t from, long offset);

    Span m_spans[kMaxSpans] = {};
    int m_nSpans = 0;
};

}  // namespace pixvue::crash
