// Text and byte-string operations: clamping, the character-wise walk over two-byte
// characters, the lone lead byte at the end, and the start rules of the searches.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/text.h"

namespace {

// 中 D6D0, 国 B9FA, 香 CFE3, 港 B8DB; 0x81 0x61 is a character whose second byte is "a".
constexpr const char* kChina = "\xD6\xD0\xB9\xFA\xCF\xE3\xB8\xDB";  // 中国香港
constexpr const char* kFullWidthSpace = "\xA1\xA1";               // 　

struct CutCase {
  const char* text;
  int start;  // unused by TextLeft and TextRight
  int n;
  const char* expected;
};

TEST(TextCut, LeftRightMidClampAndCountBytes) {
  const CutCase left[] = {
      {"abc", 0, 0, ""}, {"abc", 0, -2, ""}, {"abc", 0, 5, "abc"}, {"abc", 0, 2, "ab"},
      {"", 0, 3, ""}, {kChina, 0, 3, "\xD6\xD0\xB9"}, {"abc", 0, INT_MAX, "abc"},
  };
  for (const auto& c : left) EXPECT_EQ(TextLeft(c.text, c.n).Bytes(), c.expected) << c.text << " " << c.n;
  const CutCase right[] = {
      {"abc", 0, 2, "bc"}, {"abc", 0, 0, ""}, {"abc", 0, -1, ""}, {"abc", 0, 9, "abc"},
      {kChina, 0, 3, "\xE3\xB8\xDB"}, {"abc", 0, INT_MAX, "abc"},
  };
  for (const auto& c : right) EXPECT_EQ(TextRight(c.text, c.n).Bytes(), c.expected) << c.text << " " << c.n;
  const CutCase mid[] = {
      {"abcdef", 0, 2, ""}, {"abcdef", -1, 2, ""}, {"abcdef", 7, 1, ""}, {"abcdef", 5, 10, "ef"},
      {"abcdef", 1, 0, ""}, {"abcdef", 1, -3, ""}, {"abcdef", 2, 3, "bcd"}, {"abcdef", 6, 1, "f"},
      {kChina, 2, 2, "\xD0\xB9"}, {"abcdef", INT_MIN, 2, ""}, {"abcdef", 3, INT_MAX, "cdef"},
  };
  for (const auto& c : mid) {
    EXPECT_EQ(TextMid(c.text, c.start, c.n).Bytes(), c.expected) << c.text << " " << c.start << " " << c.n;
  }
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength(kChina), 8);
}

struct FindCase {
  const char* text;
  const char* sought;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindText, FirstOccurrenceAtOrAfterStart) {
  const FindCase cases[] = {
      {"a,b,c", ",", 1, false, 2},
      {"a,b,c", ",", 3, false, 4},
      {"a,b,c", ",", 4, false, 4},
      {"a,b,c", ",", 6, false, -1},
      {"a,b,c", ",", 5, false, -1},
      {"a,b,c", ",", 0, false, 2},
      {"a,b,c", ",", -5, false, 2},
      {"a,b,c", ",", INT_MIN, false, 2},
      {"a,b,c", "b,c", 1, false, 3},
      {"a,b,c", "b,c,", 1, false, -1},   // would run past the end
      {"", ",", 1, false, -1},
      {"IP\xA3\xBA" "1.2.3.4", "\xA3\xBA", 1, false, 3},   // IP：
      {kChina, "\xD0\xB9", 1, false, -1},                  // spans two characters from a second byte
      {"\xD6\x41" "A", "A", 1, false, 3},                  // the "A" inside 0xD6 0x41 is skipped
      // A start on the second byte of a character begins the walk right there.
      {"\xD6\x41" "A", "A", 2, false, 2},
      {"\xD6\x41" "A", "AA", 2, false, 2},
      // A match may end in the middle of a two-byte character.
      {"ab\xD6\xD0", "b\xD6", 1, false, 2},
      // A lone lead byte at the end stops the walk.
      {"a\xB5", "\xB5", 1, false, -1},
      {"xa\xB5", "a", 1, false, 2},
      // Case: only ASCII letters fold, and only when asked.
      {"Set-Cookie: a=1", "set-cookie:", 1, true, 1},
      {"Set-Cookie: a=1", "set-cookie:", 1, false, -1},
      {"xABCx", "abc", 1, true, 2},
      {"x[\\]x", "{|}", 1, true, -1},               // [\] are not the case partners of {|}
      {"\x81\x61", "\x81\x41", 1, true, -1},        // second bytes never fold
      {"\xC1\x41", "\xE1\x41", 1, true, -1},        // nor lead bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected)
        << testing::PrintToString(std::string(c.text)) << " for " << c.sought << " from " << c.start;
  }
  EXPECT_EQ(FindText("a,b,c", ","), 2);  // start defaults to 1
}

