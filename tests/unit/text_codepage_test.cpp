// Code page conversions, through the real platform pair: iconv natively, the system's own
// functions when these tests run under Wine. The same tables must hold on both.
#include <gtest/gtest.h>

#include <string>

#include "app/globals.h"
#include "text/codepage.h"
#include "text/codepage_os.h"

namespace {

ByteString B(std::string_view s) { return ByteString(std::string(s)); }

class CodePage : public ::testing::Test {
protected:
  void SetUp() override {
    saved_ = ProcessCodePage;
    ProcessCodePage = 936;
  }
  void TearDown() override { ProcessCodePage = saved_; }

private:
  int saved_ = 0;
};

struct BytesCase {
  std::string_view input;
  std::string_view expected;
};

TEST_F(CodePage, Utf8ToText) {
  const BytesCase cases[] = {
      {"", ""},
      {std::string_view("\0a", 2), ""},
      {std::string_view("a\0b", 3), "a"},                 // stops at the first zero
      {"\xE4\xB8\xAD", "\xD6\xD0"},                        // 中
      {"IP\xEF\xBC\x9A" "1.2.3.4", "IP\xA3\xBA" "1.2.3.4"},  // IP：1.2.3.4
      {"\xE5\x9C\xB0\xE5\x8C\xBA", "\xB5\xD8\xC7\xF8"},    // 地区
      {"\xE2\x82\xAC", "\x80"},                            // € is one byte in 936
      {"a\xFF" "b", "a?b"},                                // malformed: U+FFFD, then "?"
      {"a\x80" "b", "a?b"},
      {"\xE4\xB8" "a", "?a"},                              // truncated sequence, one U+FFFD
      {"\xC0\xAF" "a", "??a"},
      {"\xF0\x9F\x98\x80" "a", "??a"},                     // beyond the BMP: "?" per unit
      {"\xEF\xBC\xA1\xE3\x80\x80", "\xA3\xC1\xA1\xA1"},    // Ａ and the full-width space
      // A lead byte and one continuation byte that cannot start a valid sequence (a
      // surrogate, an overlong form, beyond U+10FFFF) make one U+FFFD together.
      {"\xED\xA0\x80" "a", "??a"},
      {"\xE0\x80\xAF" "a", "??a"},
      {"\xF0\x80\x80" "a", "??a"},
      {"\xF4\x90\x80\x80" "a", "???a"},
      {"\xF8\x88\x80" "a", "???a"},
      {"\xEF\xBB\xBF" "a", "?a"},                          // the byte order mark is kept
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToText(B(c.input)).Bytes(), c.expected) << testing::PrintToString(c.input);
  }
}

TEST_F(CodePage, TextToWideKeepsOrStripsTheTerminator) {
  EXPECT_EQ(TextToWide("ab", false).Bytes(), std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(TextToWide("ab", true).Bytes(), std::string("a\0b\0", 4));
  EXPECT_EQ(TextToWide("\xD6\xD0", false).Bytes(), std::string("\x2D\x4E\0\0", 4));
  for (bool strip : {false, true}) {
    EXPECT_TRUE(TextToWide(Text(), strip).Empty());
    EXPECT_TRUE(TextToWide("", strip).Empty());
  }
}

TEST_F(CodePage, TextToWideReadsTheProcessCodePageAtEachCall) {
  ProcessCodePage = 65001;
  EXPECT_EQ(TextToWide("\xE4\xB8\xAD", true).Bytes(), std::string("\x2D\x4E", 2));
  ProcessCodePage = 936;
  EXPECT_EQ(TextToWide("\xD6\xD0", true).Bytes(), std::string("\x2D\x4E", 2));
}

TEST_F(CodePage, BytesToWide) {
  EXPECT_EQ(BytesToWide(B("ab"), 936).Bytes(), std::string("a\0b\0\0\0", 6));
  EXPECT_EQ(BytesToWide(B(std::string_view("a\0b", 3)), 936).Bytes(), std::string("a\0\0\0", 4));
  EXPECT_TRUE(BytesToWide(ByteString(), 936).Empty());
  EXPECT_TRUE(BytesToWide(B(std::string_view("\0a", 2)), 65001).Empty());
  EXPECT_TRUE(BytesToWide(B("abc"), 12345).Empty());  // a code page the platform lacks
}

TEST_F(CodePage, CodePage936DecodesLikeWindows) {
  struct Case {
    std::string_view bytes;
    std::u16string units;  // without the terminator
  };
  const Case cases[] = {
      {"a\xD6\xD0", u"a\u4E2D"},
      {"\x80", u"\u20AC"},
      {"\xFF", u"\uF8F5"},
      {"\xAA\xA1", u"\uE000"},   // user-defined areas go to the private use area
      {"\xFE\xFE", u"\uE4C5"},
      {"\xA1\x40", u"\uE4C6"},
      {"\xA2\xAB", u"\uE766"},   // and so do codes GBK leaves unassigned
      {"\xFE\x51", u"\uE816"},
      {"\x81\x20" "b", u"?b"},     // a byte that cannot follow a lead byte goes with it
      {"a\x81", u"a?"},            // a lead byte at the end
  };
  for (const auto& c : cases) {
    std::u16string expected = c.units + u'\0';
    const ByteString wide = BytesToWide(B(c.bytes), 936);
    EXPECT_EQ(wide.Bytes(), std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2))
        << testing::PrintToString(c.bytes);
    // Every character of the grid comes back as the bytes it came from.
    if (c.units.find(u'?') == std::u16string::npos) {
      EXPECT_EQ(WideToBytes(wide, 936).Bytes(), c.bytes);
    }
  }
}

