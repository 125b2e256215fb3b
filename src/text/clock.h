// The clock seam: the local wall clock with milliseconds, and a monotonic millisecond count.
//
// Real implementations: clock_win32.cpp (GetLocalTime, GetTickCount64) and clock_native.cpp;
// unit tests link the settable double in tests/fakes/clock_fake.h instead.
#pragma once

#include <cstdint>

// The fields of the system's local-time record: month 1..12, dayOfWeek 0 (Sunday) .. 6,
// day 1..31, hour 0..23, minute and second 0..59, milliseconds 0..999.
struct LocalClockReading {
  int year = 0, month = 0, dayOfWeek = 0, day = 0;
  int hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// Local date and time, all fields from one reading of the clock.
LocalClockReading ReadLocalClock();

// Milliseconds from an arbitrary origin; never goes backwards and does not wrap.
std::int64_t MonotonicMilliseconds();
