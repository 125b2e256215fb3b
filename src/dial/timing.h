// Millisecond stamps and the timing of dial operations and request cycles: StartTiming where
// the timed span begins, FinishTiming where it ends, and the milliseconds between them shown
// in the Elapsed field.
#pragma once

#include <cstdint>

#include "text/text.h"

// The last start and end stamps, as ToInt(MillisecondStamp()) gives them (wrapped to
// 32 bits); zero before the first timed operation.
extern std::int32_t DialStartStamp;
extern std::int32_t DialEndStamp;

// The local time as milliseconds since 1970-01-01 08:00 local time (the Unix time on a
// machine at UTC+8): 13 digits, the last three the milliseconds. With secondsOnly, the
// 10 digits of whole seconds.
Text MillisecondStamp(bool secondsOnly = false);

void StartTiming();
// Sets DialEndStamp and writes the milliseconds since the last StartTiming into Elapsed.
void FinishTiming();
