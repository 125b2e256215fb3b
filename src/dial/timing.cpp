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

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t DaysSinceEpoch(int year, int month, int day) {
  const std::int64_t y = month <= 2 ? year - 1 : year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t m = month;
  const std::int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

Text MillisecondStamp(bool secondsOnly) {
  // One reading for every field, so the seconds and the milliseconds belong together.
  const LocalClockReading now = ReadLocalClock();
  // 64 bits, so the count keeps going past 2038.
  const std::int64_t seconds = DaysSinceEpoch(now.year, now.month, now.day) * 86400 +
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
