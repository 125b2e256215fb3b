#include <gtest/gtest.h>

#include "app/window.h"
#include "fakes/icmp_fake.h"
#include "fakes/window_fake.h"
#include "service/lookup_hosts.h"
#include "service/lookup_ping.h"

namespace {

const std::string kPrimary = "lookup-a.test";
const std::string kSecondary = "lookup-b.test";
const std::string kUp = "\xD5\xFD\xB3\xA3";    // 正常
const std::string kDown = "\xB5\xF4\xCF\xDF";  // 掉线
const std::string kLabelDefault = "\xB1\xEA\xC7\xA9";  // 标签
constexpr int kUnresolvable = -2;  // the host is left out of the fake's name table

class LookupHostsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFakeIcmp();
    ForgetPingStartUp();
    ResetFakeWindow();
    ConfigureLookupHosts(kPrimary, kSecondary);
    PrimaryHost = SecondaryHost = CurrentHost = PrimaryStatus = SecondaryStatus = Text();
  }

  static void Script(int primaryRtt, int secondaryRtt) {
    FakeIcmp().hosts.clear();
    if (primaryRtt != kUnresolvable) FakeIcmp().hosts[kPrimary] = primaryRtt;
    if (secondaryRtt != kUnresolvable) FakeIcmp().hosts[kSecondary] = secondaryRtt;
  }
};

struct CheckCase {
  const char* what;
  std::string currentBefore, primaryBefore, secondaryBefore;
  int primaryRtt, secondaryRtt;  // -1: resolves but never answers
  std::vector<FakeEcho> pings;
  std::string currentAfter, primaryAfter, secondaryAfter;
  bool result;
};

