// Numbers, date-times and their texts.
//
// The calendar arithmetic is done here (days from a civil date and back) rather than with the
// C library's time functions, so that the native build and Windows give the same answers and
// no time-zone rule is applied twice: a DateTime is already local time.
#include "text/convert.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "text/clock.h"

namespace {

// 1899-12-30, day 0 of DateTime, lies this many days before 1970-01-01.
constexpr std::int64_t kDateTimeEpochTo1970 = 25569;
constexpr int kSecondsPerDay = 86400;

unsigned char At(const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Truncation toward zero to 64 bits; what the processor's conversion yields for values it
// cannot hold (the most negative value), instead of undefined behaviour.
std::int64_t TruncateToInt64(double v) {
  if (!(v > -9223372036854775808.0 && v < 9223372036854775808.0)) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return static_cast<std::int64_t>(v);
}

int LowWord32(std::int64_t v) {
  return static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

double ClampDateTime(double v) {
  if (std::isnan(v)) return kMinDateTime;
  if (v < kMinDateTime) return kMinDateTime;
  if (v > kMaxDateTime) return kMaxDateTime;
  return v;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (m == 2 && IsLeapYear(y)) ? 29 : kDays[m - 1];
}

template <typename Int>
Text IntegerText(Int v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return Text(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

void AppendNumber(std::string& out, int v) {
  char buf[12];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// The unit characters of the date-time text, in code page 936.
constexpr char kYear[] = "\xC4\xEA";    // 年
constexpr char kMonth[] = "\xD4\xC2";   // 月
constexpr char kDay[] = "\xC8\xD5";     // 日
constexpr char kHour[] = "\xCA\xB1";    // 时
constexpr char kMinute[] = "\xB7\xD6";  // 分
constexpr char kSecond[] = "\xC3\xEB";  // 秒

// Reads up to maxDigits decimal digits at pos; no digits read as 0.
int ReadField(const std::string& s, std::size_t& pos, int maxDigits) {
  int value = 0;
  for (int n = 0; n < maxDigits && pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++n) {
    value = value * 10 + (s[pos] - '0');
    ++pos;
  }
  return value;
}

bool SkipUnit(const std::string& s, std::size_t& pos, const char* unit) {
  if (s.compare(pos, 2, unit) != 0) return false;
  pos += 2;
  return true;
}

// Skips one separator or the field's unit character, when there is one.
void SkipSeparator(const std::string& s, std::size_t& pos, const char* unit, bool spaceToo) {
  if (pos >= s.size()) return;
  char c = s[pos];
  if (c == '-' || c == '.' || c == '/' || c == ':' || (spaceToo && c == ' ')) {
    ++pos;
    return;
  }
  SkipUnit(s, pos, unit);
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day) {
  // Counts from 0000-03-01 so that the leap day ends each 400-year era's year.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int DayOfWeekFromDays(std::int64_t days) {
  // 1970-01-01 was a Thursday, day 5 when Sunday is 1.
  std::int64_t r = (days + 4) % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

// Before day 0 the fraction still counts forward from that day's midnight (-1.25 is
// 1899-12-29 06:00), the usual reading of this kind of date value.
DateTime DateTimeFromFields(int year, int month, int day, int hour, int minute, int second) {
  const double dayNumber = static_cast<double>(DaysFromCivil(year, month, day) + kDateTimeEpochTo1970);
  const double time = (hour * 3600 + minute * 60 + second) / static_cast<double>(kSecondsPerDay);
  return DateTime{dayNumber < 0 ? dayNumber - time : dayNumber + time};
}

CalendarFields CalendarOf(DateTime v) {
  const double value = ClampDateTime(v.days);
  double dayNumber = std::trunc(value);
  auto seconds = static_cast<std::int64_t>(std::round(std::fabs(value - dayNumber) * kSecondsPerDay));
  if (seconds >= kSecondsPerDay) {
    seconds -= kSecondsPerDay;
    dayNumber += 1;
  }
  const auto days1970 = static_cast<std::int64_t>(dayNumber) - kDateTimeEpochTo1970;
  CalendarFields f;
  CivilFromDays(days1970, f.year, f.month, f.day);
  f.dayOfWeek = DayOfWeekFromDays(days1970);
  f.hour = static_cast<int>(seconds / 3600);
  f.minute = static_cast<int>(seconds / 60 % 60);
  f.second = static_cast<int>(seconds % 60);
  return f;
}

Text ToHalfWidth(const Text& t) {
  const std::string& s = t.Bytes();
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = At(s, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (i + 1 >= s.size()) break;  // a lead byte without its second byte is dropped
    const unsigned char c2 = At(s, i + 1);
    if (c == 0xA3 && c2 >= 0xA1 && c2 <= 0xFE) {
      out += static_cast<char>(c2 & 0x7F);
    } else if (c == 0xA1 && c2 == 0xA1) {
      out += ' ';
    } else if (c == 0xA1 && c2 == 0xAB) {
      out += '~';
    } else if (c == 0xA1 && (c2 == 0xEE || c2 == 0xEF)) {
      out += '*';
    } else {
      out.append(s, i, 2);
    }
    i += 2;
  }
  return Text(std::move(out));
}

int ToInt(const Text& t) {
  const Text half = ToHalfWidth(t);
  const std::string& s = half.Bytes();
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  std::uint32_t value = 0;  // unsigned, so that the wrap-around is defined
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(s[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

int ToInt(double v) { return LowWord32(TruncateToInt64(v)); }

std::int64_t ToInt64(double v) { return TruncateToInt64(v); }

Text ToText(int v) { return IntegerText(v); }

Text ToText(short v) { return IntegerText(static_cast<int>(v)); }

Text ToText(std::int64_t v) { return IntegerText(v); }

// The general form with 13 significant digits, as printf's "%.13g" writes it; to_chars gives
// the same digits on every C runtime (the Windows one writes exponents differently).
Text ToText(double v) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 13);
  return Text(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

Text ToText(DateTime v) {
  const CalendarFields f = CalendarOf(v);
  std::string out;
  AppendNumber(out, f.year);
  out += kYear;
  AppendNumber(out, f.month);
  out += kMonth;
  AppendNumber(out, f.day);
  out += kDay;
  if (f.hour != 0 || f.minute != 0 || f.second != 0) {
    AppendNumber(out, f.hour);
    out += kHour;
    if (f.minute != 0 || f.second != 0) {
      AppendNumber(out, f.minute);
      out += kMinute;
      if (f.second != 0) {
        AppendNumber(out, f.second);
        out += kSecond;
      }
    }
  }
  return Text(std::move(out));
}

Text ToText(const Text& v) { return v; }

Text ToText(const ByteString& v) { return BytesToText(v); }

DateTime Now() {
  const LocalClockReading r = ReadLocalClock();
  return DateTimeFromFields(r.year, r.month, r.day, r.hour, r.minute, r.second);
}

DateTime ToDateTime(const Text& t) {
  const DateTime rejected{kMinDateTime};
  const Text half = ToHalfWidth(t);
  const std::string& s = half.Bytes();
  std::size_t pos = 0;
  const int year = ReadField(s, pos, 4);
  SkipSeparator(s, pos, kYear, false);
  const int month = ReadField(s, pos, 2);
  SkipSeparator(s, pos, kMonth, false);
  const int day = ReadField(s, pos, 2);
  SkipSeparator(s, pos, kDay, true);
  const int hour = ReadField(s, pos, 2);
  SkipSeparator(s, pos, kHour, false);
  const int minute = ReadField(s, pos, 2);
  SkipSeparator(s, pos, kMinute, false);
  const int second = ReadField(s, pos, 2);
  if (pos < s.size() && !SkipUnit(s, pos, kSecond)) return rejected;

  if (year < 100 || year > 9999 || month < 1 || month > 12) return rejected;
  if (day < 1 || day > DaysInMonth(year, month)) return rejected;
  if (hour > 23 || minute > 59 || second > 59) return rejected;
  return DateTimeFromFields(year, month, day, hour, minute, second);
}

double TimeDifference(DateTime a, DateTime b, TimeUnit unit) {
  int u = static_cast<int>(unit);
  if (u < 1) u = 1;
  if (u > 8) u = 8;
  const double av = ClampDateTime(a.days), bv = ClampDateTime(b.days);
  if (av == bv) return 0;

  const CalendarFields fa = CalendarOf(DateTime{av}), fb = CalendarOf(DateTime{bv});
  const double d = av - bv;
  switch (static_cast<TimeUnit>(u)) {
    case TimeUnit::Years:
      return fa.year - fb.year;
    case TimeUnit::Quarters:
      return 4 * (fa.year - fb.year) + (fa.month - 1) / 3 - (fb.month - 1) / 3;
    case TimeUnit::Months:
      return 12 * (fa.year - fb.year) + fa.month - fb.month;
    case TimeUnit::Weeks: {
      const std::int64_t w = TruncateToInt64(d) / 7;
      if (av > bv && fa.dayOfWeek < fb.dayOfWeek) return static_cast<double>(w + 1);
      if (av < bv && fb.dayOfWeek < fa.dayOfWeek) return static_cast<double>(w - 1);
      return static_cast<double>(w);
    }
    case TimeUnit::Days:
      return d;
    case TimeUnit::Hours:
    case TimeUnit::Minutes:
    case TimeUnit::Seconds: {
      const double perDay = u == 6 ? 24.0 : (u == 7 ? 1440.0 : 86400.0);
      // Half a second in days, added to the product as it stands: the rounding the
      // millisecond stamps were made with.
      const double halfSecondInDays = 0.000005787037037037037;
      return LowWord32(TruncateToInt64(d * perDay + halfSecondInDays));
    }
  }
  return 0;
}
