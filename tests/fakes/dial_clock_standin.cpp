// Like the other dial stand-ins (see dial_standins.cpp), the clock steps aside once the
// shared clock double is in the tree; the setters then no longer reach the clock, and the
// tests that use them move to that double.
#include "dial_clock_standin.h"

#include <chrono>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)
#define DS_STANDIN
#else
#define DS_STANDIN __attribute__((weak))
#endif

namespace {

bool clockSet = false;
std::int64_t wallMs = 0;  // local time as milliseconds since 1970-01-01 00:00 local
std::int64_t monotonic = 0;

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

[[maybe_unused]] LocalClockReading FromWallMs(std::int64_t ms) {
  std::int64_t z = ms / 86400000;
  std::int64_t rest = ms % 86400000;
  if (rest < 0) {
    rest += 86400000;
    --z;
  }
  LocalClockReading r;
  r.dayOfWeek = static_cast<int>(((z % 7) + 11) % 7);  // 1970-01-01 was a Thursday: 4
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  r.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  r.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  r.year = static_cast<int>(yoe + era * 400 + (r.month <= 2));
  r.hour = static_cast<int>(rest / 3600000);
  r.minute = static_cast<int>(rest / 60000 % 60);
  r.second = static_cast<int>(rest / 1000 % 60);
  r.milliseconds = static_cast<int>(rest % 1000);
  return r;
}

std::int64_t ToWallMs(const LocalClockReading& r) {
  return ((DaysFromCivil(r.year, r.month, r.day) * 24 + r.hour) * 60 + r.minute) * 60000 +
         r.second * 1000 + r.milliseconds;
}

[[maybe_unused]] LocalClockReading MachineClock() {
#if defined(_WIN32)
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalClockReading r;
  r.year = t.wYear;
  r.month = t.wMonth;
  r.dayOfWeek = t.wDayOfWeek;
  r.day = t.wDay;
  r.hour = t.wHour;
  r.minute = t.wMinute;
  r.second = t.wSecond;
  r.milliseconds = t.wMilliseconds;
  return r;
#else
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  LocalClockReading r;
  r.year = local.tm_year + 1900;
  r.month = local.tm_mon + 1;
  r.dayOfWeek = local.tm_wday;
  r.day = local.tm_mday;
  r.hour = local.tm_hour;
  r.minute = local.tm_min;
  r.second = local.tm_sec;
  r.milliseconds = static_cast<int>(ms % 1000);
  return r;
#endif
}

}  // namespace

void SetStandInClock(const LocalClockReading& reading, std::int64_t monotonicMs) {
  clockSet = true;
  wallMs = ToWallMs(reading);
  monotonic = monotonicMs;
}

void ResetStandInClock() { clockSet = false; }

void AdvanceStandInClock(std::int64_t ms) {
  wallMs += ms;
  monotonic += ms;
}

void SetStandInWallClock(const LocalClockReading& reading) {
  clockSet = true;
  wallMs = ToWallMs(reading);
}

#if !__has_include("clock_fake.h")
DS_STANDIN LocalClockReading ReadLocalClock() {
  return clockSet ? FromWallMs(wallMs) : MachineClock();
}

DS_STANDIN std::int64_t MonotonicMilliseconds() {
  if (clockSet) return monotonic;
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
#endif
