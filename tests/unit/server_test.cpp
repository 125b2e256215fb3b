// The request server's rules against the socket double: notifications are delivered by
// hand, the double logs what the server asked of the system.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "fakes/sockets_fake.h"
#include "service/server.h"

namespace {

struct SeenEvent {
  ServerEvent event;
  std::string client;
  std::string data;
  int connections;  // table size while the handler ran
};

std::vector<SeenEvent> seen;
std::function<void(ServerEvent)> duringEvent;

}  // namespace

void OnServerEvent(ServerEvent event) {
  seen.push_back({event, CurrentClient().Bytes(), ReceivedData().Bytes(), ConnectionCount()});
  if (duringEvent) duringEvent(event);
}

namespace {

constexpr std::uint32_t Ip(int a, int b, int c, int d) {
  return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
         static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

int window;  // stands for the main window; the double never looks at it

class ServerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ResetFakeSockets();
    seen.clear();
    duringEvent = nullptr;
  }
  void TearDown() override {
    StopRequestServer();
    duringEvent = nullptr;
  }

  void Start() { ASSERT_TRUE(StartRequestServer(&window, 19730)); }

  static void Notify(SocketHandle s, long event) {
    EXPECT_TRUE(HandleServerMessage(ServerClientMessage, s, event));
  }

  // A peer connects and the server handles the accept notification.
  static SocketHandle Connect(std::uint32_t address, std::uint16_t port) {
    SocketHandle s = FakeQueueClient(address, port);
    EXPECT_TRUE(HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent));
    return s;
  }

  static std::vector<std::string> CallsFrom(std::size_t first) {
    const auto& all = FakeSocketCalls();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end()};
  }
};

TEST_F(ServerTest, ListensOnTheWildcardPortWithAcceptNotifications) {
  Start();
  EXPECT_EQ(FakeSocketCalls(), (std::vector<std::string>{"WSAStartup", "socket", "bind 1 19730",
                                                         "listen 1", "WSAAsyncSelect 1 32769 8"}));
}

TEST_F(ServerTest, PortIsTakenAsSixteenBits) {
  ASSERT_TRUE(StartRequestServer(&window, 0x10000 + 19730));
  EXPECT_EQ(FakeSocketCalls().at(2), "bind 1 19730");
}

TEST_F(ServerTest, FailedStartLeavesNoListener) {
  struct Case {
    const char* name;
    void (*fail)(FakeSocketScript&);
    std::vector<std::string> calls;  // start and stop together
  };
  const Case cases[] = {
      {"startup", [](FakeSocketScript& s) { s.startupFails = true; }, {"WSAStartup"}},
      {"socket", [](FakeSocketScript& s) { s.openFails = true; },
       {"WSAStartup", "socket", "WSACleanup"}},
      {"bind", [](FakeSocketScript& s) { s.bindFails = true; },
       {"WSAStartup", "socket", "bind 1 19730", "closesocket 1", "WSACleanup"}},
      {"listen", [](FakeSocketScript& s) { s.listenFails = true; },
       {"WSAStartup", "socket", "bind 1 19730", "listen 1", "closesocket 1", "WSACleanup"}},
      {"select", [](FakeSocketScript& s) { s.listenerSelectFails = true; },
       {"WSAStartup", "socket", "bind 1 19730", "listen 1", "WSAAsyncSelect 1 32769 8",
        "closesocket 1", "WSACleanup"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetFakeSockets();
    seen.clear();
    c.fail(FakeSocketsScript());
    EXPECT_FALSE(StartRequestServer(&window, 19730));
    // A connection that shows up anyway is never accepted.
    FakeQueueClient(Ip(127, 0, 0, 1), 4000);
    EXPECT_TRUE(HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent));
    StopRequestServer();
    EXPECT_EQ(FakeSocketCalls(), c.calls);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(ConnectionCount(), 0);
  }
}

TEST_F(ServerTest, SecondStartIsRefusedAndKeepsTheFirst) {
  Start();
  EXPECT_FALSE(StartRequestServer(&window, 19731));
  EXPECT_EQ(FakeSocketCalls().size(), 5u);
  Connect(Ip(127, 0, 0, 1), 4000);
  EXPECT_EQ(ConnectionCount(), 1);
}

TEST_F(ServerTest, NamesClientsByDottedAddressAndPort) {
  struct Case {
    std::uint32_t address;
    std::uint16_t port;
    const char* text;
  };
  const Case cases[] = {
      {Ip(192, 168, 1, 20), 50432, "192.168.1.20:50432"},
      {Ip(127, 0, 0, 1), 1, "127.0.0.1:1"},
      {Ip(10, 0, 0, 5), 80, "10.0.0.5:80"},
      {Ip(0, 0, 0, 0), 0, "0.0.0.0:0"},
      {Ip(255, 255, 255, 255), 65535, "255.255.255.255:65535"},
  };
  Start();
  for (const Case& c : cases) {
    seen.clear();
    SocketHandle s = Connect(c.address, c.port);
    ASSERT_EQ(seen.size(), 1u) << c.text;
    EXPECT_EQ(seen[0].event, ServerEvent::ClientEntered);
    EXPECT_EQ(seen[0].client, c.text);
    EXPECT_EQ(FakeSocketState(s).selectedEvents, SocketReadEvent | SocketCloseEvent);
  }
  EXPECT_EQ(ConnectionCount(), 5);
}

TEST_F(ServerTest, ClientIsInTheTableWhenEnteredIsRaised) {
  Start();
  Connect(Ip(127, 0, 0, 1), 4000);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].connections, 1);
  // Registered for read and close on the client message before the peer is asked for.
  EXPECT_EQ(CallsFrom(5), (std::vector<std::string>{"accept 1", "WSAAsyncSelect 2 32770 33",
                                                    "getpeername 2"}));
}

