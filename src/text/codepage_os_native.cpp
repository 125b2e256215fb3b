// The code page conversion pair on Linux, through iconv, behaving as Windows does with
// flags 0: what cannot be decoded becomes U+FFFD (UTF-8) or "?" (code page 936), what code
// page 936 cannot hold becomes "?", and conversion stops at the first zero when the source
// length is -1. The system ANSI code page (0) is taken to be 936 here.
//
// iconv's GBK lacks what Windows adds to code page 936: the byte 0xFF, and the private use
// area for the user-defined areas and for every code GBK leaves unassigned; those are
// handled here. Windows' best-fit replacements (U+00A5 as the full-width yen sign, and
// so on) are not reproduced: such characters become "?" here.
#include "text/codepage_os.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kGbkCodePage = 936;
constexpr int kUtf8CodePage = 65001;
constexpr char16_t kReplacement = 0xFFFD;

// An iconv descriptor that is closed on every path.
struct Converter {
  iconv_t cd;
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

// Opening a descriptor costs far more than converting a page, so each thread keeps one per
// direction; each run of a conversion leaves it in its initial state.
iconv_t CachedConverter(const char* to, const char* from) {
  thread_local Converter toUtf16FromGbk("UTF-16LE", "CP936");
  thread_local Converter toUtf16FromUtf8("UTF-16LE", "UTF-8");
  thread_local Converter toGbk("CP936", "UTF-16LE");
  thread_local Converter toUtf8("UTF-8", "UTF-16LE");
  const std::string_view target = to, source = from;
  const Converter& c = target == "UTF-16LE" ? (source == "CP936" ? toUtf16FromGbk : toUtf16FromUtf8)
                                            : (target == "CP936" ? toGbk : toUtf8);
  return c.cd;
}

int ResolveCodePage(int codePage) { return codePage == 0 ? kGbkCodePage : codePage; }

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// How many bytes of malformed UTF-8 at s one U+FFFD stands for: a lead byte takes the
// continuation bytes that follow it up to the first one that cannot belong to a valid
// sequence, that one included when it is a continuation byte.
std::size_t MalformedUtf8Length(const unsigned char* s, std::size_t n) {
  const unsigned char lead = s[0];
  std::size_t need;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
  } else {
    return 1;
  }
  if (n < 2 || !IsContinuation(s[1])) return 1;
  const unsigned char second = s[1];
  const bool badSecond = (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
                         (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90);
  if (badSecond) return 2;
  std::size_t i = 2;
  while (i <= need && i < n && IsContinuation(s[i])) ++i;
  return i;
}

// Maps the user-defined areas of code page 936 onto U+E000..U+E765, as Windows does.
bool UserDefinedToUnicode(unsigned char lead, unsigned char trail, char16_t& out) {
  if (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1 && trail <= 0xFE) {
    out = static_cast<char16_t>(0xE000 + (lead - 0xAA) * 94 + (trail - 0xA1));
    return true;
  }
  if (lead >= 0xF8 && lead <= 0xFE && trail >= 0xA1 && trail <= 0xFE) {
    out = static_cast<char16_t>(0xE234 + (lead - 0xF8) * 94 + (trail - 0xA1));
    return true;
  }
  if (lead >= 0xA1 && lead <= 0xA7 && trail >= 0x40 && trail <= 0xA0 && trail != 0x7F) {
    out = static_cast<char16_t>(0xE4C6 + (lead - 0xA1) * 96 + (trail - 0x40) - (trail > 0x7F ? 1 : 0));
    return true;
  }
  return false;
}

bool UnicodeToUserDefined(char16_t c, unsigned char out[2]) {
  if (c < 0xE000 || c > 0xE765) return false;
  int k = c - 0xE000;
  if (k < 564) {
    out[0] = static_cast<unsigned char>(0xAA + k / 94);
    out[1] = static_cast<unsigned char>(0xA1 + k % 94);
  } else if ((k -= 564) < 658) {
    out[0] = static_cast<unsigned char>(0xF8 + k / 94);
    out[1] = static_cast<unsigned char>(0xA1 + k % 94);
  } else {
    k -= 658;
    const int trail = 0x40 + k % 96;
    out[0] = static_cast<unsigned char>(0xA1 + k / 96);
    out[1] = static_cast<unsigned char>(trail >= 0x7F ? trail + 1 : trail);
  }
  return true;
}

// Runs iconv over [in, in + n) and appends the output; returns the bytes consumed. Stops
// at the first sequence iconv refuses. The output room covers the whole run (no direction
// used here writes more than two bytes per byte read), so iconv is called once: the
// multi-step conversions of glibc slow down badly when they run out of room again and again.
std::size_t ConvertRun(iconv_t cd, const char* in, std::size_t n, std::string& out) {
  const std::size_t used = out.size();
  out.resize(used + 2 * n + 16);
  char* src = const_cast<char*>(in);
  std::size_t left = n;
  char* dst = out.data() + used;
  std::size_t room = out.size() - used;
  iconv(cd, &src, &left, &dst, &room);
  out.resize(static_cast<std::size_t>(dst - out.data()));
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return n - left;
}

// The two-byte codes of the 936 grid outside the user-defined areas that GBK leaves
// unassigned, in order; Windows gives them U+E766 onwards, one after the other.
constexpr char16_t kFirstUnassignedPua = 0xE766;

const std::vector<std::uint16_t>& UnassignedCodes() {
  static const std::vector<std::uint16_t> codes = [] {
    std::vector<std::uint16_t> found;
    Converter cd("UTF-16LE", "CP936");
    if (!cd.Ok()) return found;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        char16_t mapped;
        if (trail == 0x7F || UserDefinedToUnicode(static_cast<unsigned char>(lead),
                                                  static_cast<unsigned char>(trail), mapped)) {
          continue;
        }
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        std::string ignored;
        if (ConvertRun(cd.cd, pair, 2, ignored) != 2) {
          found.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
        }
      }
    }
    return found;
  }();
  return codes;
}

