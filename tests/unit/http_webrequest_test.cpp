// WebRequest against the WinInet double: the exact platform calls, their arguments and
// order, and what each path leaves in the caller's variables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "http/webrequest.h"
#include "inet_fake.h"

namespace {

using Names = std::vector<std::string>;
using OptText = std::optional<std::string>;

constexpr const char* kUrl = "http://ip.lookup.invalid:8081/plug/Node/Node_Log.asp?jd=15";
constexpr const char* kAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string kDefaultBlock = std::string("Accept: */*\r\nReferer: ") + kUrl +
                                  "\r\nAccept-Language: zh-cn";

class WebRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeInet();
    UploadChunkSize = 0x100000;
  }
  void TearDown() override { EXPECT_EQ(FakeInetOpenHandles(), 0) << "a handle was left open"; }

  static const InetCall& Call(const char* function) {
    const InetCall* c = FindFakeInetCall(function);
    if (c == nullptr) {
      ADD_FAILURE() << function << " was not called";
      static const InetCall none;
      return none;
    }
    return *c;
  }
  static std::uint32_t RequestFlags() { return static_cast<std::uint32_t>(Call("HttpOpenRequestA").numbers[0]); }
  static std::string SentBlock() {
    const InetCall* get = FindFakeInetCall("HttpSendRequestA");
    const InetCall* other = FindFakeInetCall("HttpSendRequestExA");
    const InetCall* send = get ? get : other;
    if (send == nullptr || send->texts.empty() || !send->texts[0]) return "<none>";
    return *send->texts[0];
  }
  static int Count(const char* function) {
    int n = 0;
    for (const InetCall& c : FakeInetCalls()) n += c.function == function;
    return n;
  }
  // The handles closed, in the order they were closed.
  static std::vector<std::uintptr_t> Closed() {
    std::vector<std::uintptr_t> out;
    for (const InetCall& c : FakeInetCalls()) {
      if (c.function == "InternetCloseHandle") out.push_back(c.handle);
    }
    return out;
  }
};

TEST_F(WebRequestTest, UrlOnlyIsAPlainGetWithTheDefaultHeaders) {
  const std::string page(2500, 'p');
  FakeInetScript().body = page;
  FakeInetScript().rawHeaders =
      "HTTP/1.1 200 OK\r\nSet-Cookie: sid=7; path=/\r\nContent-Length: 2500\r\n\r\n";

  const ByteString body = WebRequest(kUrl);

  EXPECT_EQ(body.Bytes(), page);
  EXPECT_EQ(FakeInetCallNames(),
            (Names{"InternetOpenA", "InternetConnectA", "HttpOpenRequestA", "InternetSetOptionA",
                   "HttpSendRequestA", "InternetReadFile", "InternetReadFile", "InternetReadFile",
                   "InternetReadFile", "HttpQueryInfoA", "InternetCloseHandle",
                   "InternetCloseHandle", "InternetCloseHandle"}));

  const InetCall& open = Call("InternetOpenA");
  EXPECT_EQ(open.texts, (std::vector<OptText>{kAgent, std::nullopt, std::nullopt}));
  EXPECT_EQ(open.numbers, (std::vector<std::uint64_t>{1, 0}));

  const InetCall& connect = Call("InternetConnectA");
  EXPECT_EQ(connect.handle, 1u);
  EXPECT_EQ(connect.texts,
            (std::vector<OptText>{"ip.lookup.invalid", std::nullopt, std::nullopt}));
  EXPECT_EQ(connect.numbers, (std::vector<std::uint64_t>{8081, 3, 0, 0}));

  const InetCall& request = Call("HttpOpenRequestA");
  EXPECT_EQ(request.handle, 2u);
  EXPECT_EQ(request.texts, (std::vector<OptText>{"GET", "/plug/Node/Node_Log.asp?jd=15",
                                                 "HTTP/1.1", std::nullopt}));
  EXPECT_TRUE(request.nullPointers) << "accept types must be null";
  EXPECT_EQ(request.numbers, (std::vector<std::uint64_t>{0x80004010u, 0}));

  const InetCall& option = Call("InternetSetOptionA");
  EXPECT_EQ(option.handle, 3u);
  EXPECT_EQ(option.numbers, (std::vector<std::uint64_t>{31, 4}));
  std::uint32_t securityFlags = 0;
  ASSERT_EQ(option.data.size(), sizeof securityFlags);
  std::memcpy(&securityFlags, option.data.data(), sizeof securityFlags);
  EXPECT_EQ(securityFlags, 0x1F380u);

  const InetCall& send = Call("HttpSendRequestA");
  EXPECT_EQ(send.texts, (std::vector<OptText>{kDefaultBlock}));
  EXPECT_EQ(send.numbers, (std::vector<std::uint64_t>{kDefaultBlock.size(), 0}));
  EXPECT_TRUE(send.nullPointers) << "no optional data";

  for (const InetCall& c : FakeInetCalls()) {
    if (c.function == "InternetReadFile") {
      EXPECT_EQ(c.numbers[0], 1024u);
    }
  }
  const InetCall& query = Call("HttpQueryInfoA");
  EXPECT_EQ(query.numbers, (std::vector<std::uint64_t>{22, 5000}));
  EXPECT_TRUE(query.nullPointers) << "index must be null";
  EXPECT_EQ(Closed(), (std::vector<std::uintptr_t>{3, 2, 1}));
}

