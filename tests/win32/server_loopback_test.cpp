// The request server on real Winsock: a hidden window of the test's own class receives the
// notifications, the test pumps its messages in bounded loops, and clients on 127.0.0.1
// (on the test thread, or on their own threads where they would block) connect and talk.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "service/server.h"

namespace {

struct SeenEvent {
  ServerEvent event;
  std::string client;
  std::string data;
};

std::vector<SeenEvent> seen;
std::function<void(ServerEvent)> duringEvent;

}  // namespace

void OnServerEvent(ServerEvent event) {
  seen.push_back({event, CurrentClient().Bytes(), ReceivedData().Bytes()});
  if (duringEvent) duringEvent(event);
}

namespace {

constexpr DWORD PumpLimitMs = 20000;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleServerMessage(message, static_cast<std::uintptr_t>(wParam),
                          static_cast<std::intptr_t>(lParam)))
    return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeHiddenWindow() {
  static ATOM windowClass = [] {
    WNDCLASSW c = {};
    c.lpfnWndProc = TestWindowProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = L"DsServerTestWindow";
    return RegisterClassW(&c);
  }();
  if (!windowClass) return nullptr;
  return CreateWindowExW(0, L"DsServerTestWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// Dispatches the thread's messages until done() holds or the time limit passes.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs = PumpLimitMs) {
  ULONGLONG deadline = GetTickCount64() + limitMs;
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
      if (done()) return true;
    }
    if (done()) return true;
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                              QS_ALLINPUT);
  }
}

// Dispatches for a while, for checks that something does not happen.
void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

std::string NameOf(const sockaddr_in& a) {
  unsigned long ip = ntohl(a.sin_addr.s_addr);
  char text[32];
  std::snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu:%u", (ip >> 24) & 255, (ip >> 16) & 255,
                (ip >> 8) & 255, ip & 255, static_cast<unsigned>(ntohs(a.sin_port)));
  return text;
}

// The client's own view of its end, which is the server's view of its peer.
std::string LocalName(SOCKET s) {
  sockaddr_in a = {};
  int n = sizeof(a);
  if (getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) != 0) return "";
  return NameOf(a);
}

sockaddr_in Loopback(int port) {
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<u_short>(port));
  return a;
}

int FreePort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  int n = sizeof(a);
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) == 0)
    port = ntohs(a.sin_port);
  closesocket(s);
  return port;
}

// A blocking client socket whose receives give up after a few seconds.
struct Client {
  SOCKET s = INVALID_SOCKET;
  explicit Client(int port) {
    s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    DWORD timeoutMs = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
               sizeof(timeoutMs));
    sockaddr_in a = Loopback(port);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) Close();
  }
  ~Client() { Close(); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;
  bool Connected() const { return s != INVALID_SOCKET; }
  bool Send(const std::string& bytes) const {
    return send(s, bytes.data(), static_cast<int>(bytes.size()), 0) ==
           static_cast<int>(bytes.size());
  }
  // Everything until the server closes its end; "(no close)" appended when a receive
  // timed out or failed first.
  std::string ReceiveToEnd() const {
    std::string all;
    char buffer[4096];
    for (int reads = 0; reads < 1000; ++reads) {
      int got = recv(s, buffer, sizeof(buffer), 0);
      if (got == 0) return all;
      if (got < 0) break;
      all.append(buffer, static_cast<std::size_t>(got));
    }
    return all + "(no close)";
  }
  void Close() {
    if (s != INVALID_SOCKET) closesocket(s);
    s = INVALID_SOCKET;
  }
};

int CountOf(ServerEvent e) {
  int n = 0;
  for (const SeenEvent& s : seen) n += s.event == e;
  return n;
}

class ServerLoopback : public ::testing::Test {
protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    seen.clear();
    duringEvent = nullptr;
    window = MakeHiddenWindow();
    ASSERT_NE(window, nullptr);
    port = FreePort();
    ASSERT_NE(port, 0);
  }
  void TearDown() override {
    StopRequestServer();
    duringEvent = nullptr;
    // Notifications still queued go with the window.
    if (window) DestroyWindow(window);
    WSACleanup();
  }
  void Start() { ASSERT_TRUE(StartRequestServer(window, port)); }

  HWND window = nullptr;
  int port = 0;
};

TEST_F(ServerLoopback, OneByteClientEntersThenSendsIt) {
  Start();
  Client c(port);
  ASSERT_TRUE(c.Connected());
  const std::string name = LocalName(c.s);
  ASSERT_EQ(name.rfind("127.0.0.1:", 0), 0u) << name;
  ASSERT_TRUE(c.Send("Z"));

  ASSERT_TRUE(PumpUntil([] { return CountOf(ServerEvent::DataArrived) >= 1; }));
  PumpFor(200);  // nothing else may follow

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].event, ServerEvent::ClientEntered);
  EXPECT_EQ(seen[0].client, name);
  EXPECT_EQ(seen[0].data, "");
  EXPECT_EQ(seen[1].event, ServerEvent::DataArrived);
  EXPECT_EQ(seen[1].client, name);
  EXPECT_EQ(seen[1].data, "Z");
  EXPECT_EQ(CurrentClient(), Text());
  EXPECT_EQ(ReceivedData(), ByteString());
  EXPECT_EQ(ConnectionCount(), 1);
}

