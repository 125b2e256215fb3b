// Timing of dial operations. The stamps keep the 13-digit text and 32-bit values others may
// read, but the elapsed figure comes from the monotonic clock: two stamps taken from the
// wall clock would show the clock being set, and their 32-bit values go wrong across the
// instant they wrap.
#include "dial/timing.h"

#include "app/window.h"
#include "text/clock.h"
#include "text/convert.h"

std::int32_t DialStartStamp = 0;
std::int32_t DialEndStamp = 0;

namespace {

std::int64_t timingStartMs = 0;

}  // namespace

Text MillisecondStamp(bool secondsOnly) {
  // One reading for every field, so the seconds and the milliseconds belong together.
  const LocalClockReading now = ReadLocalClock();
  // 64 bits, so the count keeps going past 2038.
  const std::int64_t seconds = DaysFromCivil(now.year, now.month, now.day) * 86400 +
                               now.hour * 3600 + now.minute * 60 + now.second - 8 * 3600;

  Text milliseconds = ToText(now.milliseconds);
  if (milliseconds.Length() < 3) {
    milliseconds = ConcatText({RepeatText("0", 3 - milliseconds.Length()), milliseconds});
  }
  Text stamp = ConcatText({ToText(seconds), milliseconds});

  const int width = secondsOnly ? 10 : 13;
  if (secondsOnly) stamp = TextLeft(stamp, width);
  if (stamp.Length() < width) stamp = ConcatText({stamp, RepeatText("0", width - stamp.Length())});
  return stamp;
}

void StartTiming() {
  DialStartStamp = ToInt(MillisecondStamp());
  timingStartMs = MonotonicMilliseconds();
}

void FinishTiming() {
  DialEndStamp = ToInt(MillisecondStamp());
  const double elapsed = static_cast<double>(MonotonicMilliseconds() - timingStartMs);
  SetFieldText(Field::Elapsed, ToText(elapsed));
}