TEST_F(WebRequestTest, OutArgumentsOfACompletedExchange) {
  const std::string raw =
      "HTTP/1.1 200 OK\r\nSet-Cookie: sid=7; path=/\r\nset-cookie: lang=zh; Secure\r\n\r\n";
  FakeInetScript().rawHeaders = raw;
  FakeInetScript().body = "ok";
  Text received = "stale", headers = "stale";

  const ByteString body = WebRequest(kUrl, 0, {}, nullptr, &received, {}, &headers);

  EXPECT_EQ(body.Bytes(), "ok");
  EXPECT_EQ(headers, Text(raw));
  EXPECT_EQ(received, Text("sid=7; lang=zh"));
}

TEST_F(WebRequestTest, HttpsSetsTheSecureFlagAndPort443) {
  WebRequest("https://secure.invalid/a?b");
  EXPECT_EQ(RequestFlags(), 0x80800010u);
  EXPECT_EQ(Call("InternetConnectA").numbers[0], 443u);
  EXPECT_EQ(Call("HttpOpenRequestA").texts[1], OptText("/a?b"));

  ResetFakeInet();
  WebRequest("HTTPS://secure.invalid:8443/");
  EXPECT_EQ(RequestFlags(), 0x80800010u);
  EXPECT_EQ(Call("InternetConnectA").numbers[0], 8443u);
}

TEST_F(WebRequestTest, VerbTableAndOutOfRangeMethods) {
  const struct {
    int method;
    const char* verb;
  } cases[] = {{0, "GET"},     {1, "POST"},   {2, "HEAD"},    {3, "PUT"},
               {4, "OPTIONS"}, {5, "DELETE"}, {6, "TRACE"},   {7, "CONNECT"},
               {8, "PATCH"},   {9, "GET"},    {-1, "GET"},    {1000, "GET"}};
  for (const auto& c : cases) {
    ResetFakeInet();
    WebRequest(kUrl, c.method);
    EXPECT_EQ(Call("HttpOpenRequestA").texts[0], OptText(c.verb)) << c.method;
    const bool get = std::string(c.verb) == "GET";
    EXPECT_EQ(Count("HttpSendRequestA"), get ? 1 : 0) << c.method;
    EXPECT_EQ(Count("HttpSendRequestExA"), get ? 0 : 1) << c.method;
  }
}