TEST_F(CodePage, CutWideAtNul) {
  struct Case {
    std::string_view wide;
    bool reterminate;
    std::string_view expected;
  };
  const Case cases[] = {
      {std::string_view("a\0b", 3), false, std::string_view("a\0", 2)},
      {std::string_view("a\0b", 3), true, std::string_view("a\0\0\0", 4)},
      {std::string_view("\0\0a\0", 4), false, ""},
      {std::string_view("\0\0a\0", 4), true, ""},
      {std::string_view("a\0\0\0b\0", 6), true, std::string_view("a\0\0\0", 4)},
      {std::string_view("a\0b\0", 4), false, std::string_view("a\0b\0", 4)},
      {"a", true, ""},
      {"", true, ""},
      // A zero byte that is half of a unit does not end the text.
      {std::string_view("\0a\0\0", 4), false, std::string_view("\0a", 2)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutWideAtNul(B(c.wide), c.reterminate).Bytes(), c.expected)
        << testing::PrintToString(c.wide) << " reterminate " << c.reterminate;
  }
}

TEST_F(CodePage, WideToBytes) {
  const BytesCase cases936[] = {
      {std::string_view("a\0b\0", 4), "ab"},
      {std::string_view("a\0b\0\0\0c\0", 8), "ab"},
      {std::string_view("\x2D\x4E", 2), "\xD6\xD0"},
      {std::string_view("\xAC\x20", 2), "\x80"},
      {std::string_view("\x3D\xD8\x00\xDE" "a\0", 6), "??a"},  // a surrogate pair
      {std::string_view("\x00\xD8" "a\0", 4), "?a"},          // a lone surrogate
      {std::string_view("\x40\xDB\x01\xDC", 4), "??"},        // U+E0001, a tag character
      {std::string_view("\xFD\xFF", 2), "?"},                 // U+FFFD has no 936 form
      {std::string_view("a\0b", 3), "ab"},                    // an odd last byte is a unit of its own
      {std::string_view("\0\0a\0", 4), ""},
      {"", ""},
  };
  for (const auto& c : cases936) {
    EXPECT_EQ(WideToBytes(B(c.input), 936).Bytes(), c.expected) << testing::PrintToString(c.input);
  }
  EXPECT_EQ(WideToBytes(B(std::string_view("\x2D\x4E", 2)), 65001).Bytes(), "\xE4\xB8\xAD");
  EXPECT_EQ(WideToBytes(B(std::string_view("\x00\xD8" "a\0", 4)), 65001).Bytes(), "\xEF\xBF\xBD" "a");
  EXPECT_TRUE(WideToBytes(B(std::string_view("a\0", 2)), 12345).Empty());
}

TEST_F(CodePage, WideToTextPicksTheCodePage) {
  const ByteString wide = B(std::string_view("\x2D\x4E" "a\0", 4));  // 中a
  EXPECT_EQ(WideToText(wide, 65001, true).Bytes(), "\xE4\xB8\xAD" "a");
  EXPECT_EQ(WideToText(wide, 936, true).Bytes(), "\xD6\xD0" "a");
  EXPECT_EQ(WideToProcessText(wide).Bytes(), "\xD6\xD0" "a");
  // Told not to use it, the code page given is ignored for the system ANSI code page.
  const Text ansi = BytesToText(WideToBytes(wide, 0));
  EXPECT_EQ(WideToText(wide, 65001, false), ansi);
  EXPECT_EQ(WideToText(wide, 936, false), ansi);
  EXPECT_NE(ansi, WideToText(wide, 65001, true));
  EXPECT_TRUE(WideToText(ByteString(), 936, true).Empty());
}

TEST_F(CodePage, RoundTripThroughUtf16KeepsText) {
  const Text texts[] = {"abc", "\xB2\xA6\xBA\xC5\xB7\xFE\xCE\xF1\xB6\xCB",  // 拨号服务端
                        "\xA3\xB1\xA3\xB2 x", "\x80\xA1\xA1"};
  for (const Text& t : texts) {
    EXPECT_EQ(WideToProcessText(TextToWide(t, false)), t) << testing::PrintToString(t.Bytes());
    EXPECT_EQ(WideToProcessText(TextToWide(t, true)), t) << testing::PrintToString(t.Bytes());
  }
}

TEST_F(CodePage, PayloadAccessors) {
  ByteString b = B("xy");
  EXPECT_EQ(PayloadOf(b), b.Data());
  EXPECT_EQ(PayloadOrNull(b), b.Data());
  ByteString empty;
  EXPECT_EQ(PayloadOrNull(empty), nullptr);
}

}  // namespace
