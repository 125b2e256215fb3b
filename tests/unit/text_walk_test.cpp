// The searching, splitting, replacing and trimming operations against the character-wise
// walk written out step by step, on many small texts made of the bytes that matter: lead
// bytes, second bytes that look like ASCII, delimiters, both kinds of space, and lone lead
// bytes at the end. The operations themselves skip ahead with faster searches; whatever
// they do must give what the plain walk gives.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/text.h"

namespace {

using Bytes = std::string_view;

bool Lead(Bytes t, std::size_t i) { return static_cast<unsigned char>(t[i]) >= 0x80; }

// 0 for a lead byte with nothing after it.
std::size_t Width(Bytes t, std::size_t i) { return !Lead(t, i) ? 1 : (i + 1 < t.size() ? 2 : 0); }

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The case rule: bytes of two-byte characters of t compare exactly, others folded.
bool Matches(Bytes t, std::size_t p, Bytes s, bool ignoreCase) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!ignoreCase) {
      if (t[p + i] != s[i]) return false;
    } else if (Lead(t, p + i)) {
      if (t[p + i] != s[i]) return false;
      if (++i < s.size() && t[p + i] != s[i]) return false;
    } else if (Fold(t[p + i]) != Fold(s[i])) {
      return false;
    }
  }
  return true;
}

std::size_t Offset(long long start) { return start > 1 ? static_cast<std::size_t>(start - 1) : 0; }

int RefFind(Bytes t, Bytes s, int start, bool ic) {
  std::size_t p = Offset(start);
  if (s.empty() || p >= t.size()) return -1;
  for (; p + s.size() <= t.size();) {
    const std::size_t w = Width(t, p);
    if (w == 0) return -1;
    if (Matches(t, p, s, ic)) return static_cast<int>(p + 1);
    p += w;
  }
  return -1;
}

int RefFindReverse(Bytes t, Bytes s, std::optional<int> start, bool ic) {
  std::size_t r = t.size();
  if (start) r = std::min(Offset(*start), t.size());
  int found = -1;
  if (s.empty()) return -1;
  for (std::size_t p = 0; p + s.size() <= r;) {
    const std::size_t w = Width(t, p);
    if (w == 0) break;
    if (Matches(t, p, s, ic)) found = static_cast<int>(p + 1);
    p += w;
  }
  return found;
}

std::vector<std::string> RefSplit(Bytes t, Bytes d, std::optional<int> maxCount) {
  std::vector<std::string> out;
  int left = maxCount ? std::max(*maxCount, 0) : -1;
  if (t.empty() || left == 0) return out;
  if (d.empty()) return {std::string(t)};
  std::size_t q = 0, p = 0;
  while (p + d.size() <= t.size()) {
    const std::size_t w = Width(t, p);
    if (w == 0) break;
    if (Matches(t, p, d, false)) {
      out.emplace_back(t.substr(q, p - q));
      q = p += d.size();
      if (left > 0 && --left == 0) return out;
    } else {
      p += w;
    }
  }
  if (q < t.size()) out.emplace_back(t.substr(q));
  return out;
}

std::string RefReplace(Bytes t, Bytes s, Bytes r, int start, int count, bool cs) {
  const std::size_t s0 = Offset(start);
  if (t.empty() || s.empty() || s0 >= t.size() || count == 0) return std::string(t);
  std::string out(t.substr(0, s0));
  std::size_t p = s0;
  while (p + s.size() <= t.size()) {
    const std::size_t w = Width(t, p);
    if (w == 0) return out;  // the lone lead byte is left out
    if (Matches(t, p, s, !cs)) {
      out += r;
      p += s.size();
      if (count > 0 && --count == 0) break;
    } else {
      out += t.substr(p, w);
      p += w;
    }
  }
  return out + std::string(t.substr(p));
}

bool Space(Bytes t, std::size_t p, std::size_t w) {
  return w == 1 ? t[p] == ' ' : (t[p] == '\xA1' && t[p + 1] == '\xA1');
}

std::string RefTrim(Bytes t) {
  std::size_t p = 0;
  while (p < t.size()) {
    const std::size_t w = Width(t, p);
    if (w == 0 || !Space(t, p, w)) break;
    p += w;
  }
  const std::size_t first = p;
  std::size_t end = t.size(), runStart = 0;
  bool inRun = false;
  while (p < t.size()) {
    const std::size_t w = Width(t, p);
    if (w == 0) {
      end = p;
      break;
    }
    const bool space = Space(t, p, w);
    if (space && !inRun) runStart = p;
    inRun = space;
    p += w;
  }
  return std::string(t.substr(first, (inRun ? runStart : end) - first));
}

