// Cookie collection and merging; see cookies.h.
#include "http/cookies.h"

#include <string>

namespace {

constexpr const char* kItemDelimiter = "; ";

// Trimmed, with a closing ";" turned into a delimiter so no item keeps it.
Text TidyCookieText(const Text& t) {
  Text trimmed = TrimText(t);
  if (TextRight(trimmed, 1) == Text(";")) trimmed = ConcatText({trimmed, " "});
  return trimmed;
}

}  // namespace

Text CollectSetCookies(const TextArray& lines) {
  std::string out;
  for (const Text& line : lines.items) {
    if (FindText(line, "set-cookie:", 1, true) != 1) continue;
    const int semicolon = FindText(line, ";", 12);
    if (semicolon == -1) continue;
    if (!out.empty()) out += kItemDelimiter;
    out += TrimText(TextMid(line, 12, semicolon - 12)).Bytes();
  }
  return Text(out);
}

Text MergeCookies(Text& cookies, Text& received) {
  cookies = TidyCookieText(cookies);
  received = TidyCookieText(received);
  const TextArray old = SplitText(cookies, kItemDelimiter);
  TextArray merged = SplitText(received, kItemDelimiter);
  // merged grows while it is tested, so of several old items of one name only the first stays.
  for (const Text& item : old.items) {
    if (!HasCookieName(merged, CookieName(item))) ArrayAppend(merged, item);
  }
  std::string joined;
  for (const Text& item : merged.items) {
    if (TextRight(item, 8) == Text("=deleted")) continue;
    joined += item.Bytes();
    joined += kItemDelimiter;
  }
  cookies = TextLeft(Text(joined), static_cast<int>(joined.size()) - 2);
  cookies = DedupeItems(cookies, kItemDelimiter, true);
  return cookies;
}

Text CookieName(const Text& item) {
  const int equals = FindText(item, "=");
  return TrimText(equals == -1 ? item : TextLeft(item, equals - 1));
}

bool HasCookieName(const TextArray& items, const Text& name) {
  for (const Text& item : items.items) {
    if (CompareText(CookieName(item), name) == 0) return true;
  }
  return false;
}

Text DedupeItems(const Text& text, const Text& delimiter, bool byDelimiter) {
  const TextArray items = byDelimiter ? SplitText(text, delimiter) : SplitChars(text);
  TextArray seen;
  std::string out;
  for (const Text& item : items.items) {
    if (FindInArray(seen, item) != -1) continue;
    ArrayAppend(seen, item);
    out += item.Bytes();
    out += delimiter.Bytes();
  }
  return TextLeft(Text(out), static_cast<int>(out.size()) - TextLength(delimiter));
}

TextArray SplitChars(const Text& text) {
  const ByteString bytes = ToBytes(text);
  const int n = ByteLength(bytes);
  TextArray result;
  int d = 1;
  while (d <= n) {
    int size = 1;
    if (d + 1 <= n) {
      const unsigned char here = bytes.Data()[d - 1];
      const unsigned char next = bytes.Data()[d];
      if (here >= 0x81 || (here == 0x0D && next == 0x0A)) size = 2;
    }
    ArrayAppend(result, BytesToText(BytesMid(bytes, d, size)));
    d += size;
  }
  return result;
}

int FindInArray(const TextArray& items, const Text& t) {
  for (std::size_t i = 0; i < items.items.size(); ++i) {
    if (CompareText(items.items[i], t) == 0) return static_cast<int>(i + 1);
  }
  return -1;
}