TEST_F(WebRequestTest, UserAgentFromTheCallersHeaders) {
  const struct {
    const char* headers;
    bool normalise;
    OptText agent;
    std::string block;
  } cases[] = {
      {"User-Agent: V/1.0", true, "V/1.0", "User-Agent: V/1.0\r\n" + kDefaultBlock},
      {"user-agent:   V/1.0  ", true, "V/1.0", "User-Agent:   V/1.0  \r\n" + kDefaultBlock},
      // Found ignoring case, not extracted case-sensitively: the value of the whole block.
      {"user-agent: V/1.0", false, "V/1.0", "user-agent: V/1.0\r\n" + kDefaultBlock},
      {"x-a: 1\r\nuser-agent: V", false, "1\r\nuser-agent: V",
       "x-a: 1\r\nuser-agent: V\r\n" + kDefaultBlock},
      {"X-A: 1\r\nUser-Agent: V\r\nX-B: 2", true, "V",
       "X-A: 1\r\nUser-Agent: V\r\nX-B: 2\r\n" + kDefaultBlock},
      // An empty value gives no agent at all rather than the default one.
      {"User-Agent:", true, std::nullopt, "User-Agent:\r\n" + kDefaultBlock},
      {"X-Other: 1", true, kAgent, "X-Other: 1\r\n" + kDefaultBlock},
  };
  for (const auto& c : cases) {
    ResetFakeInet();
    WebRequest(kUrl, 0, {}, nullptr, nullptr, c.headers, nullptr, false, nullptr, {}, true, true,
               c.normalise);
    EXPECT_EQ(Call("InternetOpenA").texts[0], c.agent) << c.headers;
    EXPECT_EQ(SentBlock(), c.block) << c.headers;
  }
}

TEST_F(WebRequestTest, DefaultHeadersAddOnlyWhatIsMissing) {
  const struct {
    const char* headers;
    int method;
    std::string block;
  } cases[] = {
      {"", 0, kDefaultBlock},
      // Normalised first, so a lower-case accept line counts as the Accept header.
      {"accept: text/html", 0,
       std::string("Accept: text/html\r\nReferer: ") + kUrl + "\r\nAccept-Language: zh-cn"},
      {"Referer: http://elsewhere.invalid/\r\nAccept-Language: en", 0,
       "Referer: http://elsewhere.invalid/\r\nAccept-Language: en\r\nAccept: */*"},
      {"", 1, kDefaultBlock + "\r\nContent-Type: application/x-www-form-urlencoded"},
      {"content-type: application/json", 1,
       "Content-Type: application/json\r\nAccept: */*\r\nReferer: " + std::string(kUrl) +
           "\r\nAccept-Language: zh-cn"},
      // Content-Type is a POST default only.
      {"", 3, kDefaultBlock},
      // Lines without a colon never reach the platform.
      {"garbage\r\n\r\n", 0, kDefaultBlock},
  };
  for (const auto& c : cases) {
    ResetFakeInet();
    WebRequest(kUrl, c.method, {}, nullptr, nullptr, c.headers);
    EXPECT_EQ(SentBlock(), c.block) << c.headers << " method " << c.method;
  }
}

TEST_F(WebRequestTest, CookieHeaderWithoutDefaultHeaders) {
  FakeInetScript().rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: b=2; path=/\r\n\r\n";
  Text cookies = "a=1";
  Text received;

  WebRequest(kUrl, 0, {}, &cookies, &received, {}, nullptr, false, nullptr, {}, true, false);

  // The block starts with CR LF: nothing was there to put the Cookie line after.
  EXPECT_EQ(SentBlock(), "\r\nCookie: a=1");
  EXPECT_EQ(RequestFlags(), 0x80004010u | 0x00080000u);
  EXPECT_EQ(received, Text("b=2; a=1"));
  EXPECT_EQ(cookies, Text("b=2; a=1"));
}

TEST_F(WebRequestTest, CookieTextThatNamesTheHeaderIsSentAsItIs) {
  Text cookies = "Cookie: a=1";
  WebRequest(kUrl, 0, {}, &cookies);
  EXPECT_EQ(SentBlock(), kDefaultBlock + "\r\nCookie: a=1");
}

TEST_F(WebRequestTest, EmptyCookieTextSwitchesThePlatformStoreOffAndStillMerges) {
  FakeInetScript().rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\n\r\n";
  Text cookies;
  Text received = "stale";

  WebRequest(kUrl, 0, {}, &cookies, &received);

  EXPECT_EQ(RequestFlags() & 0x00080000u, 0x00080000u);
  EXPECT_EQ(SentBlock(), kDefaultBlock);
  EXPECT_EQ(cookies, Text("a=1"));
  EXPECT_EQ(received, Text("a=1"));
}

