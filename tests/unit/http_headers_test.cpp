#include <gtest/gtest.h>

#include "http/headers.h"

namespace {

TEST(NormaliseHeaders, CapitalisesNamesAndDropsNonHeaderLines) {
  struct Case {
    const char* block;
    const char* expected;
  };
  const Case cases[] = {
      {"content-type: text/plain\r\nx-my-header: 1", "Content-Type: text/plain\r\nX-My-Header: 1"},
      // Values go out exactly as written: no space inserted, none removed.
      {"accept:*/*", "Accept:*/*"},
      {"accept:  two spaces", "Accept:  two spaces"},
      {"ACCEPT-LANGUAGE: zh-cn", "ACCEPT-LANGUAGE: zh-cn"},
      {"a: 1\r\n\r\nb: 2", "A: 1\r\nB: 2"},
      {"a: 1\r\nnot a header\r\nb: 2", "A: 1\r\nB: 2"},
      {"a: 1\r\n", "A: 1"},
      {"x-: v", "X-: v"},
      {"a--b: v", "A--B: v"},
      {"-a: v", "-A: v"},
      {": starts with a colon", ": starts with a colon"},
      // Only the name is touched, and only at word starts; a colon in the value stays.
      {"user-agent: x-y: z", "User-Agent: x-y: z"},
      {"referer: http://a.invalid/", "Referer: http://a.invalid/"},
      // A lead byte in the name is left alone.
      {"\xD6\xD0-a: v", "\xD6\xD0-A: v"},
      {"", ""},
      {"no colon\r\nanywhere", ""},
      {"\r\n\r\n", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseHeaders(c.block), Text(c.expected)) << c.block;
  }
}

TEST(CapitaliseFirst, OnlyTheFirstByteChanges) {
  EXPECT_EQ(CapitaliseFirst("abc"), Text("Abc"));
  EXPECT_EQ(CapitaliseFirst("a"), Text("A"));
  EXPECT_EQ(CapitaliseFirst("Abc"), Text("Abc"));
  EXPECT_EQ(CapitaliseFirst("1bc"), Text("1bc"));
  EXPECT_EQ(CapitaliseFirst(""), Text(""));
  EXPECT_EQ(CapitaliseFirst("aBC"), Text("ABC"));
}

TEST(HeaderValue, TextAfterTheFirstColonTrimmed) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"User-Agent:  X1", "X1"},
      {"User-Agent: X1  ", "X1"},
      {"no colon", ""},
      {"", ""},
      {"a:", ""},
      // CR and LF are not spaces: on a block the value runs on to its end.
      {"a: b\r\nc: d", "b\r\nc: d"},
      {"a: \xA1\xA1wide\xA1\xA1 ", "wide"},
      {"a:\tb", "\tb"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeaderValue(c.text), Text(c.expected)) << c.text;
  }
}

}  // namespace
