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

}  // namespace
