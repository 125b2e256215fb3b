// The clock seam on Linux, for native runs of the program's core.
#include "text/clock.h"

#include <ctime>

LocalClockReading ReadLocalClock() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  localtime_r(&now.tv_sec, &local);
  LocalClockReading r;
  r.year = local.tm_year + 1900;
  r.month = local.tm_mon + 1;
  r.dayOfWeek = local.tm_wday;
  r.day = local.tm_mday;
  r.hour = local.tm_hour;
  r.minute = local.tm_min;
  // A leap second reads as the last ordinary second, as the Windows clock shows it.
  r.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  r.milliseconds = static_cast<int>(now.tv_nsec / 1000000);
  return r;
}

std::int64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