TEST_F(WebRequestTest, CookiesLeftOutOrMergeOffAreNotRewritten) {
  FakeInetScript().rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=2; path=/\r\n\r\n";
  Text cookies = "a=1; b=1";
  Text received;
  WebRequest(kUrl, 0, {}, &cookies, &received, {}, nullptr, false, nullptr, {}, false);
  EXPECT_EQ(cookies, Text("a=1; b=1"));
  EXPECT_EQ(received, Text("a=2"));
  EXPECT_EQ(SentBlock(), kDefaultBlock + "\r\nCookie: a=1; b=1");

  ResetFakeInet();
  FakeInetScript().rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: a=2; path=/\r\n\r\n";
  WebRequest(kUrl, 0, {}, nullptr, &received);
  EXPECT_EQ(RequestFlags() & 0x00080000u, 0u);
  EXPECT_EQ(received, Text("a=2"));
}

TEST_F(WebRequestTest, NoRedirectFlag) {
  WebRequest(kUrl, 0, {}, nullptr, nullptr, {}, nullptr, true);
  EXPECT_EQ(RequestFlags(), 0x80004010u | 0x00200000u);
}

TEST_F(WebRequestTest, PostSendsBodyTextAndHandsItBack) {
  ByteString bodyBytes;
  WebRequest(kUrl, 1, "a=1&b=2", nullptr, nullptr, {}, nullptr, false, &bodyBytes);

  EXPECT_EQ(bodyBytes.Bytes(), "a=1&b=2");
  const std::string block = kDefaultBlock + "\r\nContent-Type: application/x-www-form-urlencoded";
  const InetCall& send = Call("HttpSendRequestExA");
  EXPECT_EQ(send.handle, 3u);
  EXPECT_EQ(send.texts, (std::vector<OptText>{block}));
  EXPECT_EQ(send.numbers, (std::vector<std::uint64_t>{block.size(), 7, 8, 0}));
  EXPECT_TRUE(send.nullPointers) << "no output buffers";
  EXPECT_EQ(Count("InternetWriteFile"), 1);
  EXPECT_EQ(Call("InternetWriteFile").data, "a=1&b=2");
  const InetCall& end = Call("HttpEndRequestA");
  EXPECT_EQ(end.numbers, (std::vector<std::uint64_t>{0, 0}));
  EXPECT_TRUE(end.nullPointers);
}

TEST_F(WebRequestTest, BodyBytesWinOverBodyText) {
  ByteString bodyBytes(std::string("\x00\x01raw", 5));
  WebRequest(kUrl, 3, "ignored", nullptr, nullptr, {}, nullptr, false, &bodyBytes);
  EXPECT_EQ(Call("InternetWriteFile").data, std::string("\x00\x01raw", 5));
  EXPECT_EQ(Call("HttpSendRequestExA").numbers[1], 5u);
  EXPECT_EQ(bodyBytes.Bytes(), std::string("\x00\x01raw", 5));
}

TEST_F(WebRequestTest, GetIgnoresTheBodyArguments) {
  ByteString bodyBytes;
  WebRequest(kUrl, 0, "unsent", nullptr, nullptr, {}, nullptr, false, &bodyBytes);
  EXPECT_TRUE(bodyBytes.Empty());
  EXPECT_EQ(Count("InternetWriteFile"), 0);
  EXPECT_EQ(Call("HttpSendRequestA").numbers[1], 0u);
}

TEST_F(WebRequestTest, LargeBodyGoesOutInChunksThenOneEndRequest) {
  std::string payload(2 * 1048576 + 1, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7 + i / 4096);
  ByteString bodyBytes(payload);

  WebRequest(kUrl, 1, {}, nullptr, nullptr, {}, nullptr, false, &bodyBytes);

  EXPECT_EQ(Call("HttpSendRequestExA").numbers[1], payload.size());
  std::vector<std::uint64_t> chunkSizes;
  std::string written;
  std::vector<std::string> order;
  for (const InetCall& c : FakeInetCalls()) {
    if (c.function == "InternetWriteFile") {
      chunkSizes.push_back(c.numbers[0]);
      written += c.data;
    }
    if (c.function == "InternetWriteFile" || c.function == "HttpEndRequestA" ||
        c.function == "HttpSendRequestExA") {
      order.push_back(c.function);
    }
  }
  EXPECT_EQ(chunkSizes, (std::vector<std::uint64_t>{1048576, 1048576, 1}));
  EXPECT_TRUE(written == payload) << "the chunks do not add up to the body";
  EXPECT_EQ(order, (Names{"HttpSendRequestExA", "InternetWriteFile", "InternetWriteFile",
                          "InternetWriteFile", "HttpEndRequestA"}));
}

