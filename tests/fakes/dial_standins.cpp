// Stand-ins for the conversions, code pages and start-up reading that the dial tests link
// against while their real implementations are still being written elsewhere; they cover
// only what the dial code calls, in the formats it relies on. The Win32 test programs,
// which link no doubles, include this file directly.
//
// Each group steps aside by itself once the file that implements it for real is in the
// tree. Weak symbols would do that at link time, but MinGW's linker cannot resolve a weak
// definition that a library member refers to, so on Windows they are plain definitions.
// When all the real ones are in, this file can go.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/globals.h"
#include "text/clock.h"
#include "text/codepage.h"
#include "text/convert.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

#if defined(_WIN32)
#define DS_STANDIN
#else
#define DS_STANDIN __attribute__((weak))
#endif

namespace dial_standin {

inline std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

inline void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// UTF-16LE of bytes in codePage, up to the first zero byte, with a terminator.
inline ByteString Widen(const std::string& bytes, int codePage) {
  const std::string source = bytes.substr(0, bytes.find('\0'));
  if (source.empty()) return ByteString();
#if defined(_WIN32)
  const int n = MultiByteToWideChar(static_cast<UINT>(codePage), 0, source.c_str(), -1, nullptr, 0);
  if (n <= 0) return ByteString();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(static_cast<UINT>(codePage), 0, source.c_str(), -1, wide.data(), n);
  return ByteString(wide.data(), wide.size() * 2);
#else
  const char* from = codePage == 65001 ? "UTF-8" : "CP936";
  iconv_t cd = iconv_open("UTF-16LE", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return ByteString();
  std::string in = source;
  std::string out(in.size() * 4 + 4, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  out.append(2, '\0');
  return ByteString(out);
#endif
}

}  // namespace dial_standin

#if !__has_include("text/convert.cpp")
DS_STANDIN int ToInt(const Text& t) {
  const std::string& s = t.Bytes();
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  std::uint32_t value = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') value = value * 10u + static_cast<std::uint32_t>(s[i++] - '0');
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

DS_STANDIN Text ToText(int v) { return Text(std::to_string(v)); }

DS_STANDIN Text ToText(std::int64_t v) { return Text(std::to_string(v)); }

DS_STANDIN Text ToText(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.13g", v);
  return Text(buffer);
}

DS_STANDIN Text ToText(DateTime v) {
  const auto total = static_cast<std::int64_t>(std::llround(v.days * 86400.0));
  std::int64_t dayNumber = total / 86400;
  std::int64_t secondOfDay = total % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --dayNumber;
  }
  int year = 0, month = 0, day = 0;
  dial_standin::CivilFromDays(dayNumber - 25569, year, month, day);
  const int hour = static_cast<int>(secondOfDay / 3600);
  const int minute = static_cast<int>(secondOfDay / 60 % 60);
  const int second = static_cast<int>(secondOfDay % 60);
  // 年 月 日 时 分 秒
  char buffer[96];
  int n = std::snprintf(buffer, sizeof(buffer), "%d\xC4\xEA%d\xD4\xC2%d\xC8\xD5", year, month, day);
  if (second != 0) {
    std::snprintf(buffer + n, sizeof(buffer) - static_cast<std::size_t>(n),
                  "%d\xCA\xB1%d\xB7\xD6%d\xC3\xEB", hour, minute, second);
  } else if (minute != 0) {
    std::snprintf(buffer + n, sizeof(buffer) - static_cast<std::size_t>(n), "%d\xCA\xB1%d\xB7\xD6",
                  hour, minute);
  } else if (hour != 0) {
    std::snprintf(buffer + n, sizeof(buffer) - static_cast<std::size_t>(n), "%d\xCA\xB1", hour);
  }
  return Text(buffer);
}

DS_STANDIN DateTime Now() {
  const LocalClockReading r = ReadLocalClock();
  const double days = static_cast<double>(dial_standin::DaysFromCivil(r.year, r.month, r.day) + 25569);
  return DateTime{days + (r.hour * 3600 + r.minute * 60 + r.second) / 86400.0};
}

#endif

#if !__has_include("text/codepage.cpp")
DS_STANDIN ByteString BytesToWide(const ByteString& bytes, int codePage) {
  return dial_standin::Widen(bytes.Bytes(), codePage);
}

DS_STANDIN ByteString TextToWide(const Text& text, bool stripTerminator) {
  ByteString wide = dial_standin::Widen(text.Bytes(), ProcessCodePage);
  if (stripTerminator && wide.Length() >= 2) wide.MutableBytes().resize(wide.Bytes().size() - 2);
  return wide;
}

#endif

#if !__has_include("app/globals_win32.cpp") && !__has_include("app/globals_native.cpp")
DS_STANDIN void ReadOsVersion() {}
#endif