struct FindReverseCase {
  const char* text;
  const char* sought;
  std::optional<int> start;
  bool ignoreCase;
  int expected;
};

TEST(FindTextReverse, LastOccurrenceEndingBeforeStart) {
  const FindReverseCase cases[] = {
      {"a.b.c", ".", {}, false, 4},
      {"a.b.c", ".", 4, false, 2},
      {"a.b.c", ".", 5, false, 4},   // ends at 4, before 5
      {"a.b.c", ".", 3, false, 2},
      {"a.b.c", ".", 2, false, -1},
      {"a.b.c", ".", 1, false, -1},
      {"a.b.c", ".", 0, false, -1},
      {"a.b.c", ".", -7, false, -1},
      {"a.b.c", ".", INT_MIN, false, -1},
      {"a.b.c", ".", 99, false, 4},
      {"a.b.c", ".", INT_MAX, false, 4},
      {"", ".", {}, false, -1},
      {"aaaa", "aa", {}, false, 3},         // occurrences overlap
      {"aaaa", "aa", 4, false, 2},          // must lie within the first 3 bytes
      {"abcABC", "abc", {}, true, 4},
      {"abcABC", "abc", {}, false, 1},
      {"\xD6.\x2E", ".", {}, false, 3},     // the "." inside 0xD6 0x2E is skipped
      {".\xB5", ".", {}, false, 1},         // a lone lead byte at the end stops the walk
      {"\xB5", "\xB5", {}, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindTextReverse(c.text, c.sought, c.start, c.ignoreCase), c.expected)
        << c.text << " for " << c.sought << " before " << c.start.value_or(0);
  }
}

TEST(FindTextReverse, RepeatedCallsWalkOccurrencesRightToLeft) {
  const Text host = "www.example.co.uk";
  std::vector<int> dots;
  std::optional<int> start;
  for (int guard = 0; guard < 10; ++guard) {
    const int p = FindTextReverse(host, ".", start);
    if (p < 0) break;
    dots.push_back(p);
    start = p;
  }
  EXPECT_EQ(dots, (std::vector<int>{15, 12, 4}));
}

struct ReplaceCase {
  const char* text;
  const char* sought;
  const char* replacement;
  int start;
  int count;
  bool caseSensitive;
  const char* expected;
};

TEST(ReplaceText, LeftToRightWithoutOverlapOrRescan) {
  const ReplaceCase cases[] = {
      {"aaaa", "aa", "a", 1, -1, true, "aa"},
      {"aaaa", "aa", "a", 1, 1, true, "aaa"},
      {"aaaa", "aa", "a", 4, -1, true, "aaaa"},   // fewer than 2 bytes from position 4
      {"aaaa", "aa", "a", 2, -1, true, "aaa"},    // the first byte is copied, then one match
      {"aaaa", "aa", "a", 5, -1, true, "aaaa"},
      {"aaaa", "aa", "a", 0, -1, true, "aa"},
      {"aaaa", "aa", "a", INT_MIN, -1, true, "aa"},
      {"aaaa", "aa", "a", 1, 0, true, "aaaa"},
      {"aaaa", "aa", "a", 1, -5, true, "aa"},     // a negative count is unlimited
      {"abab", "ab", "abab", 1, -1, true, "abababab"},  // the replacement is not searched
      {"a-b-c", "-", "", 1, -1, true, "abc"},
      {"a-b-c", "", "x", 1, -1, true, "a-b-c"},
      {"", "a", "x", 1, -1, true, ""},
      {"aXa", "x", "y", 1, -1, true, "aXa"},
      {"aXa", "x", "y", 1, -1, false, "aya"},
      {"\xD6\x41" "A", "A", "b", 1, -1, true, "\xD6\x41" "b"},  // not inside a character
      {"ab\xD6\xD0", "b\xD6", "x", 1, -1, true, "ax\xD0"},
      // The walk stops at a lone lead byte, which is left out ...
      {"a-\xB5", "-", "+", 1, -1, true, "a+"},
      // ... but bytes after the end of the walk are copied as they are.
      {"a-\xB5", "-\xB5x", "+", 1, -1, true, "a-\xB5"},
      {"a-b-c", "-", "+", 1, 1, true, "a+b-c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.start, c.count, c.caseSensitive).Bytes(),
              c.expected)
        << c.text << " " << c.sought << "->" << c.replacement << " from " << c.start << " count " << c.count;
  }
  EXPECT_EQ(ReplaceText("a-b", "-").Bytes(), "ab");  // replacement defaults to empty
}