TEST_F(WebRequestTest, ChunkSizeIsReadFromTheProcessWideValue) {
  UploadChunkSize = 3;
  ByteString bodyBytes(std::string("abcdefg"));
  WebRequest(kUrl, 1, {}, nullptr, nullptr, {}, nullptr, false, &bodyBytes);
  std::vector<std::string> chunks;
  for (const InetCall& c : FakeInetCalls()) {
    if (c.function == "InternetWriteFile") chunks.push_back(c.data);
  }
  EXPECT_EQ(chunks, (std::vector<std::string>{"abc", "def", "g"}));
}

TEST_F(WebRequestTest, HeadWithoutBodyStillEndsTheRequest) {
  WebRequest(kUrl, 2);
  EXPECT_EQ(Call("HttpSendRequestExA").numbers[1], 0u);
  EXPECT_EQ(Count("InternetWriteFile"), 0);
  EXPECT_EQ(Count("HttpEndRequestA"), 1);
  EXPECT_EQ(SentBlock(), kDefaultBlock);
}

TEST_F(WebRequestTest, ProxyForms) {
  const struct {
    const char* url;
    bool socks;
    const char* proxyText;
  } cases[] = {
      {"http://a.invalid/", false, "http=127.0.0.1:8888"},
      {"https://a.invalid/", false, "127.0.0.1:8888"},
      {"http://a.invalid/", true, "SOCKS=127.0.0.1:8888"},
      {"https://a.invalid/", true, "SOCKS=127.0.0.1:8888"},
  };
  for (const auto& c : cases) {
    ResetFakeInet();
    WebRequest(c.url, 0, {}, nullptr, nullptr, {}, nullptr, false, nullptr, "127.0.0.1:8888",
               true, true, true, c.socks);
    const InetCall& open = Call("InternetOpenA");
    EXPECT_EQ(open.texts, (std::vector<OptText>{kAgent, c.proxyText, ""})) << c.url;
    EXPECT_EQ(open.numbers, (std::vector<std::uint64_t>{3, 0})) << c.url;
  }
  // socksProxy alone, without a proxy text, is a direct connection.
  ResetFakeInet();
  WebRequest(kUrl, 0, {}, nullptr, nullptr, {}, nullptr, false, nullptr, {}, true, true, true,
             true);
  EXPECT_EQ(Call("InternetOpenA").numbers[0], 1u);
  EXPECT_EQ(Call("InternetOpenA").texts[1], std::nullopt);
}

// The failing open calls leave every out-argument as the caller had it.
TEST_F(WebRequestTest, FailedOpensCloseWhatWasOpenedAndTouchNothing) {
  const struct {
    const char* name;
    bool InetScript::*failure;
    Names calls;
    std::vector<std::uintptr_t> closed;
  } cases[] = {
      {"open", &InetScript::failOpen, {"InternetOpenA"}, {}},
      {"connect",
       &InetScript::failConnect,
       {"InternetOpenA", "InternetConnectA", "InternetCloseHandle"},
       {1}},
      {"request",
       &InetScript::failOpenRequest,
       {"InternetOpenA", "InternetConnectA", "HttpOpenRequestA", "InternetCloseHandle",
        "InternetCloseHandle"},
       {2, 1}},
  };
  for (const auto& c : cases) {
    for (int method : {0, 1}) {
      ResetFakeInet();
      FakeInetScript().*c.failure = true;
      Text cookies = "a=1", received = "r", headers = "h";
      ByteString bodyBytes;
      const ByteString body = WebRequest(kUrl, method, "text", &cookies, &received, {}, &headers,
                                         false, &bodyBytes);
      EXPECT_TRUE(body.Empty()) << c.name;
      EXPECT_EQ(FakeInetCallNames(), c.calls) << c.name;
      EXPECT_EQ(Closed(), c.closed) << c.name;
      EXPECT_EQ(cookies, Text("a=1")) << c.name;
      EXPECT_EQ(received, Text("r")) << c.name;
      EXPECT_EQ(headers, Text("h")) << c.name;
      EXPECT_TRUE(bodyBytes.Empty()) << c.name;
    }
  }
}