TEST_F(LookupHostsTest, FailoverTable) {
  const CheckCase cases[] = {
      {"first check, primary answers", "", "", "", 12, 7,
       {{kPrimary, 1000}}, kPrimary, kUp, "", true},
      {"first check, primary silent, secondary answers", "", "", "", -1, 7,
       {{kPrimary, 1000}, {kSecondary, 1000}}, kSecondary, kDown, kUp, true},
      {"first check, both silent", "", "", "", -1, -1,
       {{kPrimary, 1000}, {kSecondary, 1000}}, kPrimary, kDown, kDown, false},
      {"on primary, primary answers in 0 ms", kPrimary, kDown, kDown, 0, 7,
       {{kPrimary, 1000}}, kPrimary, kUp, kDown, true},
      {"on secondary, secondary answers: only its own status", kSecondary, kDown, kDown, 5, 0,
       {{kSecondary, 1000}}, kSecondary, kDown, kUp, true},
      {"on primary, primary silent, secondary answers", kPrimary, kUp, kDown, -1, 3,
       {{kPrimary, 1000}, {kSecondary, 1000}}, kSecondary, kDown, kUp, true},
      {"on primary, both silent: stays on primary", kPrimary, kUp, kUp, -1, -1,
       {{kPrimary, 1000}, {kSecondary, 1000}}, kPrimary, kDown, kDown, false},
      {"on secondary, secondary silent, primary answers", kSecondary, kDown, kUp, 4, -1,
       {{kSecondary, 1000}, {kPrimary, 1000}}, kPrimary, kUp, kDown, true},
      {"on secondary, both silent: stays on secondary", kSecondary, kUp, kUp, -1, -1,
       {{kSecondary, 1000}, {kPrimary, 1000}}, kSecondary, kDown, kDown, false},
      {"a name that does not resolve is silent", kPrimary, kUp, kDown, -1, kUnresolvable,
       {{kPrimary, 1000}}, kPrimary, kDown, kDown, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    CurrentHost = c.currentBefore;
    PrimaryStatus = c.primaryBefore;
    SecondaryStatus = c.secondaryBefore;
    SetFieldText(Field::CurrentHostBox, "stale");
    Script(c.primaryRtt, c.secondaryRtt);

    EXPECT_EQ(CheckLookupHosts(), c.result);
    EXPECT_EQ(FakeIcmp().echoes, c.pings);
    EXPECT_EQ(CurrentHost.Bytes(), c.currentAfter);
    EXPECT_EQ(PrimaryStatus.Bytes(), c.primaryAfter);
    EXPECT_EQ(SecondaryStatus.Bytes(), c.secondaryAfter);
    // A status never written shows as an empty caption, not the label's initial text.
    EXPECT_EQ(FakeLabelCaption(Label::PrimaryStatusLabel).Bytes(), c.primaryAfter);
    EXPECT_EQ(FakeLabelCaption(Label::SecondaryStatusLabel).Bytes(), c.secondaryAfter);
    EXPECT_EQ(GetFieldText(Field::CurrentHostBox).Bytes(), c.currentAfter);
  }
}

TEST_F(LookupHostsTest, EveryCheckSetsTheConfiguredNamesAndShowsTheState) {
  PrimaryHost = "old-primary";
  SecondaryHost = "old-secondary";
  Script(1, 1);
  ASSERT_TRUE(CheckLookupHosts());
  EXPECT_EQ(PrimaryHost.Bytes(), kPrimary);
  EXPECT_EQ(SecondaryHost.Bytes(), kSecondary);

  // Nothing changes in the second check, yet the window is written again.
  SetLabelCaption(Label::PrimaryStatusLabel, kLabelDefault);
  SetLabelCaption(Label::SecondaryStatusLabel, kLabelDefault);
  SetFieldText(Field::CurrentHostBox, "edited by the operator");
  ASSERT_TRUE(CheckLookupHosts());
  EXPECT_EQ(FakeLabelCaption(Label::PrimaryStatusLabel).Bytes(), kUp);
  EXPECT_EQ(FakeLabelCaption(Label::SecondaryStatusLabel).Bytes(), "");
  EXPECT_EQ(GetFieldText(Field::CurrentHostBox).Bytes(), kPrimary);
}

TEST_F(LookupHostsTest, EmptyConfiguredNamesMeanTheBuiltInHosts) {
  ConfigureLookupHosts("", "");
  FakeIcmp().hosts["lookup2.dialserver.example"] = 9;
  ASSERT_TRUE(CheckLookupHosts());
  EXPECT_EQ(PrimaryHost.Bytes(), "lookup1.dialserver.example");
  EXPECT_EQ(SecondaryHost.Bytes(), "lookup2.dialserver.example");
  EXPECT_EQ(CurrentHost.Bytes(), "lookup2.dialserver.example");
  const std::vector<FakeEcho> pings = {{"lookup2.dialserver.example", 1000}};
  EXPECT_EQ(FakeIcmp().echoes, pings);  // the built-in primary does not resolve here
}

TEST_F(LookupHostsTest, StateCarriesFromCheckToCheck) {
  struct Step {
    int primaryRtt, secondaryRtt;
    std::string currentAfter, primaryAfter, secondaryAfter;
    bool result;
    std::size_t pings;
  };
  const Step steps[] = {
      {-1, 2, kSecondary, kDown, kUp, true, 2},
      {-1, -1, kSecondary, kDown, kDown, false, 2},  // stays where the last check left it
      {-1, 2, kSecondary, kDown, kUp, true, 1},      // the secondary is pinged first now
      {6, -1, kPrimary, kUp, kDown, true, 2},
      {6, -1, kPrimary, kUp, kDown, true, 1},
  };
  int n = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(++n);
    Script(s.primaryRtt, s.secondaryRtt);
    FakeIcmp().echoes.clear();
    EXPECT_EQ(CheckLookupHosts(), s.result);
    EXPECT_EQ(CurrentHost.Bytes(), s.currentAfter);
    EXPECT_EQ(PrimaryStatus.Bytes(), s.primaryAfter);
    EXPECT_EQ(SecondaryStatus.Bytes(), s.secondaryAfter);
    EXPECT_EQ(FakeIcmp().echoes.size(), s.pings);
  }
}

}  // namespace
