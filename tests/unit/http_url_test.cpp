#include <gtest/gtest.h>

#include "http/url.h"

namespace {

constexpr const char* kLookupUrl = "http://ip.lookup.invalid:8081/plug/Node/Node_Log.asp?jd=15";

TEST(TextBetween, FindsTheTextBetweenMarkers) {
  struct Case {
    const char* text;
    const char* start;
    const char* end;
    std::optional<int> startPos;
    bool ignoreCase;
    const char* expected;
  };
  const Case cases[] = {
      // "#引号" in a marker stands for a double quote; the text itself is not rewritten.
      {"a=\"x\"", "a=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", {}, false, "x"},
      {"a=#\xD2\xFD\xBA\xC5x#\xD2\xFD\xBA\xC5", "a=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", {},
       false, ""},
      {"[one][two]", "[", "]", {}, false, "one"},
      {"[one][two]", "[", "]", 2, false, "two"},
      {"<A>x</a>", "<a>", "</A>", {}, true, "x"},
      {"<A>x</a>", "<a>", "</A>", {}, false, ""},
      {"no start here]", "[", "]", {}, false, ""},
      {"[no end", "[", "]", {}, false, ""},
      // The end marker must follow the start marker.
      {"]x[", "[", "]", {}, false, ""},
      {"[]", "[", "]", {}, false, ""},
      {"", "[", "]", {}, false, ""},
      {"[x]", "", "]", {}, false, ""},
      {"[x]", "[", "", {}, false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.startPos, c.ignoreCase), Text(c.expected))
        << c.text << " / " << c.start << " / " << c.end;
  }
}

TEST(UrlParts, HostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* path;
  };
  const Case cases[] = {
      {kLookupUrl, "ip.lookup.invalid", 8081, "/plug/Node/Node_Log.asp?jd=15"},
      {"c.d/x", "c.d", 80, "/x"},
      {"http://c.d", "c.d", 80, "/"},
      {"https://c.d", "c.d", 443, "/"},
      {"https://c.d:8443/a", "c.d", 8443, "/a"},
      {"HTTPS://C.D/A", "c.d", 443, "/A"},
      {"HTTP://Host.Example.INVALID/Path/To?Q=Up#Frag", "host.example.invalid", 80,
       "/Path/To?Q=Up#Frag"},
      // A colon without digits reads as port 0.
      {"http://c.d:/x", "c.d", 0, "/x"},
      {"http://c.d:abc/x", "c.d", 0, "/x"},
      {"c.d:81", "c.d", 81, "/"},
      {"http://127.0.0.1:5000/p?a=b", "127.0.0.1", 5000, "/p?a=b"},
      // A one-letter host that also occurs in the scheme: the path search starts there, at
      // the "/" of the scheme's separator.
      {"http://t/x", "t", 80, "//t/x"},
      {"http://h/x", "h", 80, "//h/x"},
      {"", "", 80, "/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UrlHost(c.url), Text(c.host)) << c.url;
    EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(UrlPath(c.url), Text(c.path)) << c.url;
  }
}

TEST(UrlHost, KeepPortAndLastLabels) {
  struct Case {
    const char* url;
    bool lastTwoLabels;
    bool keepPort;
    std::optional<int> labelCount;
    const char* expected;
  };
  const Case cases[] = {
      {kLookupUrl, false, true, {}, "ip.lookup.invalid:8081"},
      {"http://a.b.c.d:81/x", true, false, {}, "c.d"},
      {"http://a.b.c.d:81/x", true, true, {}, "c.d:81"},
      {"https://a.b.c.d/x", true, false, {}, "c.d"},
      {"http://localhost/", true, false, {}, "localhost"},
      // The first "http://" anywhere in the text is the one used.
      {"x.invalid/?u=http://a.b/", false, false, {}, "a.b"},
      // labelCount walks the host from its end; 0 is not the same as leaving it out.
      {"http://a.b.c.d/x", false, false, 1, "b.c.d"},
      {"http://a.b.c.d/x", true, false, 1, "c.d"},
      {"http://a.b.c.d/x", true, false, 0, "d"},
      {"http://a.b.c.d/x", false, false, 0, "c.d"},
      {"http://a.b.c.d/x", false, false, 2, "a.b.c.d"},
      {"http://a.b.c.d/x", true, false, 2, "b.c.d"},
      {"http://a.b.c.d/x", true, false, 9, "a.b.c.d"},
      {"http://a.b.c.d/x", false, false, -3, "c.d"},
      {"http://c.d/", false, false, 1, "c.d"},
      {"HTTPS://A.B.C.D:99/x", true, true, 1, "c.d:99"},
      {"https://A.B.C.D:99/x", true, false, 1, "c.d"},
      {"a.b.c.d", false, false, 1, "b.c.d"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UrlHost(c.url, c.lastTwoLabels, c.keepPort, c.labelCount), Text(c.expected))
        << c.url << " last=" << c.lastTwoLabels << " keep=" << c.keepPort
        << " count=" << c.labelCount.value_or(-99);
  }
}

}  // namespace
