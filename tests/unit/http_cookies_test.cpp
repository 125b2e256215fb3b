#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/cookies.h"

namespace {

TextArray Lines(std::initializer_list<const char*> lines) {
  TextArray a;
  for (const char* l : lines) ArrayAppend(a, l);
  return a;
}

std::vector<std::string> Elements(const TextArray& a) {
  std::vector<std::string> out;
  for (const Text& t : a.items) out.push_back(t.Bytes());
  return out;
}

TEST(CollectSetCookies, TakesTheItemOfEachSetCookieLine) {
  struct Case {
    TextArray lines;
    const char* expected;
  };
  const Case cases[] = {
      {Lines({"HTTP/1.1 200 OK", "Set-Cookie: a=1; path=/", "set-cookie: b=2; Secure",
              "SET-COOKIE: c=3", "X-Set-Cookie: d=4; path=/"}),
       "a=1; b=2"},
      {Lines({"Set-Cookie:a=1;"}), "a=1"},
      // An empty item adds nothing, and the next item is then not preceded by "; ".
      {Lines({"Set-Cookie: ;x", "Set-Cookie: b=2;"}), "b=2"},
      {Lines({"Set-Cookie:   spaced=yes   ; path=/"}), "spaced=yes"},
      {Lines({"Content-Type: text/html; charset=utf-8", " Set-Cookie: e=5; x"}), ""},
      {Lines({"Set-Cookie:", "Set-Cookie;", "Set-Cookie: f=6;"}), "f=6"},
      {Lines({}), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CollectSetCookies(c.lines), Text(c.expected)) << c.expected;
  }
}

TEST(MergeCookies, ReceivedItemsFirstThenOldOnesNotReplaced) {
  struct Case {
    const char* cookies;
    const char* received;
    const char* merged;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
      {"a=1; b=2", "a=deleted", "b=2"},
      {"a=1; b=2", "a=deleted; b=deleted", ""},
      {"a=1;", "", "a=1"},
      {"  a=1; b=2;  ", "c=3;", "c=3; a=1; b=2"},
      {"", "", ""},
      {"", "x=1", "x=1"},
      {"x=1", "", "x=1"},
      // Two received items of one name both stay; identical items collapse to one.
      {"", "a=1; a=2", "a=1; a=2"},
      {"a=1; a=1; b=2", "", "a=1; b=2"},
      // Of old items sharing a name only the first is kept.
      {"a=1; a=2", "", "a=1"},
      // Names are compared trimmed and case-sensitively.
      {" a =1", "a=2", "a=2"},
      {"A=1", "a=2", "a=2; A=1"},
      {"flag; x=1", "flag", "flag; x=1"},
      // "=deleted" counts only at the very end, and in its own case.
      {"", "a=deleted ; b=Deleted", "a=deleted ; b=Deleted"},
  };
  for (const Case& c : cases) {
    Text cookies = c.cookies, received = c.received;
    const Text result = MergeCookies(cookies, received);
    EXPECT_EQ(result, Text(c.merged)) << c.cookies << " + " << c.received;
    EXPECT_EQ(cookies, Text(c.merged)) << c.cookies << " + " << c.received;
  }
}

TEST(MergeCookies, WritesTheTidiedReceivedTextBack) {
  Text cookies = "a=1", received = "  b=2;";
  MergeCookies(cookies, received);
  EXPECT_EQ(received, Text("b=2; "));
}

TEST(CookieName, TextBeforeTheFirstEqualsTrimmed) {
  EXPECT_EQ(CookieName(" a =1"), Text("a"));
  EXPECT_EQ(CookieName("flag"), Text("flag"));
  EXPECT_EQ(CookieName(" flag "), Text("flag"));
  EXPECT_EQ(CookieName("a=b=c"), Text("a"));
  EXPECT_EQ(CookieName("=v"), Text(""));
  EXPECT_TRUE(HasCookieName(Lines({"x=1", " a =2"}), "a"));
  EXPECT_FALSE(HasCookieName(Lines({"x=1", "ab=2"}), "a"));
  EXPECT_FALSE(HasCookieName(Lines({}), "a"));
}

TEST(DedupeItems, KeepsFirstOccurrencesInOrder) {
  EXPECT_EQ(DedupeItems("a=1; a=1; b=2", "; ", true), Text("a=1; b=2"));
  EXPECT_EQ(DedupeItems("b; a; b; c; a", "; ", true), Text("b; a; c"));
  EXPECT_EQ(DedupeItems("aabca", "", false), Text("abc"));
  EXPECT_EQ(DedupeItems("\xD6\xD0" "a\xD6\xD0", "", false), Text("\xD6\xD0" "a"));
  EXPECT_EQ(DedupeItems("a,b,a", ",", false), Text("a,,,b"));
  EXPECT_EQ(DedupeItems("", "; ", true), Text(""));
  EXPECT_EQ(FindInArray(Lines({"a", "b", "a"}), "a"), 1);
  EXPECT_EQ(FindInArray(Lines({"a", "b", "a"}), "b"), 2);
  EXPECT_EQ(FindInArray(Lines({"a", "b"}), "c"), -1);
  EXPECT_EQ(FindInArray(Lines({}), ""), -1);
}

TEST(SplitChars, LeadBytesAndCrLfTakeTheirSecondByte) {
  struct Case {
    const char* text;
    std::vector<std::string> chars;
  };
  const Case cases[] = {
      {"a\xD6\xD0\r\nb", {"a", "\xD6\xD0", "\r\n", "b"}},
      {"\ra", {"\r", "a"}},
      {"a\xD6", {"a", "\xD6"}},
      // 0x80 is a character of its own; 0x81 already leads a pair.
      {"\x80" "a", {"\x80", "a"}},
      {"\x81" "a", {"\x81" "a"}},
      {"\n\r", {"\n", "\r"}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Elements(SplitChars(c.text)), c.chars) << c.text;
  }
}

}  // namespace
