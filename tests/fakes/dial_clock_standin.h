// A settable clock for the dial tests, standing in until the shared clock double exists.
// Until a test sets it, the clock reads the machine's own.
#pragma once

#include <cstdint>

#include "text/clock.h"

// The local wall clock reads this from now on, and the monotonic count reads monotonicMs.
void SetStandInClock(const LocalClockReading& reading, std::int64_t monotonicMs);
// Moves both clocks on by ms milliseconds, carrying into seconds, days and years.
void AdvanceStandInClock(std::int64_t ms);
// Back to the machine's own clock.
void ResetStandInClock();
// Only the wall clock jumps (as when the operator sets the time); the monotonic count stays.
void SetStandInWallClock(const LocalClockReading& reading);
