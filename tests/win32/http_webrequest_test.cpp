// WebRequest through the real WinInet, against a small HTTP server of this program's own on
// 127.0.0.1 that records every request line, header block and body it receives.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/globals.h"
#include "http/webrequest.h"

namespace {

using namespace std::chrono_literals;

struct Received {
  std::string requestLine;
  std::string headerBlock;  // the lines after the request line, each ended by CR LF
  std::string body;
};

struct Reply {
  std::string head;  // status line and header lines, each ended by CR LF
  std::string body;
};

std::string Header(const std::string& block, const std::string& name) {
  const std::string key = "\r\n" + name + ": ";
  const std::string padded = "\r\n" + block;
  const std::size_t at = padded.find(key);
  if (at == std::string::npos) return "<missing>";
  const std::size_t from = at + key.size();
  return padded.substr(from, padded.find("\r\n", from) - from);
}

Reply ReplyFor(const Received& r) {
  const std::string target = r.requestLine.substr(0, r.requestLine.rfind(' '));
  if (target == "GET /plug/Node/Node_Log.asp?jd=15") {
    // "IP：" and "地区：" in UTF-8, as the lookup page sends them.
    return {"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n",
            "IP\xEF\xBC\x9A" "127.0.0.9 \xE5\x9C\xB0\xE5\x8C\xBA\xEF\xBC\x9Aloop"};
  }
  if (target == "GET /redirect") return {"HTTP/1.1 302 Found\r\nLocation: /target\r\n", "moved"};
  if (target == "GET /target") return {"HTTP/1.1 200 OK\r\n", "arrived"};
  if (target == "GET /missing") return {"HTTP/1.1 404 Not Found\r\n", "no such page"};
  if (target.rfind("GET /cookies", 0) == 0) {
    return {"HTTP/1.1 200 OK\r\nSet-Cookie: sid=abc; path=/cookies\r\n"
            "Set-Cookie: theme=dark; path=/cookies\r\nSet-Cookie: gone=deleted; path=/cookies\r\n",
            "cookies set"};
  }
  if (target == "GET /big-headers") {
    // Many short lines: the platform may cut a single very long line.
    std::string head = "HTTP/1.1 200 OK\r\nSet-Cookie: big=1; path=/big-headers\r\n";
    for (int i = 0; i < 100; ++i) {
      head += "X-Pad-" + std::to_string(i) + ": " + std::string(60, 'x') + "\r\n";
    }
    return {head, "small body"};
  }
  if (target == "GET http://proxied.invalid:80/page") return {"HTTP/1.1 200 OK\r\n", "via proxy"};
  if (target == "POST /upload") {
    return {"HTTP/1.1 200 OK\r\n", "got " + std::to_string(r.body.size())};
  }
  return {"HTTP/1.1 400 Bad Request\r\n", "unexpected " + target};
}

// One connection at a time: WebRequest is synchronous. Every reply closes its connection,
// so a redirect arrives as a new connection. All waits are bounded.
class LoopbackServer {
 public:
  bool Start() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
    int len = sizeof a;
    if (getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return false;
    port_ = ntohs(a.sin_port);
    if (listen(listener_, 8) != 0) return false;
    thread_ = std::thread([this] { Serve(); });
    return true;
  }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    listener_ = INVALID_SOCKET;
    WSACleanup();
  }

  int Port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

  std::vector<Received> TakeReceived() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Received> out;
    out.swap(received_);
    return out;
  }

 private:
  static bool WaitReadable(SOCKET s, int milliseconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv) == 1;
  }

  // Reads one request; false when the client sent nothing usable within the time limits.
  static bool ReadRequest(SOCKET s, Received& out) {
    std::string data;
    char buffer[65536];
    std::size_t headEnd = std::string::npos;
    std::size_t wanted = 0;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (headEnd != std::string::npos && data.size() >= headEnd + 4 + wanted) break;
      if (!WaitReadable(s, 5000)) return false;
      const int n = recv(s, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      data.append(buffer, static_cast<std::size_t>(n));
      if (headEnd == std::string::npos) {
        headEnd = data.find("\r\n\r\n");
        if (headEnd == std::string::npos) {
          if (data.size() > 1 << 20) return false;
          continue;
        }
        const std::size_t lineEnd = data.find("\r\n");
        out.requestLine = data.substr(0, lineEnd);
        out.headerBlock = data.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2));
        const std::string length = Header(out.headerBlock, "Content-Length");
        wanted = length == "<missing>" ? 0 : std::strtoul(length.c_str(), nullptr, 10);
      }
    }
    if (headEnd == std::string::npos) return false;
    out.body = data.substr(headEnd + 4, wanted);
    return out.body.size() == wanted;
  }

  static void SendAll(SOCKET s, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
      if (n <= 0) return;
      sent += static_cast<std::size_t>(n);
    }
  }

  void Serve() {
    const auto deadline = std::chrono::steady_clock::now() + 600s;
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      if (!WaitReadable(listener_, 100)) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      Received r;
      if (ReadRequest(client, r)) {
        const Reply reply = ReplyFor(r);
        {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.push_back(r);
        }
        SendAll(client, reply.head + "Content-Length: " + std::to_string(reply.body.size()) +
                            "\r\nConnection: close\r\n\r\n" + reply.body);
        shutdown(client, SD_SEND);
        // Let the client read to the end before the socket goes away.
        char drain[256];
        for (int i = 0; i < 50 && WaitReadable(client, 100); ++i) {
          if (recv(client, drain, sizeof drain, 0) <= 0) break;
        }
      }
      closesocket(client);
    }
  }

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<Received> received_;
};

