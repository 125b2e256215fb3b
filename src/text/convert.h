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
