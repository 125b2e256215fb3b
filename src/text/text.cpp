// Text, byte-string and array operations.
//
// The searching and splitting operations walk code-page-936 text character by character:
// a byte of 0x80 or more takes the next byte with it, so a match never starts on the second
// byte of a Chinese character. A lead byte with nothing after it ends the walk.
#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

using Bytes = std::string_view;

unsigned char At(Bytes s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

bool IsLead(unsigned char c) { return c >= 0x80; }

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// True when the bytes of t at p equal sought; with ignoreCase only ASCII letters outside
// two-byte characters are folded.
bool MatchesAt(Bytes t, std::size_t p, Bytes sought, bool ignoreCase) {
  if (!ignoreCase) return t.compare(p, sought.size(), sought) == 0;
  std::size_t i = 0;
  while (i < sought.size()) {
    unsigned char c = At(t, p + i);
    if (IsLead(c)) {
      if (c != At(sought, i)) return false;
      if (i + 1 < sought.size() && At(t, p + i + 1) != At(sought, i + 1)) return false;
      i += 2;
    } else {
      if (FoldAscii(c) != FoldAscii(At(sought, i))) return false;
      ++i;
    }
  }
  return true;
}

// The 0-based offset of a 1-based start position; positions below 1 count as 1. Computed
// without start - 1, which would overflow for the smallest int.
std::size_t StartOffset(int start) { return start > 1 ? static_cast<std::size_t>(start) - 1 : 0; }

// Width of the character at i, or 0 when a lead byte stands alone at the end.
std::size_t CharWidth(Bytes t, std::size_t i) {
  if (!IsLead(At(t, i))) return 1;
  return i + 1 < t.size() ? 2 : 0;
}

std::uint64_t Load8(Bytes t, std::size_t i) {
  std::uint64_t v;
  std::memcpy(&v, t.data() + i, sizeof v);
  return v;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;
constexpr std::uint64_t kLowBits = 0x0101010101010101u;

// True when some byte of v is zero (the classic bit trick: exact for "any", which is all
// that is asked here).
bool HasZeroByte(std::uint64_t v) { return ((v - kLowBits) & ~v & kHighBits) != 0; }

// Whether position c starts a character, given that position from (at or before c) does.
// A byte below 0x80 is either a character or the second byte of one, so the byte after it
// always starts a character; from there, bytes of 0x80 and above pair up. So c starts a
// character when the bytes of 0x80 and above just before it, back to from, are even in number.
bool StartsCharacter(Bytes t, std::size_t from, std::size_t c) {
  std::size_t k = c;
  while (k > from && IsLead(At(t, k - 1))) --k;
  return (c - k) % 2 == 0;
}

// The walk's first exact match of sought at a character start from the character start p,
// with the whole occurrence before limit; npos when there is none or the walk stops at a
// lone lead byte first. The candidates come from a plain search; each is then checked to
// start a character, looking back no further than the previous candidate, so no byte is
// looked at twice.
std::size_t FindFrom(Bytes t, std::size_t p, Bytes sought, std::size_t limit) {
  const Bytes region = t.substr(0, limit);
  while (p + sought.size() <= limit) {
    const std::size_t c = region.find(sought, p);
    if (c == Bytes::npos) return Bytes::npos;
    if (StartsCharacter(t, p, c)) return CharWidth(t, c) == 0 ? Bytes::npos : c;
    p = c + 1;  // c is a second byte, so the next byte starts a character
  }
  return Bytes::npos;
}

// The walk's first match from p under the case rule, one character at a time.
std::size_t FindFoldedFrom(Bytes t, std::size_t p, Bytes sought, std::size_t limit) {
  while (p + sought.size() <= limit) {
    const std::size_t w = CharWidth(t, p);
    if (w == 0) break;
    if (MatchesAt(t, p, sought, true)) return p;
    p += w;
  }
  return Bytes::npos;
}

std::size_t FindWalking(Bytes t, std::size_t p, Bytes sought, std::size_t limit, bool ignoreCase) {
  return ignoreCase ? FindFoldedFrom(t, p, sought, limit) : FindFrom(t, p, sought, limit);
}

}  // namespace

int TextLength(const Text& t) { return t.Length(); }

Text TextLeft(const Text& t, int n) {
  if (n <= 0) return Text();
  return Text(Bytes(t.Bytes()).substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(const Text& t, int n) {
  if (n <= 0) return Text();
  Bytes b = t.Bytes();
  std::size_t k = std::min(b.size(), static_cast<std::size_t>(n));
  return Text(b.substr(b.size() - k));
}

Text TextMid(const Text& t, int start, int n) {
  if (start < 1 || start > t.Length() || n <= 0) return Text();
  return Text(Bytes(t.Bytes()).substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

int FindText(const Text& t, const Text& sought, int start, bool ignoreCase) {
  Bytes b = t.Bytes(), s = sought.Bytes();
  if (s.empty()) return -1;
  const std::size_t s0 = StartOffset(start);
  if (s0 >= b.size()) return -1;
  const std::size_t p = FindWalking(b, s0, s, b.size(), ignoreCase);
  return p == Bytes::npos ? -1 : static_cast<int>(p + 1);
}

int FindTextReverse(const Text& t, const Text& sought, std::optional<int> start, bool ignoreCase) {
  Bytes b = t.Bytes(), s = sought.Bytes();
  if (s.empty()) return -1;
  std::size_t region = b.size();
  if (start) region = std::min(StartOffset(*start), b.size());
  int found = -1;
  for (std::size_t p = 0;;) {
    p = FindWalking(b, p, s, region, ignoreCase);
    if (p == Bytes::npos) break;
    found = static_cast<int>(p + 1);
    p += CharWidth(b, p);  // occurrences may overlap
  }
  return found;
}

TextArray SplitText(const Text& t, const Text& delimiter, std::optional<int> maxCount) {
  TextArray out;
  Bytes b = t.Bytes(), d = delimiter.Bytes();
  int remaining = maxCount ? std::max(*maxCount, 0) : -1;
  if (b.empty() || remaining == 0) return out;
  if (d.empty()) {
    out.items.push_back(t);
    return out;
  }
  std::size_t q = 0;
  for (std::size_t p; (p = FindFrom(b, q, d, b.size())) != Bytes::npos;) {
    out.items.emplace_back(b.substr(q, p - q));
    q = p + d.size();
    if (remaining > 0 && --remaining == 0) return out;
  }
  if (q < b.size()) out.items.emplace_back(b.substr(q));
  return out;
}

Text ReplaceText(const Text& t, const Text& sought, const Text& replacement, int start, int count,
                 bool caseSensitive) {
  Bytes b = t.Bytes(), s = sought.Bytes();
  const std::size_t s0 = StartOffset(start);
  if (b.empty() || s.empty() || s0 >= b.size() || count == 0) return t;
  std::string out(b.substr(0, s0));
  out.reserve(b.size());
  std::size_t p = s0;
  for (;;) {
    const std::size_t m = FindWalking(b, p, s, b.size(), !caseSensitive);
    if (m == Bytes::npos) break;
    out.append(b.substr(p, m - p));
    out += replacement.Bytes();
    p = m + s.size();
    if (count > 0 && --count == 0) return Text(std::move(out.append(b.substr(p))));
  }
  // The walk went on past the last match; when it came to rest on a lone lead byte at the
  // end (possible only for a one-byte sought text), that byte is left out.
  std::size_t end = b.size();
  if (s.size() == 1 && IsLead(At(b, end - 1)) && p < end && StartsCharacter(b, p, end - 1)) --end;
  out.append(b.substr(p, end - p));
  return Text(std::move(out));
}

namespace {

constexpr std::uint64_t kSpaces = 0x2020202020202020u;

// The width of the space character at i (an ASCII or a full-width space), or 0.
std::size_t SpaceWidth(Bytes t, std::size_t i) {
  if (At(t, i) == ' ') return 1;
  return (At(t, i) == 0xA1 && i + 1 < t.size() && At(t, i + 1) == 0xA1) ? 2 : 0;
}

}  // namespace

Text TrimText(const Text& t) {
  Bytes b = t.Bytes();
  std::size_t i = 0;
  while (i < b.size()) {
    const std::size_t w = SpaceWidth(b, i);
    if (w == 0) break;
    i += w;
  }
  const std::size_t first = i;
  std::size_t end = b.size(), runStart = b.size();
  bool inRun = false;
  while (i < b.size()) {
    // Eight single-byte characters that are no spaces end any run and start none.
    if (i + 8 <= b.size()) {
      const std::uint64_t v = Load8(b, i);
      if ((v & kHighBits) == 0 && !HasZeroByte(v ^ kSpaces)) {
        inRun = false;
        i += 8;
        continue;
      }
    }
    const std::size_t w = CharWidth(b, i);
    if (w == 0) {
      end = i;
      break;
    }
    const bool space = SpaceWidth(b, i) == w;
    if (space && !inRun) runStart = i;
    inRun = space;
    i += w;
  }
  if (inRun) end = runStart;
  return Text(b.substr(first, end - first));
}

namespace {

Text MapAsciiLetters(const Text& t, unsigned char from, unsigned char to, int shift) {
  std::string out = t.Bytes();
  for (std::size_t i = 0; i < out.size();) {
    std::size_t w = CharWidth(out, i);
    if (w == 0) break;
    auto c = static_cast<unsigned char>(out[i]);
    if (w == 1 && c >= from && c <= to) out[i] = static_cast<char>(c + shift);
    i += w;
  }
  return Text(std::move(out));
}

}  // namespace

Text ToUpper(const Text& t) { return MapAsciiLetters(t, 'a', 'z', 'A' - 'a'); }

Text ToLower(const Text& t) { return MapAsciiLetters(t, 'A', 'Z', 'a' - 'A'); }

Text RepeatText(const Text& t, int n) {
  if (n <= 0 || t.Empty()) return Text();
  std::string out;
  out.reserve(t.Bytes().size() * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out += t.Bytes();
  return Text(std::move(out));
}

Text BlankText(int n) { return n < 1 ? Text() : Text(std::string(static_cast<std::size_t>(n), ' ')); }

Text ConcatText(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (auto p : parts) total += p.size();
  std::string out;
  out.reserve(total);
  for (auto p : parts) out += p;
  return Text(std::move(out));
}

int CompareText(const Text& a, const Text& b) {
  int c = a.Bytes().compare(b.Bytes());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CharCode(const Text& t, int position) {
  if (position < 1 || position > t.Length()) return 0;
  return static_cast<signed char>(t.Bytes()[static_cast<std::size_t>(position - 1)]);
}

Text CharFromCode(int code) {
  char c = static_cast<char>(code & 0xFF);
  return c == 0 ? Text() : Text(std::string(1, c));
}

int ByteLength(const ByteString& b) { return b.Length(); }

ByteString BytesLeft(const ByteString& b, int n) {
  if (n <= 0) return ByteString();
  return ByteString(b.Bytes().substr(0, static_cast<std::size_t>(n)));
}

ByteString BytesMid(const ByteString& b, int start, int n) {
  if (start < 1) start = 1;
  if (start > b.Length() || n <= 0) return ByteString();
  return ByteString(b.Bytes().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

ByteString BlankBytes(int n) {
  return n <= 0 ? ByteString() : ByteString(std::string(static_cast<std::size_t>(n), '\0'));
}

ByteString ConcatBytes(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (auto p : parts) total += p.size();
  std::string out;
  out.reserve(total);
  for (auto p : parts) out += p;
  return ByteString(std::move(out));
}

bool BytesEqual(const ByteString& a, const ByteString& b) { return a.Bytes() == b.Bytes(); }

ByteString ToBytes(const Text& t) { return ByteString(t.Bytes()); }

Text BytesToText(const ByteString& b) { return Text(b.View()); }

ByteString PointerToBytes(const void* address, int n) {
  if (n <= 0 || address == nullptr) return ByteString();
  return ByteString(address, static_cast<std::size_t>(n));
}

void WriteToMemory(const ByteString& b, void* address) {
  if (!b.Empty()) std::memcpy(address, b.Data(), b.Bytes().size());
}

int BitOr(std::initializer_list<int> values) {
  int r = 0;
  for (int v : values) r |= v;
  return r;
}

int ArrayCount(const TextArray& a) { return static_cast<int>(a.items.size()); }

ArrayStatus ArrayElement(const TextArray& a, int index, Text& out) {
  if (index < 1 || index > ArrayCount(a)) return ArrayStatus::IndexOutOfRange;
  out = a.items[static_cast<std::size_t>(index - 1)];
  return ArrayStatus::Ok;
}

void ArrayAppend(TextArray& a, const Text& t) { a.items.push_back(t); }
