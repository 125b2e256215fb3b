// Conversions between code-page byte text and UTF-16LE held in a ByteString.
//
// Each conversion asks the platform for the size first and then converts into a buffer of
// exactly that size; the source always carries a terminator, so the platform stops at the
// first zero and counts the terminator in the size.
#include "text/codepage.h"

#include "app/globals.h"
#include "text/codepage_os.h"

namespace {

constexpr int kUtf8CodePage = 65001;
constexpr int kSystemAnsiCodePage = 0;

}  // namespace

ByteString BytesToWide(const ByteString& bytes, int codePage) {
  std::string source = bytes.Bytes();
  source += '\0';
  if (source[0] == '\0') return ByteString();
  const int units = MultiByteToWide(codePage, source.c_str(), -1, nullptr, 0);
  ByteString buffer = BlankBytes(units * 2);
  MultiByteToWide(codePage, source.c_str(), -1,
                  reinterpret_cast<char16_t*>(PayloadOrNull(buffer)), units);
  return buffer;
}

ByteString TextToWide(const Text& text, bool stripTerminator) {
  ByteString wide = BytesToWide(ToBytes(text), ProcessCodePage);
  if (stripTerminator) wide = CutWideAtNul(wide, false);
  return wide;
}

ByteString CutWideAtNul(const ByteString& wide, bool reterminate) {
  const int length = ByteLength(wide);
  if (length < 2) return ByteString();
  const unsigned char* p = wide.Data();
  int i = 0;
  while (i <= length - 2 && (p[i] != 0 || p[i + 1] != 0)) i += 2;
  if (i == 0) return ByteString();
  ByteString cut = BytesLeft(wide, i);
  return reterminate ? ConcatBytes({cut.View(), std::string_view("\0\0", 2)}) : cut;
}

ByteString WideToBytes(const ByteString& wide, int codePage) {
  std::string source = wide.Bytes();
  source.append(2, '\0');
  // std::string storage is aligned for 16-bit units.
  const auto* units = reinterpret_cast<const char16_t*>(source.data());
  if (WideLength(units) == 0) return ByteString();
  const int size = WideToMultiByte(codePage, units, -1, nullptr, 0);
  if (size <= 0) return ByteString();
  ByteString buffer = BlankBytes(size);
  WideToMultiByte(codePage, units, -1, reinterpret_cast<char*>(PayloadOrNull(buffer)), size);
  const std::size_t end = buffer.View().find('\0');
  return end == std::string_view::npos ? buffer : BytesLeft(buffer, static_cast<int>(end));
}

Text WideToText(const ByteString& wide, int codePage, bool useCodePage) {
  return BytesToText(WideToBytes(wide, useCodePage ? codePage : kSystemAnsiCodePage));
}

Text WideToProcessText(const ByteString& wide) { return WideToText(wide, ProcessCodePage, true); }

Text Utf8ToText(const ByteString& bytes) {
  return WideToProcessText(BytesToWide(bytes, kUtf8CodePage));
}

const unsigned char* PayloadOf(const ByteString& bytes) { return bytes.Data(); }

unsigned char* PayloadOrNull(ByteString& bytes) {
  return bytes.Empty() ? nullptr : bytes.MutableData();
}