TEST_F(WebRequestTest, FailedSendReadsNothingAndLeavesBlankHeaders) {
  for (int method : {0, 1}) {
    ResetFakeInet();
    FakeInetScript().failSend = true;
    FakeInetScript().body = "never served";
    FakeInetScript().rawHeaders = "HTTP/1.1 200 OK\r\nSet-Cookie: x=1; p\r\n\r\n";
    Text received = "r", headers = "h";

    const ByteString body = WebRequest(kUrl, method, "text", nullptr, &received, {}, &headers);

    EXPECT_TRUE(body.Empty()) << method;
    EXPECT_EQ(headers, BlankText(5000)) << method;
    EXPECT_EQ(received, Text()) << method;
    EXPECT_EQ(Count("InternetReadFile"), 1) << method;
    // A refused upload writes nothing and does not end the request.
    EXPECT_EQ(Count("InternetWriteFile"), 0) << method;
    EXPECT_EQ(Count("HttpEndRequestA"), 0) << method;
    EXPECT_EQ(Closed(), (std::vector<std::uintptr_t>{3, 2, 1})) << method;
  }

  ResetFakeInet();
  FakeInetScript().failSend = true;
  Text cookies = "a=1;", received;
  WebRequest(kUrl, 0, {}, &cookies, &received);
  EXPECT_EQ(received, Text("a=1"));
  EXPECT_EQ(cookies, Text("a=1"));
}

TEST_F(WebRequestTest, HeaderBlockMustFitIn4999Bytes) {
  const std::string start = "HTTP/1.1 200 OK\r\nSet-Cookie: k=v; path=/\r\nX-Pad: ";
  const std::string end = "\r\n\r\n";
  for (std::size_t total : {4999u, 5000u, 6000u}) {
    ResetFakeInet();
    const std::string raw = start + std::string(total - start.size() - end.size(), 'x') + end;
    FakeInetScript().rawHeaders = raw;
    FakeInetScript().body = "b";
    Text received, headers;

    const ByteString body = WebRequest(kUrl, 0, {}, nullptr, &received, {}, &headers);

    EXPECT_EQ(body.Bytes(), "b") << total;
    if (total < 5000) {
      EXPECT_EQ(headers, Text(raw)) << total;
      EXPECT_EQ(received, Text("k=v")) << total;
    } else {
      EXPECT_EQ(headers, BlankText(5000)) << total;
      EXPECT_EQ(received, Text()) << total;
    }
  }
}

// Wine's answer where no response arrived: an empty block instead of a failure.
TEST_F(WebRequestTest, BareCrLfHeaderBlockCountsAsNone) {
  FakeInetScript().rawHeaders = "\r\n";
  Text headers;
  WebRequest(kUrl, 0, {}, nullptr, nullptr, {}, &headers);
  EXPECT_EQ(headers, BlankText(5000));

  ResetFakeInet();
  FakeInetScript().rawHeaders = "HTTP/1.0 204 No Content\r\n\r\n";
  WebRequest(kUrl, 0, {}, nullptr, nullptr, {}, &headers);
  EXPECT_EQ(headers, Text("HTTP/1.0 204 No Content\r\n\r\n"));
}

TEST_F(WebRequestTest, BodyKeepsEveryByteAcrossReadPieces) {
  std::string page(3 * 1024, '\0');
  for (std::size_t i = 0; i < page.size(); ++i) page[i] = static_cast<char>(i % 251);
  FakeInetScript().body = page;
  const ByteString body = WebRequest(kUrl);
  EXPECT_TRUE(body.Bytes() == page);
  // Three full pieces, then the read that finds the end.
  EXPECT_EQ(Count("InternetReadFile"), 4);
}

}  // namespace