TEST(TrimText, AsciiAndFullWidthSpacesOnly) {
  const std::string fw = kFullWidthSpace;
  struct Case {
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {fw + " ab c " + fw, "ab c"},
      {"\tab", "\tab"},
      {"ab\r\n", "ab\r\n"},
      {"   ", ""},
      {fw + fw, ""},
      {"", ""},
      {" a " + fw + " b ", "a " + fw + " b"},
      {"a \xB5", "a"},           // a lone lead byte is left out, and the run before it too
      {"a\xB5", "a"},
      {" \xB5", ""},
      {"\xB1\xA1\xA1" "a ", "\xB1\xA1\xA1" "a"},  // 0xA1 0xA1 inside other characters is no space
      {"a\xA1\xA1\xA1", "a"},  // a run of spaces, then a lone lead byte
  };
  for (const auto& c : cases) EXPECT_EQ(TrimText(c.text).Bytes(), c.expected) << testing::PrintToString(c.text);
}

TEST(CaseMapping, OnlyAsciiLettersOutsideTwoByteCharacters) {
  struct Case {
    const char* text;
    const char* upper;
    const char* lower;
  };
  const Case cases[] = {
      {"abcXYZ09-", "ABCXYZ09-", "abcxyz09-"},
      {"\x81\x61", "\x81\x61", "\x81\x61"},
      {"ABC\xD6\xD0", "ABC\xD6\xD0", "abc\xD6\xD0"},
      {"a\xC1\x41z", "A\xC1\x41Z", "a\xC1\x41z"},
      {"a\xB5", "A\xB5", "a\xB5"},  // a lone lead byte stays in place
      {"[`{@", "[`{@", "[`{@"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToUpper(c.text).Bytes(), c.upper) << c.text;
    EXPECT_EQ(ToLower(c.text).Bytes(), c.lower) << c.text;
  }
}

TEST(MakeText, RepeatBlankConcatCharacter) {
  EXPECT_EQ(RepeatText("0", 3).Bytes(), "000");
  EXPECT_EQ(RepeatText("ab", 2).Bytes(), "abab");
  EXPECT_TRUE(RepeatText("0", -1).Empty());
  EXPECT_TRUE(RepeatText("0", 0).Empty());
  EXPECT_TRUE(RepeatText("", 5).Empty());
  EXPECT_EQ(BlankText(3).Bytes(), "   ");
  EXPECT_TRUE(BlankText(0).Empty());
  EXPECT_TRUE(BlankText(-3).Empty());
  EXPECT_EQ(ConcatText({"ab", Text(), "c"}).Bytes(), "abc");
  EXPECT_TRUE(ConcatText({Text(), ""}).Empty());
  EXPECT_EQ(ConcatText({kChina, ":", "1"}).Bytes(), std::string(kChina) + ":1");
  EXPECT_EQ(CharFromCode(32).Bytes(), " ");
  EXPECT_EQ(CharFromCode(0x1D6).Bytes(), "\xD6");  // the low 8 bits only
  EXPECT_EQ(CharFromCode(-42).Bytes(), "\xD6");
  EXPECT_TRUE(CharFromCode(0).Empty());
  EXPECT_TRUE(CharFromCode(256).Empty());
}

TEST(CompareText, UnsignedBytesAndPrefixFirst) {
  struct Case {
    Text a, b;
    int expected;
  };
  const Case cases[] = {
      {Text(), Text(""), 0}, {"", "a", -1}, {"b", "a", 1}, {"a", "ab", -1}, {"ab", "a", 1},
      {"abc", "abc", 0}, {"\x80", "a", 1}, {"a", "\xFF", -1}, {"\xD6\xD0", "\xD6\xD1", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareText(c.a, c.b), c.expected) << testing::PrintToString(c.a.Bytes()) << " vs "
                                                 << testing::PrintToString(c.b.Bytes());
  }
}

TEST(CharCode, SignedByteOrZero) {
  struct Case {
    const char* text;
    int position;
    int expected;
  };
  const Case cases[] = {
      {"a", 1, 97}, {"\xD6\xD0", 1, -42}, {"\xD6\xD0", 2, -48}, {"a", 2, 0}, {"a", 0, 0},
      {"a", -1, 0}, {"", 1, 0}, {"\x7F\x80", 2, -128}, {"\x7F", 1, 127},
  };
  for (const auto& c : cases) EXPECT_EQ(CharCode(c.text, c.position), c.expected) << c.text << " " << c.position;
  EXPECT_EQ(CharCode("a"), 97);
}

