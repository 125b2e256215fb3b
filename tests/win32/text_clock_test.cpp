// The real Windows clock behind Now() and the dial timing.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>

#include "text/clock.h"
#include "text/convert.h"

namespace {

// The C runtime's local time, as a DateTime, for comparing against Now().
DateTime RuntimeLocalNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &t);
  return DateTimeFromFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                            local.tm_min, local.tm_sec);
}

TEST(Win32Clock, NowAgreesWithTheRuntimeClock) {
  const DateTime before = RuntimeLocalNow();
  const DateTime now = Now();
  const DateTime after = RuntimeLocalNow();
  EXPECT_GE(TimeDifference(now, before, TimeUnit::Seconds), -2.0);
  EXPECT_LE(TimeDifference(now, after, TimeUnit::Seconds), 2.0);
}

TEST(Win32Clock, ReadingFieldsAreInRangeAndMatchTheSystemRecord) {
  const LocalClockReading r = ReadLocalClock();
  EXPECT_GE(r.year, 2020);
  EXPECT_GE(r.month, 1);
  EXPECT_LE(r.month, 12);
  EXPECT_GE(r.day, 1);
  EXPECT_LE(r.day, 31);
  EXPECT_LE(r.hour, 23);
  EXPECT_LE(r.minute, 59);
  EXPECT_LE(r.second, 59);
  EXPECT_LE(r.milliseconds, 999);
  // The weekday is the one of the date, Sunday 0, as the calendar computes it.
  EXPECT_EQ(r.dayOfWeek + 1, DayOfWeekFromDays(DaysFromCivil(r.year, r.month, r.day)));
}

TEST(Win32Clock, MonotonicCountDoesNotGoBackwards) {
  std::int64_t previous = MonotonicMilliseconds();
  const std::int64_t first = previous;
  for (int i = 0; i < 200; ++i) {
    Sleep(1);
    const std::int64_t now = MonotonicMilliseconds();
    ASSERT_GE(now, previous);
    previous = now;
  }
  EXPECT_GT(previous, first);  // 200 sleeps of at least a millisecond move it on
}

}  // namespace
