// Numbers, date-times and texts: the formats the window shows and the replies carry.
#pragma once

#include <cstdint>

#include "text/text.h"

// Days since 1899-12-30 00:00 local time; the fraction is the time of day.
struct DateTime {
  double days = 0;
};

enum class TimeUnit { Years = 1, Quarters, Months, Weeks, Days, Hours, Minutes, Seconds };

Text ToHalfWidth(const Text& t);
int ToInt(const Text& t);
int ToInt(double v);
std::int64_t ToInt64(double v);
Text ToText(int v);
Text ToText(short v);
Text ToText(std::int64_t v);
Text ToText(double v);
Text ToText(DateTime v);
Text ToText(const Text& v);
Text ToText(const ByteString& v);
DateTime Now();
DateTime ToDateTime(const Text& t);
double TimeDifference(DateTime a, DateTime b, TimeUnit unit);

// The calendar behind DateTime, proleptic Gregorian, the same on every platform.
// dayOfWeek counts Sunday as 1 to Saturday as 7.
struct CalendarFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, dayOfWeek = 0;
};

// Days from 1970-01-01 to the given date (negative before it).
std::int64_t DaysFromCivil(int year, int month, int day);
// The date that lies the given number of days after 1970-01-01.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);
// Sunday 1 to Saturday 7, for a day count from 1970-01-01 (a Thursday).
int DayOfWeekFromDays(std::int64_t days);
// The fields of v rounded to the nearest second, after clamping to the valid range.
CalendarFields CalendarOf(DateTime v);
// The DateTime of a local date and time; the fields are taken as they are.
DateTime DateTimeFromFields(int year, int month, int day, int hour, int minute, int second);

// The bounds of DateTime: 0100-01-01 00:00:00 and 9999-12-31 00:00:00.
inline constexpr double kMinDateTime = -657434.0;
inline constexpr double kMaxDateTime = 2958465.0;
