// URL parts by text walking; see url.h.
#include "http/url.h"

#include "text/convert.h"

namespace {

// "#引号": a placeholder for the double quote, so markers can be written without escapes.
constexpr const char* kQuotePlaceholder = "#\xD2\xFD\xBA\xC5";

bool EndsWithSlash(const Text& t) { return TextRight(t, 1) == Text("/"); }

// The last labels of the host, walking back from its end; labelCount dots are skipped.
Text HostByLabelCount(Text h, bool lastTwoLabels, int labelCount) {
  h = ReplaceText(h, "http://", "", 1, -1, true);
  h = ReplaceText(h, "https://", "", 1, -1, true);
  int slash = FindText(h, "/");
  if (slash != -1) h = TextLeft(h, slash - 1);

  const int length = TextLength(h);
  int pos = length;
  for (int i = 0; i < labelCount; ++i) {
    if (pos == -1) break;
    pos = FindTextReverse(h, ".", pos);
  }
  const int t = FindTextReverse(h, ".", pos);
  if (lastTwoLabels) return TextRight(h, length - t);
  if (t != -1) {
    const int u = FindTextReverse(h, ".", t);
    if (u != -1) return TextRight(h, length - u);
  }
  return h;
}

Text HostWithoutLabelCount(Text h, bool lastTwoLabels) {
  if (!EndsWithSlash(h)) h = ConcatText({h, "/"});
  if (TextLeft(h, 8) == Text("https://")) {
    h = TextBetween(h, "https://", "/");
  } else {
    if (FindText(h, "http://") == -1) h = ConcatText({"http://", h});
    h = TextBetween(h, "http://", "/");
  }
  if (lastTwoLabels) {
    TextArray labels = SplitText(h, ".");
    const int n = ArrayCount(labels);
    if (n > 1) h = ConcatText({labels.items[n - 2], ".", labels.items[n - 1]});
  }
  return h;
}

}  // namespace

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> startPos, bool ignoreCase) {
  const Text start = ReplaceText(startMarker, kQuotePlaceholder, "\"", 1, -1, true);
  const Text end = ReplaceText(endMarker, kQuotePlaceholder, "\"", 1, -1, true);
  int p = FindText(text, start, startPos.value_or(1), ignoreCase);
  if (p == -1) return Text();
  p += TextLength(start);
  const int q = FindText(text, end, p, ignoreCase);
  if (q == -1) return Text();
  return TextMid(text, p, q - p);
}

Text UrlHost(const Text& url, bool lastTwoLabels, bool keepPort, std::optional<int> labelCount) {
  const Text lower = ToLower(url);
  Text h = labelCount ? HostByLabelCount(lower, lastTwoLabels, *labelCount)
                      : HostWithoutLabelCount(lower, lastTwoLabels);
  if (keepPort) return h;
  const int colon = FindText(h, ":");
  return colon == -1 ? h : TextLeft(h, colon - 1);
}

int UrlPort(const Text& url) {
  const Text hostAndPort = UrlHost(url, false, true);
  const int colon = FindTextReverse(hostAndPort, ":");
  if (colon != -1) return ToInt(TextRight(hostAndPort, TextLength(hostAndPort) - colon));
  return TextLeft(ToLower(url), 5) == Text("https") ? 443 : 80;
}

Text UrlPath(const Text& url) {
  const Text host = UrlHost(url);
  // A host that is not found (-1) starts the search at the beginning, as FindText clamps it.
  const int hostAt = FindText(url, host, 1, true);
  const int slash = FindText(url, "/", hostAt, true);
  if (slash <= 0) return "/";
  return TextRight(url, TextLength(url) - slash + 1);
}