TEST_F(ServerTest, FailedAcceptDropsTheConnectionSilently) {
  Start();
  // Nothing waiting: accept fails.
  EXPECT_TRUE(HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent));

  SocketHandle noSelect = FakeQueueClient(Ip(127, 0, 0, 1), 4001);
  FakeSocketState(noSelect).asyncSelectFails = true;
  HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent);

  SocketHandle noPeer = FakeQueueClient(Ip(127, 0, 0, 1), 4002);
  FakeSocketState(noPeer).peerNameFails = true;
  HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent);

  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ConnectionCount(), 0);
  EXPECT_TRUE(FakeSocketState(noSelect).closed);
  EXPECT_TRUE(FakeSocketState(noPeer).closed);
}

TEST_F(ServerTest, ClosedClientLeavesTheTableThenItsSocketCloses) {
  Start();
  SocketHandle a = Connect(Ip(10, 0, 0, 1), 1001);
  SocketHandle b = Connect(Ip(10, 0, 0, 2), 1002);
  SocketHandle c = Connect(Ip(10, 0, 0, 3), 1003);
  bool closedDuringLeft = true;
  duringEvent = [&](ServerEvent) { closedDuringLeft = FakeSocketState(b).closed; };
  seen.clear();

  Notify(b, SocketCloseEvent);

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].event, ServerEvent::ClientLeft);
  EXPECT_EQ(seen[0].client, "10.0.0.2:1002");
  EXPECT_EQ(seen[0].data, "");
  EXPECT_EQ(seen[0].connections, 2);
  EXPECT_FALSE(closedDuringLeft);
  EXPECT_TRUE(FakeSocketState(b).closed);
  EXPECT_EQ(ConnectionCount(), 2);
  EXPECT_FALSE(SendToClient("10.0.0.2:1002", "x"));
  EXPECT_TRUE(SendToClient("10.0.0.1:1001", "to a"));
  EXPECT_TRUE(SendToClient("10.0.0.3:1003", "to c"));
  EXPECT_EQ(FakeSocketState(a).sent, "to a");
  EXPECT_EQ(FakeSocketState(b).sent, "");
  EXPECT_EQ(FakeSocketState(c).sent, "to c");

  // The same socket closing again, or one never accepted, is only closed.
  seen.clear();
  Notify(b, SocketCloseEvent);
  Notify(77, SocketCloseEvent);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(FakeSocketState(77).closed);
  EXPECT_EQ(ConnectionCount(), 2);
}

TEST_F(ServerTest, EventContextHoldsOnlyWhileTheHandlerRuns) {
  Start();
  EXPECT_EQ(CurrentClient(), Text());
  EXPECT_EQ(ReceivedData(), ByteString());

  SocketHandle s = Connect(Ip(192, 168, 1, 20), 50432);
  FakeSocketState(s).incoming = std::string("a\0b", 3);
  // The request cycle replies from inside the handler, to the client it names.
  bool replied = false;
  duringEvent = [&](ServerEvent e) {
    if (e == ServerEvent::DataArrived) replied = SendToClient(CurrentClient(), "ok");
  };
  Notify(s, SocketReadEvent);
  EXPECT_EQ(CurrentClient(), Text());
  EXPECT_EQ(ReceivedData(), ByteString());
  Notify(s, SocketCloseEvent);
  EXPECT_EQ(CurrentClient(), Text());

  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].event, ServerEvent::ClientEntered);
  EXPECT_EQ(seen[0].client, "192.168.1.20:50432");
  EXPECT_EQ(seen[0].data, "");
  EXPECT_EQ(seen[1].event, ServerEvent::DataArrived);
  EXPECT_EQ(seen[1].client, "192.168.1.20:50432");
  EXPECT_EQ(seen[1].data, std::string("a\0b", 3));
  EXPECT_EQ(seen[2].event, ServerEvent::ClientLeft);
  EXPECT_EQ(seen[2].client, "192.168.1.20:50432");
  EXPECT_EQ(seen[2].data, "");
  EXPECT_TRUE(replied);
  EXPECT_EQ(FakeSocketState(s).sent, "ok");
}