TEST_F(ServerLoopback, SilentClientEntersAndLaterLeaves) {
  Start();
  Client c(port);
  ASSERT_TRUE(c.Connected());
  const std::string name = LocalName(c.s);
  ASSERT_TRUE(PumpUntil([] { return ConnectionCount() == 1; }));
  c.Close();
  ASSERT_TRUE(PumpUntil([] { return CountOf(ServerEvent::ClientLeft) >= 1; }));

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].event, ServerEvent::ClientEntered);
  EXPECT_EQ(seen[0].client, name);
  EXPECT_EQ(seen[1].event, ServerEvent::ClientLeft);
  EXPECT_EQ(seen[1].client, name);
  EXPECT_EQ(seen[1].data, "");
  EXPECT_EQ(ConnectionCount(), 0);
  EXPECT_FALSE(SendToClient(Text(name), Text("late")));
}

TEST_F(ServerLoopback, TwoSendsReadableTogetherArriveAsOneEvent) {
  Start();
  Client c(port);
  ASSERT_TRUE(c.Connected());
  // Both writes are waiting before the server has even accepted.
  ASSERT_TRUE(c.Send("first,"));
  ASSERT_TRUE(c.Send("second"));
  ASSERT_TRUE(PumpUntil([] { return CountOf(ServerEvent::DataArrived) >= 1; }));
  PumpFor(200);
  ASSERT_EQ(CountOf(ServerEvent::DataArrived), 1);
  EXPECT_EQ(seen.back().data, "first,second");
}

TEST_F(ServerLoopback, HundredKibibytesArriveWhole) {
  Start();
  std::string payload(100 * 1024, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i)
    payload[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  Client c(port);
  ASSERT_TRUE(c.Connected());
  // One send of it all; it may block until the server reads, so it has its own thread.
  std::atomic<bool> sent{false};
  std::thread writer([&] { sent = c.Send(payload); });
  std::string received;
  auto collect = [&] {
    received.clear();
    for (const SeenEvent& e : seen)
      if (e.event == ServerEvent::DataArrived) received += e.data;
    return received.size() >= payload.size();
  };
  bool whole = PumpUntil(collect);
  writer.join();
  EXPECT_TRUE(sent);
  ASSERT_TRUE(whole) << received.size() << " bytes arrived";
  PumpFor(200);
  collect();
  EXPECT_EQ(received.size(), payload.size());
  EXPECT_TRUE(received == payload);
  for (const SeenEvent& e : seen) {
    if (e.event == ServerEvent::DataArrived) {
      EXPECT_FALSE(e.data.empty());
    }
  }
}

TEST_F(ServerLoopback, TextGoesOnTheWireAsItsBytesOnly) {
  Start();
  Client c(port);
  ASSERT_TRUE(c.Connected());
  const Text name(LocalName(c.s));
  ASSERT_TRUE(PumpUntil([] { return ConnectionCount() == 1; }));

  // "1234，" as code page 936 bytes: 7 bytes, no terminator, no line ending.
  const Text reply("1234\xA3\xAC");
  EXPECT_TRUE(SendToClient(name, Text()));
  EXPECT_TRUE(SendToClient(name, ByteString()));
  EXPECT_TRUE(SendToClient(name, reply));
  EXPECT_TRUE(SendToClient(name, ByteString(std::string("\0z", 2)), 0));
  // Closing the server's end lets the client see where the bytes stop.
  StopRequestServer();
  EXPECT_EQ(c.ReceiveToEnd(), std::string("1234\xA3\xAC") + std::string("\0z", 2));
}

TEST_F(ServerLoopback, SendToAClientThatLeftSendsNothing) {
  Start();
  Client gone(port);
  Client stays(port);
  ASSERT_TRUE(gone.Connected() && stays.Connected());
  const Text goneName(LocalName(gone.s));
  ASSERT_TRUE(PumpUntil([] { return ConnectionCount() == 2; }));
  gone.Close();
  ASSERT_TRUE(PumpUntil([] { return CountOf(ServerEvent::ClientLeft) == 1; }));

  EXPECT_FALSE(SendToClient(goneName, Text("reply")));
  EXPECT_FALSE(SendToClient(goneName, Text("reply"), 1));
  EXPECT_FALSE(SendToClient(Text(), Text("reply")));
  StopRequestServer();
  EXPECT_EQ(stays.ReceiveToEnd(), "");
}

TEST_F(ServerLoopback, HandlerRepliesToTheClientItIsToldAbout) {
  Start();
  Text toldInside;
  duringEvent = [&](ServerEvent e) {
    if (e != ServerEvent::DataArrived) return;
    toldInside = CurrentClient();
    SendToClient(CurrentClient(), ConcatText({"got ", ReceivedData().View()}));
  };
  Client first(port);
  Client second(port);
  ASSERT_TRUE(first.Connected() && second.Connected());
  ASSERT_TRUE(PumpUntil([] { return ConnectionCount() == 2; }));
  ASSERT_TRUE(second.Send("two"));
  ASSERT_TRUE(PumpUntil([] { return CountOf(ServerEvent::DataArrived) == 1; }));
  EXPECT_EQ(toldInside, Text(LocalName(second.s)));
  EXPECT_EQ(CurrentClient(), Text());
  EXPECT_EQ(ReceivedData(), ByteString());
  StopRequestServer();
  EXPECT_EQ(second.ReceiveToEnd(), "got two");
  EXPECT_EQ(first.ReceiveToEnd(), "");
}

TEST_F(ServerLoopback, PortHeldByAnotherListenerMeansNoServer) {
  SOCKET holder = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in any = {};
  any.sin_family = AF_INET;
  any.sin_port = htons(static_cast<u_short>(port));
  ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&any), sizeof(any)), 0);
  ASSERT_EQ(listen(holder, SOMAXCONN), 0);

  EXPECT_FALSE(StartRequestServer(window, port));
  Client c(port);  // lands in the holder's backlog
  EXPECT_TRUE(c.Connected());
  ASSERT_TRUE(c.Send("x"));
  PumpFor(500);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ConnectionCount(), 0);
  closesocket(holder);
}

