// Header block normalisation; see headers.h.
#include "http/headers.h"

#include <string>

namespace {

constexpr const char* kCrLf = "\r\n";

Text CapitaliseName(const Text& name) {
  if (FindText(name, "-") == -1) return CapitaliseFirst(name);
  // SplitText drops an empty last piece, so a name ending in "-" comes out one byte
  // shorter; the caller takes the rest of the line by length, which puts that "-" back.
  const TextArray words = SplitText(name, "-");
  std::string joined;
  for (std::size_t i = 0; i < words.items.size(); ++i) {
    if (i > 0) joined += '-';
    joined += CapitaliseFirst(words.items[i]).Bytes();
  }
  return Text(joined);
}

}  // namespace

Text NormaliseHeaders(const Text& block) {
  std::string out;
  for (const Text& line : SplitText(block, kCrLf).items) {
    const int colon = FindText(line, ":");
    if (colon == -1) continue;
    const Text newName = CapitaliseName(TextMid(line, 1, colon - 1));
    const Text rest = TextRight(line, TextLength(line) - TextLength(newName));
    out += newName.Bytes();
    out += rest.Bytes();
    out += kCrLf;
  }
  return TextLeft(Text(out), static_cast<int>(out.size()) - 2);
}

Text CapitaliseFirst(const Text& t) {
  return ConcatText({ToUpper(TextLeft(t, 1)), TextMid(t, 2, TextLength(t))});
}

Text HeaderValue(const Text& t) {
  const int colon = FindText(t, ":");
  if (colon == -1) return Text();
  return TrimText(TextRight(t, TextLength(t) - colon));
}