bool UnassignedToUnicode(unsigned char lead, unsigned char trail, char16_t& out) {
  const auto& codes = UnassignedCodes();
  const auto code = static_cast<std::uint16_t>(lead << 8 | trail);
  const auto it = std::lower_bound(codes.begin(), codes.end(), code);
  if (it == codes.end() || *it != code) return false;
  out = static_cast<char16_t>(kFirstUnassignedPua + (it - codes.begin()));
  return true;
}

bool UnicodeToUnassigned(char16_t c, unsigned char out[2]) {
  const auto& codes = UnassignedCodes();
  if (c < kFirstUnassignedPua || c - kFirstUnassignedPua >= static_cast<int>(codes.size())) return false;
  const std::uint16_t code = codes[c - kFirstUnassignedPua];
  out[0] = static_cast<unsigned char>(code >> 8);
  out[1] = static_cast<unsigned char>(code & 0xFF);
  return true;
}

void AppendUnit(std::string& utf16, char16_t c) {
  utf16 += static_cast<char>(c & 0xFF);
  utf16 += static_cast<char>(c >> 8);
}

// Decodes code page 936 into UTF-16LE bytes. Plain runs go to iconv in one piece; the bytes
// it does not know are handled one character at a time.
bool DecodeGbk(const unsigned char* s, std::size_t n, std::string& utf16) {
  const iconv_t cd = CachedConverter("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::size_t i = 0;
  while (i < n) {
    std::size_t j = i;
    char16_t mapped = 0;
    while (j < n) {
      if (s[j] < 0x80 || s[j] == 0x80) {
        ++j;
      } else if (s[j] == 0xFF || j + 1 >= n || s[j + 1] == 0 ||
                 UserDefinedToUnicode(s[j], s[j + 1], mapped)) {
        break;
      } else {
        j += 2;
      }
    }
    while (i < j) {
      i += ConvertRun(cd, reinterpret_cast<const char*>(s + i), j - i, utf16);
      if (i < j) {
        // An unassigned pair, or a lead byte with a byte that cannot follow it, which then
        // goes with it into the "?", as on Windows.
        AppendUnit(utf16, UnassignedToUnicode(s[i], s[i + 1], mapped) ? mapped : u'?');
        i += 2;
      }
    }
    if (i >= n) break;
    if (s[i] == 0xFF) {
      AppendUnit(utf16, 0xF8F5);
      ++i;
    } else if (i + 1 >= n || s[i + 1] == 0) {
      AppendUnit(utf16, u'?');  // a lead byte with nothing after it
      ++i;
    } else {
      UserDefinedToUnicode(s[i], s[i + 1], mapped);
      AppendUnit(utf16, mapped);
      i += 2;
    }
  }
  return true;
}

bool DecodeUtf8(const unsigned char* s, std::size_t n, std::string& utf16) {
  const iconv_t cd = CachedConverter("UTF-16LE", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::size_t i = 0;
  while (i < n) {
    i += ConvertRun(cd, reinterpret_cast<const char*>(s + i), n - i, utf16);
    if (i < n) {
      AppendUnit(utf16, kReplacement);
      i += MalformedUtf8Length(s + i, n - i);
    }
  }
  return true;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Units that code page 936 handles outside iconv. Surrogates are among them: 936 holds
// nothing beyond the BMP, and iconv would silently drop some such characters (the tags).
bool IsSpecialForGbk(char16_t c) {
  return c == 0xF8F5 || (c >= 0xD800 && c <= 0xDFFF) ||
         (c >= 0xE000 && c < kFirstUnassignedPua + UnassignedCodes().size());
}

// Encodes UTF-16 units; what the target cannot hold becomes "?" per unit (936) or U+FFFD
// per lone surrogate (UTF-8).
bool EncodeWide(int codePage, const char16_t* s, std::size_t n, std::string& out) {
  static_assert(std::endian::native == std::endian::little, "UTF-16LE units are read in place");
  const bool gbk = codePage == kGbkCodePage;
  const iconv_t cd = CachedConverter(gbk ? "CP936" : "UTF-8", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::size_t i = 0;
  while (i < n) {
    std::size_t j = i;
    while (j < n && !(gbk && IsSpecialForGbk(s[j]))) ++j;
    while (i < j) {
      const std::size_t bytes = (j - i) * 2;
      i += ConvertRun(cd, reinterpret_cast<const char*>(s + i), bytes, out) / 2;
      if (i < j) {
        const std::size_t units = IsHighSurrogate(s[i]) && i + 1 < j && IsLowSurrogate(s[i + 1]) ? 2 : 1;
        out.append(gbk ? std::string(units, '?') : std::string("\xEF\xBF\xBD"));
        i += units;
      }
    }
    if (i >= n) break;
    unsigned char pair[2];
    if (s[i] == 0xF8F5) {
      out += '\xFF';
    } else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
      out += '?';
    } else {
      if (!UnicodeToUserDefined(s[i], pair)) UnicodeToUnassigned(s[i], pair);
      out.append(reinterpret_cast<const char*>(pair), 2);
    }
    ++i;
  }
  return true;
}

}  // namespace

int MultiByteToWide(int codePage, const char* source, int sourceBytes, char16_t* dest,
                    int destUnits) {
  codePage = ResolveCodePage(codePage);
  if (source == nullptr || sourceBytes == 0 || sourceBytes < -1 || destUnits < 0) return 0;
  if (codePage != kGbkCodePage && codePage != kUtf8CodePage) return 0;
  const std::size_t n = sourceBytes == -1 ? std::strlen(source) + 1 : static_cast<std::size_t>(sourceBytes);
  const auto* s = reinterpret_cast<const unsigned char*>(source);
  std::string utf16;
  utf16.reserve(n * 2);
  const bool ok = codePage == kGbkCodePage ? DecodeGbk(s, n, utf16) : DecodeUtf8(s, n, utf16);
  if (!ok) return 0;
  const int units = static_cast<int>(utf16.size() / 2);
  if (destUnits == 0) return units;
  if (dest == nullptr || destUnits < units) return 0;
  std::memcpy(dest, utf16.data(), utf16.size());
  return units;
}

int WideToMultiByte(int codePage, const char16_t* source, int sourceUnits, char* dest,
                    int destBytes) {
  codePage = ResolveCodePage(codePage);
  if (source == nullptr || sourceUnits == 0 || sourceUnits < -1 || destBytes < 0) return 0;
  if (codePage != kGbkCodePage && codePage != kUtf8CodePage) return 0;
  const std::size_t n = sourceUnits == -1 ? static_cast<std::size_t>(WideLength(source)) + 1
                                          : static_cast<std::size_t>(sourceUnits);
  std::string out;
  out.reserve(n * 2);
  if (!EncodeWide(codePage, source, n, out)) return 0;
  const int size = static_cast<int>(out.size());
  if (destBytes == 0) return size;
  if (dest == nullptr || destBytes < size) return 0;
  std::memcpy(dest, out.data(), out.size());
  return size;
}

int WideLength(const char16_t* s) {
  if (s == nullptr) return 0;
  int n = 0;
  while (s[n] != 0) ++n;
  return n;
}