TEST_F(ServerTest, ReadTakesWhatIsReadyThenKilobytesUntilNothingMore) {
  struct Case {
    const char* name;
    std::string incoming;
    std::optional<std::uint32_t> ready;  // FIONREAD's answer; the pending count when absent
    bool peerClosed;
    std::vector<int> asks;
    bool raised;
  };
  const std::string big(2000, 'q');
  const Case cases[] = {
      {"all ready", "hello", {}, false, {5, 1024}, true},
      {"ready says 0", "abc", 0u, false, {1, 1024, 1024}, true},
      {"more than ready", big, 3u, false, {3, 1024, 1024, 1024}, true},
      {"peer closed after data", "x", {}, true, {1, 1024}, true},
      {"nothing there", "", {}, false, {1}, false},
      {"only the close", "", {}, true, {1}, false},
  };
  Start();
  std::uint16_t port = 2000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SocketHandle s = Connect(Ip(127, 0, 0, 1), port++);
    FakeSocket& state = FakeSocketState(s);
    state.incoming = c.incoming;
    state.readyReport = c.ready;
    state.peerClosed = c.peerClosed;
    seen.clear();

    Notify(s, SocketReadEvent);

    EXPECT_EQ(FakeSocketState(s).receiveAsks, c.asks);
    ASSERT_EQ(seen.size(), c.raised ? 1u : 0u);
    if (c.raised) {
      EXPECT_EQ(seen[0].event, ServerEvent::DataArrived);
      EXPECT_EQ(seen[0].data, c.incoming);
    }
  }
}

TEST_F(ServerTest, FailedReadyQueryIgnoresTheNotification) {
  Start();
  SocketHandle s = Connect(Ip(127, 0, 0, 1), 3000);
  FakeSocketState(s).incoming = "data";
  FakeSocketState(s).readyFails = true;
  seen.clear();
  Notify(s, SocketReadEvent);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(FakeSocketState(s).receiveAsks.empty());
  EXPECT_EQ(FakeSocketState(s).incoming, "data");
}

TEST_F(ServerTest, OneNotificationYieldsOneEvent) {
  Start();
  SocketHandle s = Connect(Ip(127, 0, 0, 1), 3000);
  // Two writes by the client, both readable at the first notification.
  FakeSocketState(s).incoming = "first";
  FakeSocketState(s).incoming += "second";
  seen.clear();
  Notify(s, SocketReadEvent);
  Notify(s, SocketReadEvent);  // left over in the queue: nothing more to read
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].data, "firstsecond");

  FakeSocketState(s).incoming = "third";
  Notify(s, SocketReadEvent);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].data, "third");
}

TEST_F(ServerTest, BytesFromAnUnknownSocketAreDropped) {
  Start();
  Connect(Ip(127, 0, 0, 1), 3000);
  seen.clear();
  const SocketHandle stranger = 90;
  FakeSocketState(stranger).incoming = "zz";
  Notify(stranger, SocketReadEvent);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(FakeSocketState(stranger).incoming, "");
}