class WebRequestWine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    StartUp();
    server_ = new LoopbackServer;
    ASSERT_TRUE(server_->Start());
  }
  static void TearDownTestSuite() {
    server_->Stop();
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { server_->TakeReceived(); }

  static LoopbackServer* server_;
};

LoopbackServer* WebRequestWine::server_ = nullptr;

TEST_F(WebRequestWine, LookupCallPutsTheDefaultHeaderBlockOnTheWire) {
  const std::string url = server_->Url("/plug/Node/Node_Log.asp?jd=15");
  Text received = "stale", headers;

  const ByteString body = WebRequest(url, 0, {}, nullptr, &received, {}, &headers);

  EXPECT_EQ(body.Bytes(),
            "IP\xEF\xBC\x9A" "127.0.0.9 \xE5\x9C\xB0\xE5\x8C\xBA\xEF\xBC\x9Aloop");
  EXPECT_EQ(TextLeft(headers, 17), Text("HTTP/1.1 200 OK\r\n"));
  EXPECT_EQ(TextRight(headers, 4), Text("\r\n\r\n"));
  EXPECT_EQ(received, Text());
  const std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].requestLine, "GET /plug/Node/Node_Log.asp?jd=15 HTTP/1.1");
  // Host and User-Agent are the platform's own lines (the agent given to the session);
  // the rest is the block WebRequest built, unchanged.
  EXPECT_EQ(seen[0].headerBlock, "Host: 127.0.0.1:" + std::to_string(server_->Port()) +
                                     "\r\nUser-Agent: " + kDefaultUserAgent +
                                     "\r\nAccept: */*\r\nReferer: " + url +
                                     "\r\nAccept-Language: zh-cn\r\n");
  EXPECT_EQ(seen[0].body, "");
}

TEST_F(WebRequestWine, CallersAgentAndHeadersGoOut) {
  const std::string url = server_->Url("/target");
  const ByteString body =
      WebRequest(url, 0, {}, nullptr, nullptr, "user-agent: Probe/2.0\r\nx-trace: 7");
  EXPECT_EQ(body.Bytes(), "arrived");
  const std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(Header(seen[0].headerBlock, "User-Agent"), "Probe/2.0");
  EXPECT_EQ(Header(seen[0].headerBlock, "X-Trace"), "7");
  // The agent went to the session; the caller's line went out too, in the block.
  EXPECT_NE(seen[0].headerBlock.find("X-Trace: 7\r\nAccept: */*\r\n"), std::string::npos)
      << seen[0].headerBlock;
}

TEST_F(WebRequestWine, LargePostBodyArrivesWhole) {
  std::string payload(2 * 1048576 + 1, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) {
    payload[i] = static_cast<char>((i * 131) ^ (i >> 9));
  }
  ByteString bodyBytes(payload);
  const std::string url = server_->Url("/upload");

  const ByteString body =
      WebRequest(url, 1, {}, nullptr, nullptr, {}, nullptr, false, &bodyBytes);

  EXPECT_EQ(body.Bytes(), "got 2097153");
  const std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].requestLine, "POST /upload HTTP/1.1");
  EXPECT_EQ(Header(seen[0].headerBlock, "Content-Length"), "2097153");
  EXPECT_EQ(Header(seen[0].headerBlock, "Content-Type"), "application/x-www-form-urlencoded");
  ASSERT_EQ(seen[0].body.size(), payload.size());
  EXPECT_TRUE(seen[0].body == payload) << "the body arrived changed";
}

