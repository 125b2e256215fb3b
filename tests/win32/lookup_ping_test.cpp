// PingHost and the ICMP facility against Wine's real ICMP library and resolver. Every
// echo goes to loopback; the silent host is a name that cannot resolve.
#include <gtest/gtest.h>

#include <cstdint>

#include "service/icmp.h"
#include "service/lookup_ping.h"

namespace {

constexpr std::uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network byte order

TEST(PingHost, LoopbackAnswersByAddressAndByName) {
  for (const char* host : {"127.0.0.1", "127.0.0.2", "localhost"}) {
    SCOPED_TRACE(host);
    EXPECT_GE(PingHost(host, 1000), 0);
  }
  EXPECT_GE(PingHost("127.0.0.1"), 0);  // the default timeout
}

TEST(PingHost, NameThatDoesNotResolveIsSilent) {
  EXPECT_EQ(PingHost("lookup.dialserver.invalid", 1000), -1);
  // A failed resolution sends nothing, so the ping does not wait out even a long timeout.
  EXPECT_EQ(PingHost("nowhere.invalid"), -1);
  EXPECT_GE(PingHost("127.0.0.1", 1000), 0);  // and a later ping still works
}

TEST(IcmpFacility, ResolvesDottedAddressesAndNames) {
  ASSERT_TRUE(StartIcmpSockets());
  struct Case {
    const char* host;
    bool resolves;
    std::uint32_t address;
  };
  const Case cases[] = {
      {"127.0.0.1", true, kLoopback},
      {"127.1.2.3", true, 0x0302017F},
      {"localhost", true, kLoopback},
      {"nowhere.invalid", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.host);
    std::uint32_t address = 0;
    ASSERT_EQ(ResolveHostAddress(c.host, address), c.resolves);
    EXPECT_EQ(address, c.address);
  }
}

TEST(IcmpFacility, EchoToLoopbackReportsTheRoundTrip) {
  ASSERT_TRUE(StartIcmpSockets());
  ASSERT_TRUE(LoadIcmpLibrary());
  ASSERT_TRUE(LoadIcmpLibrary());  // kept: a second call finds it loaded
  ASSERT_TRUE(FindIcmpFunctions());
  // The reply buffer is sized for this build's reply record; a buffer too small for it
  // would make every echo fail.
  for (int i = 0; i < 3; ++i) EXPECT_GE(SendIcmpEcho(kLoopback, 1000), 0) << i;
}

}  // namespace
