#include <gtest/gtest.h>

#include "text/text.h"

namespace {

std::vector<std::string> Pieces(const TextArray& a) {
  std::vector<std::string> out;
  for (const Text& t : a.items) out.push_back(t.Bytes());
  return out;
}

struct SplitCase {
  const char* text;
  const char* delimiter;
  std::optional<int> maxCount;
  std::vector<std::string> pieces;
};

TEST(SplitText, PiecesBetweenDelimiters) {
  const SplitCase cases[] = {
      {"a,b", ",", {}, {"a", "b"}},
      {"a,,b", ",", {}, {"a", "", "b"}},
      {",a", ",", {}, {"", "a"}},
      {"a,", ",", {}, {"a"}},
      {",", ",", {}, {""}},
      {"abc", ",", {}, {"abc"}},
      {"", ",", {}, {}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", -1, {}},
      {"abc", "", {}, {"abc"}},
      // The delimiter's bytes inside a two-byte character are not a match.
      {"\xB5\x2C" "a,b", ",", {}, {"\xB5\x2C" "a", "b"}},
      // A lone lead byte at the end goes into the last piece.
      {"a,b\xB5", ",", {}, {"a", "b\xB5"}},
      {"a,\xB5", ",", {}, {"a", "\xB5"}},
      {"a,b,c", ",", 1, {"a"}},
      {"a,b,c", ",", 0, {}},
      {"a,b,c", ",", 3, {"a", "b", "c"}},
      {"a,b,c", ",", 9, {"a", "b", "c"}},
      {"a,b,", ",", 2, {"a", "b"}},
      // Longer delimiters, matched exactly and without overlap.
      {"a::b::", "::", {}, {"a", "b"}},
      {"a:::b", "::", {}, {"a", ":b"}},
      {"aXbxc", "x", {}, {"aXb", "c"}},
      {"ab", "abc", {}, {"ab"}},
      // A two-byte delimiter (the full-width colon) between Chinese text.
      {"IP\xA3\xBA" "1.2.3.4\xA3\xBA\xB5\xD8", "\xA3\xBA", {}, {"IP", "1.2.3.4", "\xB5\xD8"}},
      // ... which is not found across a character boundary: B5 A3 | BA.. is no match.
      {"\xB5\xA3\xBA\xA1", "\xA3\xBA", {}, {"\xB5\xA3\xBA\xA1"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Pieces(SplitText(c.text, c.delimiter, c.maxCount)), c.pieces) << c.text;
  }
}

TEST(ArrayElement, ReportsIndexOutOfRange) {
  TextArray a = SplitText("only", ",");
  Text out = "untouched";
  EXPECT_EQ(ArrayElement(a, 2, out), ArrayStatus::IndexOutOfRange);
  EXPECT_EQ(ArrayElement(a, 0, out), ArrayStatus::IndexOutOfRange);
  EXPECT_EQ(out, Text("untouched"));
  ASSERT_EQ(ArrayElement(a, 1, out), ArrayStatus::Ok);
  EXPECT_EQ(out, Text("only"));
}

TEST(ArrayAppend, GrowsAtTheEndWithCopies) {
  TextArray a;
  EXPECT_EQ(ArrayCount(a), 0);
  Text piece = "first";
  ArrayAppend(a, piece);
  ArrayAppend(a, Text());
  ArrayAppend(a, "third");
  piece = "changed";
  EXPECT_EQ(Pieces(a), (std::vector<std::string>{"first", "", "third"}));
  EXPECT_EQ(ArrayCount(a), 3);
  Text out;
  EXPECT_EQ(ArrayElement(a, 4, out), ArrayStatus::IndexOutOfRange);
  EXPECT_EQ(ArrayElement(a, -1, out), ArrayStatus::IndexOutOfRange);
  ASSERT_EQ(ArrayElement(a, 3, out), ArrayStatus::Ok);
  EXPECT_EQ(out, Text("third"));
}

}  // namespace
