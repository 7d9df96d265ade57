// The crash handler's own clock and number formatting, which stand in for the C library's.

#include "crashclock.h"
#include "crashtext.h"

#include <QDateTime>
#include <QTimeZone>
#include <QtTest>

#include <climits>
#include <cstdlib>
#include <ctime>

using pixvue::crash::CivilTime;
using pixvue::crash::CrashClock;
using pixvue::crash::FixedText;

namespace {

std::time_t utc(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC)
        .toSecsSinceEpoch();
}

void useZone(const char* zone) {
    qputenv("TZ", zone);
    tzset();
}

}  // namespace

class TestCrashClock : public QObject {
    Q_OBJECT

private slots:
    void civilTimeMatchesQt();
    void offsetsFollowDaylightSavingChanges();
    void zoneWithoutChangesHasOneOffset();
    void numbersAndTruncation();
    void cleanupTestCase() { qunsetenv("TZ"); }
};

void TestCrashClock::civilTimeMatchesQt() {
    const std::int64_t samples[] = {0,           -1,         951782400,    951868799, 4107542400,
                                    -2208988800, 1709210096, 253402300799, 1798761599};
    for (std::int64_t seconds : samples) {
        const QDateTime expected = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
        const CivilTime civil = pixvue::crash::civilFromUnixSeconds(seconds);
        const QDateTime got(QDate(civil.year, civil.month, civil.day),
                            QTime(civil.hour, civil.minute, civil.second), Qt::UTC);
        QCOMPARE(got, expected);
    }
    // Every day of four years, leap day included.
    for (std::int64_t day = 0; day < 4 * 366; ++day) {
        const std::int64_t seconds = utc(2023, 1, 1, 23, 59, 59) + day * 86400;
        const CivilTime civil = pixvue::crash::civilFromUnixSeconds(seconds);
        QCOMPARE(QDate(civil.year, civil.month, civil.day),
                 QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date());
    }
}

void TestCrashClock::offsetsFollowDaylightSavingChanges() {
    useZone("Europe/Berlin");
    CrashClock clock;
    clock.prepare(utc(2026, 1, 15, 12, 0, 0));
    QCOMPARE(clock.changeCount(), 2);  // into summer time and back within 400 days
    const std::time_t spring = utc(2026, 3, 29, 1, 0, 0);
    const std::time_t autumn = utc(2026, 10, 25, 1, 0, 0);
    QCOMPARE(clock.offsetAt(spring - 1), 3600L);
    QCOMPARE(clock.offsetAt(spring), 7200L);
    QCOMPARE(clock.offsetAt(autumn - 1), 7200L);
    QCOMPARE(clock.offsetAt(autumn), 3600L);
    QCOMPARE(clock.offsetAt(utc(2025, 6, 1, 0, 0, 0)), 3600L);  // before prepare: its offset

    const CivilTime summer = clock.localTime(utc(2026, 7, 1, 21, 30, 5), 987654321);
    QCOMPARE(QDate(summer.year, summer.month, summer.day), QDate(2026, 7, 1));
    QCOMPARE(QTime(summer.hour, summer.minute, summer.second), QTime(23, 30, 5));
    QCOMPARE(summer.millisecond, 987);
    const CivilTime newYear = clock.localTime(utc(2026, 12, 31, 23, 0, 0));
    QCOMPARE(QDate(newYear.year, newYear.month, newYear.day), QDate(2027, 1, 1));
    QCOMPARE(newYear.hour, 0);
}

void TestCrashClock::zoneWithoutChangesHasOneOffset() {
    useZone("Asia/Shanghai");
    CrashClock clock;
    const std::time_t now = std::time(nullptr);
    clock.prepare(now);
    QCOMPARE(clock.changeCount(), 0);
    const CivilTime local = clock.localTime(now);
    const QDateTime expected = QDateTime::fromSecsSinceEpoch(now, QTimeZone("Asia/Shanghai"));
    QCOMPARE(QDateTime(QDate(local.year, local.month, local.day),
                       QTime(local.hour, local.minute, local.second)),
             QDateTime(expected.date(), expected.time()));
    QCOMPARE(local.utcOffsetSeconds, 8 * 3600L);
}

void TestCrashClock::numbersAndTruncation() {
    FixedText text;
    text.dec(0).ch(' ').dec(-42).ch(' ').dec(7, 3).ch(' ').dec(LLONG_MIN).ch(' ');
    text.hex(0).ch(' ').hex(0xdeadbeef, 16).ch(' ').hex(UINT64_MAX);
    QCOMPARE(QString(text.c_str()),
             QString("0 -42 007 -9223372036854775808 0 00000000deadbeef ffffffffffffffff"));

    FixedText full;
    const QByteArray block(1000, 'x');
    for (int i = 0; i < 5; ++i) {
        full.put(block.constData(), block.size());
    }
    QCOMPARE(full.size(), FixedText::kCapacity);
    QVERIFY(full.isTruncated());
    QCOMPARE(qstrlen(full.c_str()), static_cast<uint>(FixedText::kCapacity));
}

QTEST_GUILESS_MAIN(TestCrashClock)
#include "tst_crashclock.moc"
