#include <gtest/gtest.h>

#include "fakes/icmp_fake.h"
#include "service/lookup_ping.h"

namespace {

class PingHostTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFakeIcmp();
    ForgetPingStartUp();
    FakeIcmp().hosts = {{"fast.test", 0}, {"slow.test", 850}, {"mute.test", -1}};
  }
};

TEST_F(PingHostTest, OneEchoWithTheGivenTimeout) {
  struct Case {
    const char* host;
    std::optional<int> timeoutMs;
    int result;
    std::vector<FakeEcho> echoes;
  };
  const Case cases[] = {
      {"fast.test", 1000, 0, {{"fast.test", 1000}}},  // 0 ms is an answer, not a failure
      {"slow.test", 250, 850, {{"slow.test", 250}}},
      {"slow.test", std::nullopt, 850, {{"slow.test", 10000}}},
      {"mute.test", 1000, -1, {{"mute.test", 1000}}},
      // No address, no echo: the timeout is never waited for.
      {"nowhere.invalid", 1000, -1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    FakeIcmp().echoes.clear();
    int rtt = c.timeoutMs ? PingHost(c.host, *c.timeoutMs) : PingHost(c.host);
    EXPECT_EQ(rtt, c.result);
    EXPECT_EQ(FakeIcmp().echoes, c.echoes);
  }
  EXPECT_EQ(FakeIcmp().socketStarts, 1);
  EXPECT_EQ(FakeIcmp().libraryLoadsTried, 1);
}

TEST_F(PingHostTest, FailedSocketsStartIsRetriedOnTheNextPing) {
  FakeIcmp().socketsStart = false;
  EXPECT_EQ(PingHost("fast.test", 1000), -1);
  EXPECT_EQ(PingHost("fast.test", 1000), -1);
  EXPECT_EQ(FakeIcmp().socketStarts, 2);
  EXPECT_EQ(FakeIcmp().libraryLoadsTried, 0);
  EXPECT_EQ(FakeIcmp().resolutions, 0);

  FakeIcmp().socketsStart = true;
  EXPECT_EQ(PingHost("fast.test", 1000), 0);
  EXPECT_EQ(PingHost("slow.test", 1000), 850);
  EXPECT_EQ(FakeIcmp().socketStarts, 3);
  EXPECT_EQ(FakeIcmp().libraryLoadsTried, 1);
}

TEST_F(PingHostTest, MissingLibraryIsNotLoadedAgain) {
  FakeIcmp().libraryLoads = false;
  EXPECT_EQ(PingHost("fast.test", 1000), -1);
  FakeIcmp().libraryLoads = true;  // would load now, but is not asked again
  EXPECT_EQ(PingHost("fast.test", 1000), -1);
  EXPECT_EQ(PingHost("slow.test", 1000), -1);
  EXPECT_EQ(FakeIcmp().socketStarts, 1);
  EXPECT_EQ(FakeIcmp().libraryLoadsTried, 1);
  EXPECT_EQ(FakeIcmp().resolutions, 0);
  EXPECT_TRUE(FakeIcmp().echoes.empty());
}

TEST_F(PingHostTest, MissingEchoFunctionsMeanNoPing) {
  FakeIcmp().functionsFound = false;
  EXPECT_EQ(PingHost("fast.test", 1000), -1);
  EXPECT_EQ(FakeIcmp().resolutions, 0);
  EXPECT_TRUE(FakeIcmp().echoes.empty());
}

}  // namespace