TEST_F(ServerLoopback, TwoHundredClientsAtOnceAllEnterAndLeave) {
  Start();
  constexpr int Clients = 200;
  std::vector<std::string> names(Clients);
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < Clients; ++i) {
    threads.emplace_back([&, i] {
      ++ready;
      ULONGLONG deadline = GetTickCount64() + PumpLimitMs;
      while (!go && GetTickCount64() < deadline) Sleep(1);
      Client c(port);
      if (!c.Connected()) return;
      names[static_cast<std::size_t>(i)] = LocalName(c.s);
      c.Send("!");
    });
  }
  ULONGLONG deadline = GetTickCount64() + PumpLimitMs;
  while (ready < Clients && GetTickCount64() < deadline) Sleep(1);
  go = true;
  bool allLeft = PumpUntil([] { return CountOf(ServerEvent::ClientLeft) >= Clients; }, 60000);
  for (std::thread& t : threads) t.join();
  EXPECT_TRUE(allLeft) << CountOf(ServerEvent::ClientLeft) << " left";

  std::set<std::string> expected, entered, left;
  for (const std::string& n : names) {
    EXPECT_FALSE(n.empty());
    expected.insert(n);
  }
  for (const SeenEvent& e : seen) {
    if (e.event == ServerEvent::ClientEntered) entered.insert(e.client);
    if (e.event == ServerEvent::ClientLeft) left.insert(e.client);
  }
  EXPECT_EQ(expected.size(), static_cast<std::size_t>(Clients));
  EXPECT_EQ(entered, expected);
  EXPECT_EQ(left, expected);
  EXPECT_EQ(CountOf(ServerEvent::ClientEntered), Clients);
  EXPECT_EQ(ConnectionCount(), 0);
}

TEST_F(ServerLoopback, StaysResponsiveAfterAThousandClientsVanish) {
  Start();
  constexpr int Cycles = 1000;
  std::atomic<int> connected{0};
  std::atomic<bool> done{false};
  std::thread vanishing([&] {
    for (int i = 0; i < Cycles; ++i) {
      Client c(port);
      if (!c.Connected()) continue;
      ++connected;
      if (i % 2) {
        // Every other one resets instead of closing in order.
        linger abort = {1, 0};
        setsockopt(c.s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                   sizeof(abort));
      }
    }
    done = true;
  });
  bool finished = PumpUntil([&] { return done.load(); }, 120000);
  vanishing.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(connected, Cycles);
  // Every accepted one is noticed leaving, and the table empties.
  EXPECT_TRUE(PumpUntil([] {
    return ConnectionCount() == 0 &&
           CountOf(ServerEvent::ClientLeft) == CountOf(ServerEvent::ClientEntered);
  }));
  EXPECT_EQ(ConnectionCount(), 0);
  std::printf("accepted %d of %d\n", CountOf(ServerEvent::ClientEntered), Cycles);

  duringEvent = [](ServerEvent e) {
    if (e == ServerEvent::DataArrived) SendToClient(CurrentClient(), Text("served"));
  };
  Client last(port);
  ASSERT_TRUE(last.Connected());
  ASSERT_TRUE(last.Send("?"));
  std::atomic<bool> replied{false};
  std::string reply;
  std::thread reader([&] {
    char buffer[16];
    int got = recv(last.s, buffer, sizeof(buffer), 0);
    if (got > 0) reply.assign(buffer, static_cast<std::size_t>(got));
    replied = true;
  });
  PumpUntil([&] { return replied.load(); });
  reader.join();
  EXPECT_EQ(reply, "served");
}

}  // namespace
