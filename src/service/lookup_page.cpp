// Lookup page parsing. The page states "IP：<address>，...地区：<region>，..."; the region
// loses its country prefix "中国", except Hong Kong, which is kept whole. The region is
// cut to a few characters for the reply, never inside a two-byte character.
#include "service/lookup_page.h"

#include "app/window.h"

namespace {

constexpr const char* kIpMarker = "IP\xA3\xBA";                    // IP：
constexpr const char* kComma = "\xA3\xAC";                         // ，
constexpr const char* kRegionMarker = "\xB5\xD8\xC7\xF8\xA3\xBA";  // 地区：
constexpr const char* kHongKong = "\xD6\xD0\xB9\xFA\xCF\xE3\xB8\xDB";  // 中国香港
constexpr const char* kChina = "\xD6\xD0\xB9\xFA";                 // 中国
constexpr const char* kHostsDownTail =
    "\xA3\xAC\xB2\xE9\xD1\xAF\xB3\xAC\xCA\xB1" "1" "\xA3\xAC";     // ，查询超时1，
constexpr const char* kEmptyPageTail =
    "\xA3\xAC\xB2\xE9\xD1\xAF\xB3\xAC\xCA\xB1" "2" "\xA3\xAC";     // ，查询超时2，

constexpr int kFirstRegionCut = 8;
constexpr int kRegionCut = 12;

// Element index of t split at delimiter, or empty when there is no such element.
Text Piece(const Text& t, const Text& delimiter, int index) {
  Text out;
  if (ArrayElement(SplitText(t, delimiter), index, out) != ArrayStatus::Ok) return Text();
  return out;
}

// At most n bytes from the left, ending on a whole character: a two-byte character that
// does not fit is left out instead of being halved.
Text LeftWholeCharacters(const Text& t, int n) {
  const std::string& b = t.Bytes();
  std::size_t end = 0;
  while (end < b.size()) {
    std::size_t width = static_cast<unsigned char>(b[end]) >= 0x80 ? 2 : 1;
    if (end + width > b.size() || end + width > static_cast<std::size_t>(n)) break;
    end += width;
  }
  return TextLeft(t, static_cast<int>(end));
}

}  // namespace

bool ParseLookupPage(const Text& page) {
  const Text afterIp = Piece(page, kIpMarker, 2);
  const Text ip = Piece(afterIp, kComma, 1);
  SetFieldText(Field::PublicIp, ip);

  const Text regionField = Piece(afterIp, kComma, 2);
  const Text region = Piece(Piece(regionField, kRegionMarker, 2), kComma, 1);
  SetFieldText(Field::Region, LeftWholeCharacters(region, kFirstRegionCut));
  if (CompareText(GetFieldText(Field::Region), kHongKong) != 0) {
    const Text afterChina = Piece(Piece(region, kChina, 2), kComma, 1);
    SetFieldText(Field::Region, LeftWholeCharacters(afterChina, kRegionCut));
  }
  return !ip.Empty();
}

Text ResultReply() {
  return ConcatText({GetFieldText(Field::Elapsed), kComma, GetFieldText(Field::PublicIp), kComma,
                     GetFieldText(Field::Region), kComma});
}

Text HostsDownReply() { return ConcatText({GetFieldText(Field::Elapsed), kHostsDownTail}); }

Text EmptyPageReply() { return ConcatText({GetFieldText(Field::Elapsed), kEmptyPageTail}); }