TEST_F(WebRequestWine, PostOfBodyTextHandsTheBytesBack) {
  ByteString bodyBytes;
  const ByteString body = WebRequest(server_->Url("/upload"), 1, "a=1&b=2", nullptr, nullptr,
                                     {}, nullptr, false, &bodyBytes);
  EXPECT_EQ(body.Bytes(), "got 7");
  EXPECT_EQ(bodyBytes.Bytes(), "a=1&b=2");
  const std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].body, "a=1&b=2");
}

TEST_F(WebRequestWine, RedirectIsFollowedUnlessSwitchedOff) {
  Text headers;
  ByteString body = WebRequest(server_->Url("/redirect"), 0, {}, nullptr, nullptr, {}, &headers);
  EXPECT_EQ(body.Bytes(), "arrived");
  EXPECT_EQ(TextLeft(headers, 17), Text("HTTP/1.1 200 OK\r\n"));
  std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].requestLine, "GET /redirect HTTP/1.1");
  EXPECT_EQ(seen[1].requestLine, "GET /target HTTP/1.1");

  body = WebRequest(server_->Url("/redirect"), 0, {}, nullptr, nullptr, {}, &headers, true);
  EXPECT_EQ(body.Bytes(), "moved");
  EXPECT_EQ(TextLeft(headers, 20), Text("HTTP/1.1 302 Found\r\n"));
  seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].requestLine, "GET /redirect HTTP/1.1");
}

TEST_F(WebRequestWine, SetCookiesComeBackAndMergeIntoTheCallersText) {
  Text received;
  WebRequest(server_->Url("/cookies"), 0, {}, nullptr, &received);
  EXPECT_EQ(received, Text("sid=abc; theme=dark; gone=deleted"));
  server_->TakeReceived();

  // The platform's store now holds sid and theme for /cookies; with a cookie text of our
  // own it must not add them, so the Cookie line on the wire is exactly ours.
  Text cookies = "theme=light; gone=1; old=1";
  received = Text();
  const ByteString body = WebRequest(server_->Url("/cookies/again"), 0, {}, &cookies, &received);
  EXPECT_EQ(body.Bytes(), "cookies set");
  EXPECT_EQ(received, Text("sid=abc; theme=dark; old=1"));
  EXPECT_EQ(cookies, Text("sid=abc; theme=dark; old=1"));
  std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(Header(seen[0].headerBlock, "Cookie"), "theme=light; gone=1; old=1")
      << seen[0].headerBlock;

  WebRequest(server_->Url("/cookies/third"), 0, {}, &cookies);
  seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(Header(seen[0].headerBlock, "Cookie"), "sid=abc; theme=dark; old=1");
}

// The "http=" form of the proxy text: the platform sends the whole URL to the proxy, and
// the host of the URL is never looked up here.
TEST_F(WebRequestWine, PlainProxyGetsTheWholeUrl) {
  const std::string proxy = "127.0.0.1:" + std::to_string(server_->Port());
  const ByteString body = WebRequest("http://proxied.invalid/page", 0, {}, nullptr, nullptr, {},
                                     nullptr, false, nullptr, proxy);
  EXPECT_EQ(body.Bytes(), "via proxy");
  const std::vector<Received> seen = server_->TakeReceived();
  ASSERT_EQ(seen.size(), 1u);
  // The port is the one WebRequest connected with, written out.
  EXPECT_EQ(seen[0].requestLine, "GET http://proxied.invalid:80/page HTTP/1.1");
  EXPECT_EQ(Header(seen[0].headerBlock, "Referer"), "http://proxied.invalid/page");
}

TEST_F(WebRequestWine, ErrorPageBodyIsReturned) {
  Text headers;
  const ByteString body = WebRequest(server_->Url("/missing"), 0, {}, nullptr, nullptr, {},
                                     &headers);
  EXPECT_EQ(body.Bytes(), "no such page");
  EXPECT_EQ(TextLeft(headers, 24), Text("HTTP/1.1 404 Not Found\r\n"));
}

TEST_F(WebRequestWine, OversizedHeaderBlockLeavesSpacesAndNoCookies) {
  Text received = "stale", headers;
  const ByteString body = WebRequest(server_->Url("/big-headers"), 0, {}, nullptr, &received,
                                     {}, &headers);
  EXPECT_EQ(body.Bytes(), "small body");
  EXPECT_EQ(TextLength(headers), 5000);
  EXPECT_EQ(headers, BlankText(5000)) << TextLeft(headers, 100).Bytes();
  EXPECT_EQ(received, Text());
}

