// Numbers, date-times and their texts, and the clock reading behind Now().
#include <gtest/gtest.h>

#include <cmath>

#include "fakes/clock_fake.h"
#include "text/convert.h"

namespace {

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return DateTimeFromFields(y, mo, d, h, mi, s);
}

TEST(ToInt, DecimalScanWrapsModulo2To32) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"1730390623123", -481197165},
      {"1730390624623", -481195665},
      {"2147483648", -2147483647 - 1},
      {"4294967297", 1},
      {" 12abc", 12},
      {"\t\r\n\v\f 5", 5},
      {"\xA3\xB1\xA3\xB2", 12},          // full-width digits
      {"\xA1\xA1\xA3\xAD\xA3\xB3", -3},  // full-width space and minus
      {"abc", 0},
      {"", 0},
      {"-7", -7},
      {"+7", 7},
      {"7.9", 7},
      {"--7", 0},
      {"- 7", 0},
      {"-2147483648", -2147483647 - 1},
      {"-4294967295", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ToInt(c.text), c.expected) << c.text;
  EXPECT_EQ(ToInt(Text()), 0);
  EXPECT_EQ(static_cast<double>(ToInt("1730390624623")) - ToInt("1730390623123"), 1500.0);
}

TEST(ToInt, RealTruncatesAndKeepsTheLow32Bits) {
  struct Case {
    double v;
    int expected;
  };
  const Case cases[] = {
      {7.9, 7}, {-7.9, -7}, {0.0, 0}, {2147483647.0, 2147483647}, {2147483648.0, -2147483647 - 1},
      {4294967296.0 + 5, 5}, {-4294967296.0 - 5, -5}, {1730390623123.0, -481197165},
  };
  for (const auto& c : cases) EXPECT_EQ(ToInt(c.v), c.expected) << c.v;
  EXPECT_EQ(ToInt64(1730390623123.9), 1730390623123);
  EXPECT_EQ(ToInt64(-2.5), -2);
}

TEST(ToText, Numbers) {
  EXPECT_EQ(ToText(1523.0).Bytes(), "1523");
  EXPECT_EQ(ToText(-5.0).Bytes(), "-5");
  EXPECT_EQ(ToText(0.0).Bytes(), "0");
  EXPECT_EQ(ToText(0.25).Bytes(), "0.25");
  EXPECT_EQ(ToText(1500.0).Bytes(), "1500");
  EXPECT_EQ(ToText(-4294965796.0).Bytes(), "-4294965796");
  EXPECT_EQ(ToText(1.0 / 3).Bytes(), "0.3333333333333");
  EXPECT_EQ(ToText(2.0 / 3).Bytes(), "0.6666666666667");
  EXPECT_EQ(ToText(1234567890123.0).Bytes(), "1234567890123");
  // The exponent form, the same on every platform (printf's on Windows writes three digits).
  EXPECT_EQ(ToText(1e13).Bytes(), "1e+13");
  EXPECT_EQ(ToText(123456789012345.0).Bytes(), "1.234567890123e+14");
  EXPECT_EQ(ToText(0.0001).Bytes(), "0.0001");
  EXPECT_EQ(ToText(0.00001).Bytes(), "1e-05");
  EXPECT_EQ(ToText(-481197165).Bytes(), "-481197165");
  EXPECT_EQ(ToText(-2147483647 - 1).Bytes(), "-2147483648");
  EXPECT_EQ(ToText(static_cast<short>(7)).Bytes(), "7");
  EXPECT_EQ(ToText(static_cast<short>(-32768)).Bytes(), "-32768");
  EXPECT_EQ(ToText(std::int64_t{1730390623123}).Bytes(), "1730390623123");
  EXPECT_EQ(ToText(std::int64_t{-9223372036854775807 - 1}).Bytes(), "-9223372036854775808");
}

TEST(ToText, TextAndBytes) {
  EXPECT_EQ(ToText(Text("ab")).Bytes(), "ab");
  EXPECT_EQ(ToText(ByteString(std::string("ab\0c", 4))).Bytes(), "ab");
  EXPECT_TRUE(ToText(ByteString()).Empty());
}

