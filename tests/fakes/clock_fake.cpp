#include "clock_fake.h"

#include "text/convert.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

// 2024-11-01 08:05:03.000 as milliseconds since 1970-01-01 00:00 of the local calendar, a
// constant so that the double reads right even before any static initialiser has run.
constexpr std::int64_t kStartLocalMs = 1730419200000 + 29103000;

std::int64_t localMs = kStartLocalMs;
std::int64_t monotonicMs = 0;
int localReads = 0;

std::int64_t LocalMsOf(int year, int month, int day, int hour, int minute, int second, int ms) {
  return DaysFromCivil(year, month, day) * kMsPerDay +
         ((hour * 60 + minute) * 60 + second) * std::int64_t{1000} + ms;
}

}  // namespace

void ResetFakeClock() {
  localMs = kStartLocalMs;
  monotonicMs = 0;
  localReads = 0;
}

void SetFakeLocalClock(int year, int month, int day, int hour, int minute, int second,
                       int milliseconds) {
  localMs = LocalMsOf(year, month, day, hour, minute, second, milliseconds);
}

void SetFakeLocalClock(const LocalClockReading& r) {
  SetFakeLocalClock(r.year, r.month, r.day, r.hour, r.minute, r.second, r.milliseconds);
}

void SetFakeMonotonicMilliseconds(std::int64_t ms) { monotonicMs = ms; }

void SetFakeClock(const LocalClockReading& reading, std::int64_t monotonicMs_) {
  SetFakeLocalClock(reading);
  SetFakeMonotonicMilliseconds(monotonicMs_);
}

void AdvanceFakeClock(std::int64_t ms) {
  AdvanceFakeLocalClock(ms);
  AdvanceFakeMonotonic(ms);
}

void AdvanceFakeLocalClock(std::int64_t ms) { localMs += ms; }

void AdvanceFakeMonotonic(std::int64_t ms) { monotonicMs += ms; }

int FakeLocalClockReads() { return localReads; }

LocalClockReading ReadLocalClock() {
  ++localReads;
  std::int64_t days = localMs / kMsPerDay;
  std::int64_t inDay = localMs % kMsPerDay;
  if (inDay < 0) {
    inDay += kMsPerDay;
    --days;
  }
  LocalClockReading r;
  CivilFromDays(days, r.year, r.month, r.day);
  r.dayOfWeek = DayOfWeekFromDays(days) - 1;  // the reading counts Sunday as 0
  r.hour = static_cast<int>(inDay / 3600000);
  r.minute = static_cast<int>(inDay / 60000 % 60);
  r.second = static_cast<int>(inDay / 1000 % 60);
  r.milliseconds = static_cast<int>(inDay % 1000);
  return r;
}

std::int64_t MonotonicMilliseconds() { return monotonicMs; }