TEST_F(WebRequestWine, PortWithoutServerGivesAnEmptyBodyAndBlankHeaders) {
  // A port that was just free: bound, then released.
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(s, INVALID_SOCKET);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  int len = sizeof a;
  ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&a), &len), 0);
  const int port = ntohs(a.sin_port);
  closesocket(s);

  Text received = "stale", headers = "stale";
  Text cookies = "a=1";
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/x";
  const ByteString body = WebRequest(url, 0, {}, nullptr, &received, {}, &headers);
  EXPECT_TRUE(body.Empty());
  EXPECT_EQ(headers, BlankText(5000));
  EXPECT_EQ(received, Text());

  // The same for an upload, which fails at HttpSendRequestExA.
  ByteString bodyBytes(std::string("abc"));
  const ByteString posted = WebRequest(url, 1, {}, &cookies, &received, {}, &headers, false,
                                       &bodyBytes);
  EXPECT_TRUE(posted.Empty());
  EXPECT_EQ(headers, BlankText(5000));
  EXPECT_EQ(received, Text("a=1"));
}

TEST_F(WebRequestWine, NameThatDoesNotResolveGivesAnEmptyBody) {
  Text headers = "stale";
  const ByteString body =
      WebRequest("http://no-such-host.invalid/x", 0, {}, nullptr, nullptr, {}, &headers);
  EXPECT_TRUE(body.Empty());
  EXPECT_EQ(headers, BlankText(5000));
}

// A port that was free a moment ago: bound, then released.
int FreeLoopbackPort() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return 0;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int port = 0;
  int len = sizeof a;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
    port = ntohs(a.sin_port);
  }
  closesocket(s);
  return port;
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string out = "Z:" + linuxPath;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// HTTPS against openssl's own test server on loopback, with a self-signed certificate for
// a name that is not the host: both problems must be ignored. Wine starts Linux programs
// named by their Z: path, so the server runs as a plain Linux process; it serves files of
// its folder as complete responses, takes one connection and is ended by timeout in any case.
TEST_F(WebRequestWine, HttpsWithASelfSignedCertificate) {
  const char* fixtures = std::getenv("DS_FIXTURES");
  if (fixtures == nullptr) GTEST_SKIP() << "DS_FIXTURES is not set";
  if (GetFileAttributesW(L"Z:\\usr\\bin\\openssl") == INVALID_FILE_ATTRIBUTES) {
    GTEST_SKIP() << "openssl is not installed";
  }
  const int port = FreeLoopbackPort();
  ASSERT_NE(port, 0);
  // A folder of this run's own, so no log of an earlier run can look like a ready server.
  const std::string dir = std::string(fixtures) + "/http_tls_" + std::to_string(port);
  const std::string log = dir + "/server.log";
  const std::string script = "exec </dev/null >/dev/null 2>&1; rm -rf " + std::string(fixtures) +
                             "/http_tls_*; mkdir -p " + dir + " && cd " + dir +
      " && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2"
      " -subj /CN=other-name.invalid &&"
      " printf 'HTTP/1.1 200 OK\\r\\nContent-Length: 12\\r\\nConnection: close\\r\\n\\r\\nsecure hello'"
      " > hello.http && exec timeout 60 openssl s_server -accept 127.0.0.1:" +
      std::to_string(port) + " -cert cert.pem -key key.pem -HTTP -naccept 1 > server.log 2>&1";
  std::wstring command = L"sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(L"Z:\\usr\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process))
      << "could not start the TLS server, error " << GetLastError();
  // A Linux process started this way comes without handles; close any that exist.
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);

  // The server says ACCEPT once it listens.
  bool ready = false;
  for (int i = 0; i < 300 && !ready; ++i) {
    ready = ReadWholeFile(WindowsPath(log)).find("ACCEPT") != std::string::npos;
    if (!ready) Sleep(100);
  }
  ASSERT_TRUE(ready) << "the TLS server did not start: " << ReadWholeFile(WindowsPath(log));

  Text headers;
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/hello.http";
  const ByteString body = WebRequest(url, 0, {}, nullptr, nullptr, {}, &headers);

  EXPECT_EQ(body.Bytes(), "secure hello");
  EXPECT_EQ(TextLeft(headers, 17), Text("HTTP/1.1 200 OK\r\n")) << TextLeft(headers, 200).Bytes();
}

}  // namespace
