// The clock double: a local reading and a monotonic count that tests set and advance.
//
// Linked instead of the real clock in unit tests. Until a test sets it, the local clock
// reads 2024-11-01 08:05:03.000 (a Friday) and the monotonic count is 0; both stand still
// until a test moves them.
#pragma once

#include <cstdint>

#include "text/clock.h"

// Back to the starting values above.
void ResetFakeClock();

// The reading ReadLocalClock() gives from now on. dayOfWeek is recomputed from the date,
// so a test only names the date and time.
void SetFakeLocalClock(int year, int month, int day, int hour, int minute, int second,
                       int milliseconds);
void SetFakeLocalClock(const LocalClockReading& reading);
void SetFakeMonotonicMilliseconds(std::int64_t ms);
// Both at once: the local reading and the monotonic count.
void SetFakeClock(const LocalClockReading& reading, std::int64_t monotonicMs);

// Moves the local clock and the monotonic count forward together by ms (ms may be
// negative for the local clock alone, to model the wall clock being set back).
void AdvanceFakeClock(std::int64_t ms);
void AdvanceFakeLocalClock(std::int64_t ms);
void AdvanceFakeMonotonic(std::int64_t ms);

// How often the double was read, so a test can check that one reading was taken.
int FakeLocalClockReads();