ByteString B(std::string_view s) { return ByteString(std::string(s)); }

TEST(ByteStrings, CutMakeAndCompare) {
  const ByteString four = B(std::string_view("\x01\x02\x03\x04", 4));
  EXPECT_EQ(BytesLeft(four, 2).Bytes(), "\x01\x02");
  EXPECT_TRUE(BytesLeft(four, 0).Empty());
  EXPECT_TRUE(BytesLeft(four, -1).Empty());
  EXPECT_EQ(BytesLeft(four, 9), four);
  EXPECT_EQ(BytesMid(four, 0, 2).Bytes(), "\x01\x02");   // a start below 1 counts as 1
  EXPECT_EQ(BytesMid(four, -9, 1).Bytes(), "\x01");
  EXPECT_EQ(BytesMid(four, INT_MIN, 1).Bytes(), "\x01");
  EXPECT_EQ(BytesMid(four, 3, 9).Bytes(), "\x03\x04");
  EXPECT_TRUE(BytesMid(four, 5, 1).Empty());
  EXPECT_TRUE(BytesMid(four, 2, 0).Empty());
  EXPECT_EQ(BytesMid(B(std::string_view("a\0b", 3)), 2, 2).Bytes(), std::string("\0b", 2));
  EXPECT_EQ(ByteLength(four), 4);
  EXPECT_EQ(ByteLength(ByteString()), 0);

  EXPECT_EQ(BlankBytes(3).Bytes(), std::string(3, '\0'));
  EXPECT_TRUE(BlankBytes(0).Empty());
  EXPECT_TRUE(BlankBytes(-1).Empty());
  EXPECT_EQ(ConcatBytes({"a", std::string_view("\0", 1), "", "b"}).Bytes(), std::string("a\0b", 3));
  EXPECT_TRUE(ConcatBytes({"", ByteString().View()}).Empty());

  EXPECT_TRUE(BytesEqual(ByteString(), B("")));
  EXPECT_TRUE(BytesEqual(B(std::string_view("a\0", 2)), B(std::string_view("a\0", 2))));
  EXPECT_FALSE(BytesEqual(B(std::string_view("a\0", 2)), B("a")));
  EXPECT_FALSE(BytesEqual(B("ab"), B("ac")));
}

TEST(ByteStrings, TextAndMemory) {
  EXPECT_EQ(ToBytes("ab").Bytes(), "ab");
  EXPECT_TRUE(ToBytes(Text()).Empty());
  EXPECT_EQ(BytesToText(B(std::string_view("ab\0c", 4))).Bytes(), "ab");
  EXPECT_EQ(BytesToText(B("abc")).Bytes(), "abc");
  EXPECT_TRUE(BytesToText(ByteString()).Empty());
  EXPECT_TRUE(BytesToText(B(std::string_view("\0a", 2))).Empty());

  const char source[] = {'x', '\0', 'y'};
  EXPECT_EQ(PointerToBytes(source, 3).Bytes(), std::string("x\0y", 3));
  EXPECT_TRUE(PointerToBytes(source, 0).Empty());

  char target[5] = {'-', '-', '-', '-', '-'};
  WriteToMemory(B(std::string_view("a\0b", 3)), target);
  EXPECT_EQ(std::string(target, 5), std::string("a\0b--", 5));
  WriteToMemory(ByteString(), target);  // nothing to write, nothing touched
  EXPECT_EQ(std::string(target, 5), std::string("a\0b--", 5));

  EXPECT_EQ(BitOr({1, 2, 8}), 11);
  EXPECT_EQ(BitOr({0x100, 0x100, INT_MIN}), static_cast<int>(0x80000100u));
}

TEST(Values, CopiesShareNothing) {
  Text original = "abc";
  Text copy = original;
  EXPECT_EQ(copy, original);
  EXPECT_NE(copy.CStr(), original.CStr());
  TextArray a;
  ArrayAppend(a, original);
  Text out;
  ASSERT_EQ(ArrayElement(a, 1, out), ArrayStatus::Ok);
  EXPECT_NE(out.CStr(), a.items[0].CStr());
  // A text holds no zero byte: it ends at the first one it is given.
  EXPECT_EQ(Text(std::string("ab\0cd", 5)).Bytes(), "ab");
  EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).Length(), 2);
}

}  // namespace