TEST_F(ServerTest, SendToClientResults) {
  struct Case {
    const char* name;
    const char* address;
    std::string data;
    bool asBytes;
    std::optional<int> wait;
    int sendLimit;
    int sendsBeforeFail;
    int writable;
    bool result;
    std::string sent;
    std::vector<int> sendAsks;
    std::vector<int> waits;
  };
  const Case cases[] = {
      {"empty address", "", "reply", false, {}, 0, -1, 1, false, "", {}, {}},
      {"unknown address", "127.0.0.1:9", "reply", false, {}, 0, -1, 1, false, "", {}, {}},
      {"prefix of a known address", "127.0.0.1:5", "reply", false, {}, 0, -1, 1, false, "", {}, {}},
      {"empty text", "127.0.0.1:50", "", false, {}, 0, -1, 1, true, "", {}, {}},
      {"empty bytes", "127.0.0.1:50", "", true, 3, 0, -1, 0, true, "", {}, {}},
      // 你好 ok
      {"text as its bytes", "127.0.0.1:50", "\xC4\xE3\xBA\xC3 ok", false, {}, 0, -1, 1, true,
       "\xC4\xE3\xBA\xC3 ok", {7}, {}},
      {"bytes with a zero", "127.0.0.1:50", std::string("a\0b", 3), true, {}, 0, -1, 1, true,
       std::string("a\0b", 3), {3}, {}},
      {"partial sends repeat", "127.0.0.1:50", "abcdefgh", false, {}, 3, -1, 1, true, "abcdefgh",
       {8, 5, 2}, {}},
      {"send fails midway", "127.0.0.1:50", "abcdefgh", false, {}, 2, 1, 1, false, "ab", {8, 6},
       {}},
      {"first send fails", "127.0.0.1:50", "abc", true, {}, 0, 0, 1, false, "", {3}, {}},
      {"writable in time", "127.0.0.1:50", "abc", false, 0, 0, -1, 1, true, "abc", {3}, {0}},
      {"wait runs out", "127.0.0.1:50", "abc", false, 2, 0, -1, 0, false, "", {}, {2}},
      {"wait fails", "127.0.0.1:50", "abc", true, 5, 0, -1, -1, false, "", {}, {5}},
      {"negative wait sends at once", "127.0.0.1:50", "abc", false, -1, 0, -1, 0, true, "abc",
       {3}, {}},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SocketHandle s = Connect(Ip(127, 0, 0, 1), 50);
    FakeSocket& state = FakeSocketState(s);
    state.sendLimit = c.sendLimit;
    state.sendsBeforeFail = c.sendsBeforeFail;
    state.writable = c.writable;

    bool result = c.asBytes ? SendToClient(c.address, ByteString(c.data), c.wait)
                            : SendToClient(c.address, Text(c.data), c.wait);

    EXPECT_EQ(result, c.result);
    EXPECT_EQ(state.sent, c.sent);
    EXPECT_EQ(state.sendAsks, c.sendAsks);
    EXPECT_EQ(state.waitSeconds, c.waits);
    Notify(s, SocketCloseEvent);
  }
}

TEST_F(ServerTest, SendGoesToTheFirstMatchingConnection) {
  Start();
  SocketHandle first = Connect(Ip(127, 0, 0, 1), 60);
  SocketHandle other = Connect(Ip(127, 0, 0, 2), 60);
  EXPECT_TRUE(SendToClient("127.0.0.2:60", "b"));
  EXPECT_TRUE(SendToClient("127.0.0.1:60", "a"));
  EXPECT_EQ(FakeSocketState(first).sent, "a");
  EXPECT_EQ(FakeSocketState(other).sent, "b");
}

TEST_F(ServerTest, StopClosesConnectionsThenListenerThenReleasesSockets) {
  Start();
  SocketHandle a = Connect(Ip(127, 0, 0, 1), 7001);
  SocketHandle b = Connect(Ip(127, 0, 0, 1), 7002);
  std::size_t before = FakeSocketCalls().size();
  seen.clear();

  StopRequestServer();

  EXPECT_EQ(CallsFrom(before), (std::vector<std::string>{"closesocket " + std::to_string(a),
                                                         "closesocket " + std::to_string(b),
                                                         "closesocket 1", "WSACleanup"}));
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ConnectionCount(), 0);
  EXPECT_FALSE(SendToClient("127.0.0.1:7001", "late"));

  // Stopped for good: a late accept notification accepts nobody.
  before = FakeSocketCalls().size();
  FakeQueueClient(Ip(127, 0, 0, 1), 7003);
  HandleServerMessage(ServerListenerMessage, FakeListener(), SocketAcceptEvent);
  EXPECT_TRUE(CallsFrom(before).empty());
  EXPECT_TRUE(seen.empty());
}

TEST_F(ServerTest, OnlyTheTwoServerMessagesAreTaken) {
  Start();
  EXPECT_FALSE(HandleServerMessage(0x0111, 0, 0));  // a button click
  EXPECT_FALSE(HandleServerMessage(ServerClientMessage + 1, 0, SocketReadEvent));
  EXPECT_TRUE(seen.empty());
  // The high word carries an error code; the low word still says what happened.
  FakeQueueClient(Ip(127, 0, 0, 1), 8000);
  EXPECT_TRUE(HandleServerMessage(ServerListenerMessage, FakeListener(),
                                  (10053 << 16) | SocketAcceptEvent));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].event, ServerEvent::ClientEntered);
}

}  // namespace
