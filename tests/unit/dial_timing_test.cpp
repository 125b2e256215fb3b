#include <gtest/gtest.h>

#include "app/window.h"
#include "dial/timing.h"
#include "fakes/clock_fake.h"
#include "fakes/window_fake.h"
#include "text/convert.h"

namespace {

LocalClockReading At(int year, int month, int day, int hour, int minute, int second, int ms) {
  LocalClockReading r;
  r.year = year;
  r.month = month;
  r.day = day;
  r.hour = hour;
  r.minute = minute;
  r.second = second;
  r.milliseconds = ms;
  return r;
}

class Timing : public ::testing::Test {
 protected:
  void SetUp() override { ResetFakeWindow(); }
  void TearDown() override { ResetFakeClock(); }
};

struct StampCase {
  LocalClockReading reading;
  bool secondsOnly;
  const char* stamp;
};

TEST_F(Timing, StampIsLocalSecondsSince0800Then3DigitMilliseconds) {
  const StampCase cases[] = {
      // 2024-11-01 00:03:43 local is Unix time 1730390623 at UTC+8.
      {At(2024, 11, 1, 0, 3, 43, 123), false, "1730390623123"},
      {At(2024, 11, 1, 0, 3, 43, 0), false, "1730390623000"},
      {At(2024, 11, 1, 0, 3, 43, 5), false, "1730390623005"},
      {At(2024, 11, 1, 0, 3, 43, 45), false, "1730390623045"},
      {At(2024, 11, 1, 0, 3, 43, 999), false, "1730390623999"},
      {At(2024, 11, 1, 0, 3, 43, 999), true, "1730390623"},
      // The last second of a leap day rolls the date fields, not the count.
      {At(2024, 2, 29, 23, 59, 59, 1), false, "1709222399001"},
      {At(2024, 3, 1, 0, 0, 0, 1), false, "1709222400001"},
      // Past the instant the count leaves 32 bits: still 13 digits, no sign.
      {At(2040, 1, 1, 8, 0, 0, 0), false, "2208988800000"},
      {At(2040, 1, 1, 8, 0, 0, 0), true, "2208988800"},
      // Nine digits of seconds: the stamp is filled up to 13 at its end.
      {At(1990, 1, 1, 8, 0, 0, 7), false, "6311520000070"},
      {At(1990, 1, 1, 8, 0, 0, 7), true, "6311520000"},
  };
  for (const StampCase& c : cases) {
    SetFakeClock(c.reading, 0);
    EXPECT_EQ(MillisecondStamp(c.secondsOnly).Bytes(), c.stamp) << c.stamp;
  }
}

TEST_F(Timing, StampsAreStoredWrappedTo32Bits) {
  SetFakeClock(At(2024, 11, 1, 0, 3, 43, 123), 50'000);
  StartTiming();
  AdvanceFakeClock(1500);
  FinishTiming();
  // 1730390623123 and 1730390624623 modulo 2^32, read as signed.
  EXPECT_EQ(DialStartStamp, -481197165);
  EXPECT_EQ(DialEndStamp, -481195665);
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "1500");
}

TEST_F(Timing, SpanAcrossASecondBoundaryIsTheTrueSpan) {
  // A start 2 ms before the second turns, and 200 ms later the end.
  SetFakeClock(At(2024, 11, 1, 8, 5, 3, 998), 7'000);
  StartTiming();
  AdvanceFakeClock(200);
  FinishTiming();
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "200");
  EXPECT_EQ(DialEndStamp - DialStartStamp, 200);
}

TEST_F(Timing, SpanAcrossThe32BitWrapInstantIsTheTrueSpan) {
  // 1728724336540 ms is 2^31 - 100 modulo 2^32: the stored stamp flips sign 100 ms later.
  SetFakeClock(At(2024, 10, 12, 17, 12, 16, 540), 123'456);
  StartTiming();
  EXPECT_EQ(MillisecondStamp().Bytes(), "1728724336540");
  AdvanceFakeClock(300);
  FinishTiming();
  EXPECT_EQ(DialStartStamp, 2147483548);
  EXPECT_EQ(DialEndStamp, -2147483448);
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "300");
}

TEST_F(Timing, WallClockSetBackDuringTheSpanDoesNotChangeTheFigure) {
  SetFakeClock(At(2024, 11, 1, 8, 5, 3, 250), 1'000);
  StartTiming();
  AdvanceFakeClock(1'750);
  SetFakeLocalClock(At(2024, 11, 1, 7, 5, 3, 0));
  FinishTiming();
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "1750");
}

TEST_F(Timing, FinishAlwaysMeasuresFromTheLatestStart) {
  SetFakeClock(At(2024, 11, 1, 8, 5, 3, 250), 0);
  StartTiming();
  AdvanceFakeClock(100);
  FinishTiming();
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "100");
  AdvanceFakeClock(50);
  FinishTiming();
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "150");

  StartTiming();
  // Thirty days: more milliseconds than a signed 32-bit count holds.
  AdvanceFakeClock(2'592'000'000);
  FinishTiming();
  EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "2592000000");
}

}  // namespace