TEST(ToText, DateTimeDropsZeroTrailingFields) {
  struct Case {
    DateTime v;
    const char* expected;
  };
  // 年 C4EA, 月 D4C2, 日 C8D5, 时 CAB1, 分 B7D6, 秒 C3EB
  const Case cases[] = {
      {At(2024, 11, 1, 8, 5, 3), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1" "5\xB7\xD6" "3\xC3\xEB"},
      {At(2024, 11, 1, 8, 5, 0), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1" "5\xB7\xD6"},
      {At(2024, 11, 1, 8, 0, 0), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1"},
      {At(2024, 11, 1), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5"},
      {At(2024, 11, 1, 0, 0, 7), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "0\xCA\xB1" "0\xB7\xD6" "7\xC3\xEB"},
      {At(2024, 11, 1, 12, 0, 30), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "12\xCA\xB1" "0\xB7\xD6" "30\xC3\xEB"},
      {At(2024, 11, 1, 0, 30, 0), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "0\xCA\xB1" "30\xB7\xD6"},
      {DateTime{25569 + 1.0 / 3}, "1970\xC4\xEA" "1\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1"},
      {DateTime{0}, "1899\xC4\xEA" "12\xD4\xC2" "30\xC8\xD5"},
      // Rounded to the nearest second, which may carry into the next day.
      {DateTime{45597.0 - 0.4 / 86400}, "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5"},
      {DateTime{45597.0 + 1.6 / 86400}, "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "0\xCA\xB1" "0\xB7\xD6" "2\xC3\xEB"},
      // Outside the valid range the nearest bound is shown.
      {DateTime{-1e9}, "100\xC4\xEA" "1\xD4\xC2" "1\xC8\xD5"},
      {DateTime{1e9}, "9999\xC4\xEA" "12\xD4\xC2" "31\xC8\xD5"},
      {DateTime{-1.25}, "1899\xC4\xEA" "12\xD4\xC2" "29\xC8\xD5" "6\xCA\xB1"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToText(c.v).Bytes(), c.expected) << c.v.days;
}

TEST(DateTime, CalendarRoundTripsOverTheWholeRange) {
  // Every 97th day from 0100-01-01 to 9999-12-31 comes back as the date it was made from.
  int year = 0, month = 0, day = 0;
  const std::int64_t first = DaysFromCivil(100, 1, 1), last = DaysFromCivil(9999, 12, 31);
  EXPECT_EQ(first + 25569, -657434);
  EXPECT_EQ(last + 25569, 2958465);
  int checked = 0;
  for (std::int64_t d = first; d <= last; d += 97, ++checked) {
    CivilFromDays(d, year, month, day);
    ASSERT_EQ(DaysFromCivil(year, month, day), d) << year << "-" << month << "-" << day;
    ASSERT_GE(month, 1);
    ASSERT_LE(month, 12);
  }
  EXPECT_GT(checked, 30000);
  CivilFromDays(DaysFromCivil(2024, 2, 29) + 1, year, month, day);
  EXPECT_EQ(month * 100 + day, 301);
  CivilFromDays(DaysFromCivil(1900, 2, 28) + 1, year, month, day);
  EXPECT_EQ(month * 100 + day, 301);
  EXPECT_EQ(DayOfWeekFromDays(DaysFromCivil(2024, 11, 1)), 6);  // a Friday
  EXPECT_EQ(DayOfWeekFromDays(DaysFromCivil(1899, 12, 30)), 7);  // a Saturday
  EXPECT_EQ(DayOfWeekFromDays(DaysFromCivil(100, 1, 1)), 6);
}

TEST(ToDateTime, AcceptsAndRejects) {
  struct Case {
    const char* text;
    DateTime expected;
  };
  const DateTime rejected{-657434};
  const Case cases[] = {
      {"1970-01-01 08:00:00", DateTime{25569 + 1.0 / 3}},
      {"2024-11-01", At(2024, 11, 1)},
      {"2024/11/1 8:5:3", At(2024, 11, 1, 8, 5, 3)},
      {"2024.11.01.08.05.03", At(2024, 11, 1, 8, 5, 3)},
      {"2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1" "5\xB7\xD6" "3\xC3\xEB", At(2024, 11, 1, 8, 5, 3)},
      {"2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1", At(2024, 11, 1, 8)},
      {"2024-11-01 08:05:03\xC3\xEB" "whatever", At(2024, 11, 1, 8, 5, 3)},
      {"20241101", At(2024, 11, 1)},             // fields end after their digits
      {"202411010805", At(2024, 11, 1, 8, 5)},
      {"\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB4-1-1", At(2024, 1, 1)},  // full-width digits
      {"2024-02-29", At(2024, 2, 29)},
      {"2000-02-29", At(2000, 2, 29)},
      {"0100-01-01", DateTime{-657434}},
      {"9999-12-31 23:59:59", At(9999, 12, 31, 23, 59, 59)},
      {"2023-02-29", rejected},
      {"1900-02-29", rejected},
      {"2024-13-01", rejected},
      {"2024-11-00", rejected},
      {"2024-04-31", rejected},
      {"2024-11-01 24:00:00", rejected},
      {"2024-11-01 23:60:00", rejected},
      {"2024-11-01 23:59:60", rejected},
      {"0099-12-31", rejected},
      {"", rejected},
      {" 2024-11-01", rejected},              // leading space: the year reads no digits
      {"2024-11-01x", rejected},              // something other than 秒 after the fields
      {"2024-11-01 08:05:03 ", rejected},
      {"2024--11-01", rejected},              // one separator only: the month reads 0
  };
  for (const auto& c : cases) EXPECT_EQ(ToDateTime(c.text).days, c.expected.days) << c.text;
  EXPECT_EQ(ToDateTime(Text()).days, -657434);
}

TEST(TimeDifference, Units) {
  struct Case {
    DateTime a, b;
    TimeUnit unit;
    double expected;
  };
  const DateTime d1231 = At(2024, 12, 31), d0101 = At(2025, 1, 1);
  const Case cases[] = {
      {d1231, d0101, TimeUnit::Years, -1},
      {d1231, d0101, TimeUnit::Months, -1},
      {d1231, d0101, TimeUnit::Days, -1},
      {d1231, d0101, TimeUnit::Quarters, -1},
      {At(2024, 6, 30), At(2024, 4, 1), TimeUnit::Quarters, 0},
      {At(2024, 7, 1), At(2024, 6, 30), TimeUnit::Quarters, 1},
      {At(2025, 3, 31), At(2023, 12, 1), TimeUnit::Quarters, 5},
      {At(2025, 3, 31), At(2023, 12, 1), TimeUnit::Months, 15},
      {At(2025, 1, 1), At(2024, 12, 31, 23, 59, 59), TimeUnit::Years, 1},
      {At(2024, 11, 1, 18), At(2024, 11, 1, 6), TimeUnit::Days, 0.5},
      {At(2024, 11, 1, 8, 59, 59), At(2024, 11, 1, 8), TimeUnit::Hours, 0},
      {At(2024, 11, 1, 9), At(2024, 11, 1, 8), TimeUnit::Hours, 1},
      {At(2024, 11, 2, 9), At(2024, 11, 1, 8, 30), TimeUnit::Hours, 24},
      {At(2024, 11, 1, 8, 1, 59), At(2024, 11, 1, 8), TimeUnit::Minutes, 1},
      {At(2024, 11, 1, 8, 0, 1), At(2024, 11, 1, 8), TimeUnit::Seconds, 1},
      {At(2024, 11, 1), At(2024, 10, 31, 23, 59, 59), TimeUnit::Seconds, 1},
      {DateTime{25569 + 1.0 / 3 + 1730390623.0 / 86400}, DateTime{25569 + 1.0 / 3}, TimeUnit::Seconds,
       1730390623},
      // Beyond 2^31 - 1 seconds only the low 32 bits remain.
      {At(2038, 1, 19, 11, 14, 8), DateTime{25569 + 1.0 / 3}, TimeUnit::Seconds, -2147483647.0 - 1},
      {At(2038, 1, 19, 11, 14, 7), DateTime{25569 + 1.0 / 3}, TimeUnit::Seconds, 2147483647},
      // Weeks: whole weeks, plus one when a's weekday comes before b's.
      {At(2024, 11, 8), At(2024, 11, 1), TimeUnit::Weeks, 1},     // Friday to Friday
      {At(2024, 11, 7), At(2024, 11, 1), TimeUnit::Weeks, 1},     // Thursday after Friday: a Sunday between
      {At(2024, 11, 3), At(2024, 11, 2), TimeUnit::Weeks, 1},     // Sunday after Saturday
      {At(2024, 11, 16), At(2024, 11, 3), TimeUnit::Weeks, 1},    // Saturday, 13 days on
      {At(2024, 11, 17), At(2024, 11, 3), TimeUnit::Weeks, 2},
      {At(2024, 11, 2), At(2024, 11, 3), TimeUnit::Weeks, -1},    // Saturday before Sunday
      {At(2024, 11, 1), At(2024, 11, 8), TimeUnit::Weeks, -1},
      // Units outside 1..8 are clamped.
      {d1231, d0101, static_cast<TimeUnit>(0), -1},
      {At(2024, 11, 1, 0, 0, 5), At(2024, 11, 1), static_cast<TimeUnit>(9), 5},
      // Dates outside the valid range count as the nearest bound.
      {DateTime{1e9}, At(9999, 12, 30), TimeUnit::Days, 1},
      {DateTime{-1e9}, DateTime{-657434}, TimeUnit::Seconds, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TimeDifference(c.a, c.b, c.unit), c.expected)
        << c.a.days << " - " << c.b.days << " unit " << static_cast<int>(c.unit);
  }
}

TEST(TimeDifference, EqualValuesGiveZeroInEveryUnit) {
  const DateTime v = At(2024, 11, 1, 8, 5, 3);
  for (int u = 0; u <= 9; ++u) EXPECT_EQ(TimeDifference(v, v, static_cast<TimeUnit>(u)), 0.0) << u;
}

TEST(TimeDifference, SecondsSinceTheEpochOverManyDays) {
  // The half-second allowance keeps every whole second exact despite the real arithmetic.
  const DateTime epoch = ToDateTime("1970-01-01 08:00:00");
  for (std::int64_t s = 0; s < 2147483647; s += 9999991) {
    const std::int64_t day = s / 86400, rest = s % 86400;
    int y = 0, m = 0, d = 0;
    CivilFromDays(day, y, m, d);
    const DateTime v = At(y, m, d, static_cast<int>(rest / 3600) + 8, static_cast<int>(rest / 60 % 60),
                          static_cast<int>(rest % 60));
    ASSERT_EQ(TimeDifference(v, epoch, TimeUnit::Seconds), static_cast<double>(s)) << s;
  }
}

class NowTest : public ::testing::Test {
protected:
  void SetUp() override { ResetFakeClock(); }
  void TearDown() override { ResetFakeClock(); }
};

TEST_F(NowTest, WholeSecondsOfTheLocalClock) {
  SetFakeLocalClock(2024, 11, 1, 8, 5, 3, 999);
  EXPECT_EQ(Now().days, At(2024, 11, 1, 8, 5, 3).days);
  SetFakeLocalClock(2024, 11, 1, 8, 5, 3, 0);
  EXPECT_EQ(Now().days, At(2024, 11, 1, 8, 5, 3).days);
  AdvanceFakeClock(1000);
  EXPECT_EQ(ToText(Now()).Bytes(), "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1" "5\xB7\xD6" "4\xC3\xEB");
}

TEST_F(NowTest, SecondsSinceTheUtcPlus8Epoch) {
  // 2024-10-31 16:03:43 UTC+8 is Unix time 1730361823.
  SetFakeLocalClock(2024, 10, 31, 16, 3, 43, 123);
  EXPECT_EQ(TimeDifference(Now(), ToDateTime("1970-01-01 08:00:00"), TimeUnit::Seconds), 1730361823.0);
}

// Other parts' tests drive time through the double, so its carrying must be right.
TEST_F(NowTest, FakeClockCarriesAcrossDaysMonthsAndYears) {
  SetFakeLocalClock(2024, 12, 31, 23, 59, 59, 500);
  SetFakeMonotonicMilliseconds(1000);
  AdvanceFakeClock(600);
  const LocalClockReading r = ReadLocalClock();
  EXPECT_EQ(r.year, 2025);
  EXPECT_EQ(r.month, 1);
  EXPECT_EQ(r.day, 1);
  EXPECT_EQ(r.dayOfWeek, 3);  // a Wednesday, Sunday being 0
  EXPECT_EQ(r.hour * 10000 + r.minute * 100 + r.second, 0);
  EXPECT_EQ(r.milliseconds, 100);
  EXPECT_EQ(MonotonicMilliseconds(), 1600);

  SetFakeLocalClock(2024, 2, 28, 12, 0, 0, 0);
  AdvanceFakeLocalClock(86400000);
  EXPECT_EQ(ReadLocalClock().day, 29);
  AdvanceFakeLocalClock(-2 * 86400000LL);  // the wall clock set back
  EXPECT_EQ(ReadLocalClock().day, 27);
  EXPECT_EQ(MonotonicMilliseconds(), 1600);  // untouched by the wall clock
  AdvanceFakeMonotonic(5);
  EXPECT_EQ(MonotonicMilliseconds(), 1605);
}

TEST_F(NowTest, FakeClockStartsAtAKnownReading) {
  AdvanceFakeClock(5);
  ResetFakeClock();
  const LocalClockReading r = ReadLocalClock();
  EXPECT_EQ(r.year * 10000 + r.month * 100 + r.day, 20241101);
  EXPECT_EQ(r.hour * 10000 + r.minute * 100 + r.second, 80503);
  EXPECT_EQ(r.dayOfWeek, 5);  // a Friday
  EXPECT_EQ(FakeLocalClockReads(), 1);
  EXPECT_EQ(MonotonicMilliseconds(), 0);
}

}  // namespace
