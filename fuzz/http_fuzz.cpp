// Fuzzes the text walking under the HTTP client: URL parts, header normalisation, cookie
// collection and merging, and the text operations they are built from. Each run checks
// invariants that hold for any input; a violation aborts, which libFuzzer reports.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "http/cookies.h"
#include "http/headers.h"
#include "http/url.h"
#include "text/text.h"

namespace {

#define REQUIRE(cond)                                                    \
  do {                                                                   \
    if (!(cond)) {                                                       \
      std::fprintf(stderr, "invariant failed at line %d: %s\n", __LINE__, #cond); \
      std::abort();                                                      \
    }                                                                    \
  } while (0)

bool Contains(const Text& haystack, const Text& piece) {
  return haystack.Bytes().find(piece.Bytes()) != std::string::npos;
}

bool StartsWith(const Text& t, const Text& prefix) { return t.Bytes().rfind(prefix.Bytes(), 0) == 0; }

bool EndsWith(const Text& t, const Text& suffix) {
  return t.Bytes().size() >= suffix.Bytes().size() &&
         t.Bytes().compare(t.Bytes().size() - suffix.Bytes().size(), std::string::npos,
                           suffix.Bytes()) == 0;
}

std::string Join(const TextArray& a, const std::string& delimiter) {
  std::string out;
  for (std::size_t i = 0; i < a.items.size(); ++i) {
    if (i > 0) out += delimiter;
    out += a.items[i].Bytes();
  }
  return out;
}

void CheckTextWalking(const Text& a, const Text& b, int n, int start, bool ignoreCase) {
  const int length = TextLength(a);
  const Text left = TextLeft(a, n), right = TextRight(a, n), mid = TextMid(a, start, n);
  REQUIRE(TextLength(left) <= length && StartsWith(a, left));
  REQUIRE(TextLength(right) <= length && EndsWith(a, right));
  REQUIRE(TextLength(mid) <= length && TextLength(mid) <= std::max(n, 0));
  if (!mid.Empty()) REQUIRE(a.Bytes().compare(start - 1, mid.Bytes().size(), mid.Bytes()) == 0);

  const int found = FindText(a, b, start, ignoreCase);
  if (found != -1) {
    REQUIRE(found >= std::max(start, 1) && found + TextLength(b) - 1 <= length);
    if (!ignoreCase) REQUIRE(a.Bytes().compare(found - 1, b.Bytes().size(), b.Bytes()) == 0);
  }
  const int last = FindTextReverse(a, b, start, ignoreCase);
  if (last != -1) REQUIRE(last >= 1 && last + TextLength(b) - 1 <= std::min(start - 1, length));

  const TextArray pieces = SplitText(a, b);
  if (!b.Empty() && !a.Empty()) {
    const std::string joined = Join(pieces, b.Bytes());
    REQUIRE(joined == a.Bytes() || joined + b.Bytes() == a.Bytes());
  }
  const Text trimmed = TrimText(a);
  REQUIRE(TextLength(trimmed) <= length && Contains(a, trimmed));

  std::string chars;
  for (const Text& c : SplitChars(a).items) {
    REQUIRE(TextLength(c) == 1 || TextLength(c) == 2);
    chars += c.Bytes();
  }
  REQUIRE(chars == a.Bytes());

  const Text between = TextBetween(a, b, TextLeft(b, 1));
  REQUIRE(TextLength(between) <= length && Contains(a, between));
}

void CheckUrl(const Text& url, bool lastTwoLabels, int labelCount, bool useLabelCount) {
  const std::optional<int> count = useLabelCount ? std::optional<int>(labelCount) : std::nullopt;
  const Text host = UrlHost(url, lastTwoLabels, false, count);
  const Text hostAndPort = UrlHost(url, lastTwoLabels, true, count);
  // Only ASCII letters are folded and every cut falls on a character boundary.
  REQUIRE(ToLower(host) == host);
  REQUIRE(FindText(host, ":") == -1);
  REQUIRE(StartsWith(hostAndPort, host));

  const Text path = UrlPath(url);
  REQUIRE(StartsWith(path, "/"));
  REQUIRE(path == Text("/") || EndsWith(url, path));
  const int port = UrlPort(url);
  if (FindText(UrlHost(url, false, true), ":") == -1) REQUIRE(port == 80 || port == 443);
}

void CheckHeaders(const Text& block) {
  const Text normalised = NormaliseHeaders(block);
  // No closing CR LF as a character: a CR that is the second byte of a two-byte character
  // may still be followed by LF at the very end.
  if (TextLength(normalised) >= 2) {
    REQUIRE(FindTextReverse(normalised, "\r\n") != TextLength(normalised) - 1);
  }
  REQUIRE(TextLength(normalised) <= TextLength(block));
  for (const Text& line : SplitText(normalised, "\r\n").items) REQUIRE(FindText(line, ":") != -1);
  REQUIRE(NormaliseHeaders(normalised) == normalised);
  const Text value = HeaderValue(block);
  REQUIRE(TextLength(value) <= TextLength(block) && Contains(block, value));
}

void CheckCookies(const Text& headerBlock, const Text& oldCookies, const Text& delimiter) {
  const TextArray lines = SplitText(headerBlock, "\r\n");
  Text received = CollectSetCookies(lines);
  if (FindText(headerBlock, "set-cookie:", 1, true) == -1) REQUIRE(received.Empty());

  Text cookies = oldCookies;
  const Text merged = MergeCookies(cookies, received);
  REQUIRE(merged == cookies);
  std::set<std::string> seen;
  for (const Text& item : SplitText(merged, "; ").items) {
    REQUIRE(!EndsWith(item, "=deleted"));
    REQUIRE(seen.insert(item.Bytes()).second);
  }
  const Text deduped = DedupeItems(oldCookies, delimiter, true);
  REQUIRE(TextLength(deduped) <= TextLength(oldCookies));
  DedupeItems(oldCookies, delimiter, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int n = in.ConsumeIntegralInRange<int>(-4, 400);
  const int start = in.ConsumeIntegralInRange<int>(-4, 400);
  const int labelCount = in.ConsumeIntegralInRange<int>(-2, 6);
  const bool flagA = in.ConsumeBool(), flagB = in.ConsumeBool();
  const Text a = in.ConsumeRandomLengthString(2000);
  const Text b = in.ConsumeRandomLengthString(64);
  const Text c = in.ConsumeRandomLengthString(2000);

  CheckTextWalking(a, b, n, start, flagA);
  CheckUrl(a, flagA, labelCount, flagB);
  CheckHeaders(a);
  CheckCookies(a, c, b);
  return 0;
}