// Small texts from bytes that make the walk's decisions: "A" and "," also serve as second
// bytes, 0xA1 makes full-width spaces, 0xD6 and 0xB5 are other lead bytes.
class Texts {
public:
  std::string Next(std::size_t maxLength) {
    static const char kBytes[] = {'a', 'A', ',', ' ', '\xA1', '\xA1', '\xD6', '\xB5', ',', 'a'};
    std::string s(Draw(maxLength + 1), '\0');
    for (char& c : s) c = kBytes[Draw(sizeof kBytes)];
    return s;
  }
  std::size_t Draw(std::size_t n) {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    return static_cast<std::size_t>((state_ >> 33) % n);
  }

private:
  std::uint64_t state_ = 2024;
};

constexpr int kTexts = 4000;

std::vector<std::string> Pieces(const TextArray& a) {
  std::vector<std::string> out;
  for (const Text& t : a.items) out.push_back(t.Bytes());
  return out;
}

std::string Show(Bytes s) { return testing::PrintToString(std::string(s)); }

TEST(Walk, FindTextAgreesWithTheWalk) {
  Texts gen;
  for (int k = 0; k < kTexts; ++k) {
    const std::string t = gen.Next(12), s = gen.Next(3);
    if (s.empty()) continue;
    for (int start = -1; start <= static_cast<int>(t.size()) + 1; ++start) {
      for (bool ic : {false, true}) {
        ASSERT_EQ(FindText(t, s, start, ic), RefFind(t, s, start, ic))
            << Show(t) << " for " << Show(s) << " from " << start << " ignoreCase " << ic;
      }
    }
  }
}

TEST(Walk, FindTextReverseAgreesWithTheWalk) {
  Texts gen;
  for (int k = 0; k < kTexts; ++k) {
    const std::string t = gen.Next(12), s = gen.Next(3);
    if (s.empty()) continue;
    for (int start = -1; start <= static_cast<int>(t.size()) + 2; ++start) {
      const std::optional<int> st = start == -1 ? std::nullopt : std::optional<int>(start);
      for (bool ic : {false, true}) {
        ASSERT_EQ(FindTextReverse(t, s, st, ic), RefFindReverse(t, s, st, ic))
            << Show(t) << " for " << Show(s) << " before " << start << " ignoreCase " << ic;
      }
    }
  }
}

TEST(Walk, SplitTextAgreesWithTheWalk) {
  Texts gen;
  for (int k = 0; k < kTexts; ++k) {
    const std::string t = gen.Next(12), d = gen.Next(2);
    for (std::optional<int> maxCount : {std::optional<int>(), std::optional<int>(1), std::optional<int>(2)}) {
      ASSERT_EQ(Pieces(SplitText(t, d, maxCount)), RefSplit(t, d, maxCount))
          << Show(t) << " by " << Show(d) << " max " << maxCount.value_or(-1);
    }
  }
}

TEST(Walk, ReplaceTextAgreesWithTheWalk) {
  Texts gen;
  for (int k = 0; k < kTexts; ++k) {
    const std::string t = gen.Next(12), s = gen.Next(2), r = gen.Next(2);
    for (int start : {1, 2, 4}) {
      for (int count : {-1, 1, 2}) {
        for (bool cs : {true, false}) {
          ASSERT_EQ(ReplaceText(t, s, r, start, count, cs).Bytes(), RefReplace(t, s, r, start, count, cs))
              << Show(t) << " " << Show(s) << " -> " << Show(r) << " from " << start << " count " << count;
        }
      }
    }
  }
}

TEST(Walk, TrimTextAgreesWithTheWalk) {
  Texts gen;
  for (int k = 0; k < kTexts; ++k) {
    const std::string t = gen.Next(20);
    ASSERT_EQ(TrimText(t).Bytes(), RefTrim(t)) << Show(t);
  }
  // Long texts too, so that whole blocks of plain bytes are skipped.
  for (int k = 0; k < 300; ++k) {
    const std::string t = gen.Next(4) + std::string(gen.Draw(40), 'x') + gen.Next(6) + std::string(gen.Draw(20), ' ') + gen.Next(4);
    ASSERT_EQ(TrimText(t).Bytes(), RefTrim(t)) << Show(t);
  }
}

TEST(Walk, LongTextsAgreeWithTheWalk) {
  // Long ASCII stretches between the interesting bytes exercise the block-wise skipping.
  Texts gen;
  for (int k = 0; k < 600; ++k) {
    std::string t;
    for (int part = 0; part < 4; ++part) t += gen.Next(5) + std::string(gen.Draw(30), part % 2 ? 'x' : 'A');
    const std::string s = gen.Next(2);
    if (s.empty()) continue;
    for (int start : {1, 3, 17}) {
      ASSERT_EQ(FindText(t, s, start), RefFind(t, s, start, false)) << Show(t) << " " << Show(s);
    }
    ASSERT_EQ(FindTextReverse(t, s), RefFindReverse(t, s, std::nullopt, false)) << Show(t) << " " << Show(s);
    ASSERT_EQ(Pieces(SplitText(t, s)), RefSplit(t, s, std::nullopt)) << Show(t) << " " << Show(s);
    ASSERT_EQ(ReplaceText(t, s, "#").Bytes(), RefReplace(t, s, "#", 1, -1, true)) << Show(t) << " " << Show(s);
  }
}

}  // namespace
