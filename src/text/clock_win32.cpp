// The clock seam on Windows: the local-time record and the 64-bit tick count.
#include <windows.h>

#include "text/clock.h"

LocalClockReading ReadLocalClock() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  LocalClockReading r;
  r.year = st.wYear;
  r.month = st.wMonth;
  r.dayOfWeek = st.wDayOfWeek;
  r.day = st.wDay;
  r.hour = st.wHour;
  r.minute = st.wMinute;
  r.second = st.wSecond;
  r.milliseconds = st.wMilliseconds;
  return r;
}

std::int64_t MonotonicMilliseconds() { return static_cast<std::int64_t>(GetTickCount64()); }
