// The clock seam: the local wall clock with milliseconds, and a monotonic millisecond count.
#pragma once

#include <cstdint>

struct LocalClockReading {
  int year = 0, month = 0, dayOfWeek = 0, day = 0;
  int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Local date and time, all fields from one reading of the clock.
LocalClockReading ReadLocalClock();

// Milliseconds from an arbitrary origin; never goes backwards and does not wrap.
std::int64_t MonotonicMilliseconds();
