// Stand-ins for two functions that other parts of the tree provide, so the HTTP tests link
// before those land: ToInt (text/convert.cpp) and ReadOsVersion (start-up code, which the
// process-wide values in app/globals.cpp pull in). On ELF they are weak, so a real
// definition simply wins. MinGW's linker does not let a weak definition satisfy a reference
// from a library, so there they are plain definitions; ToInt steps aside by itself once
// text/convert.cpp exists, and ReadOsVersion must be deleted here when the start-up code
// lands (the Windows link then reports it as defined twice). The Wine test program
// includes this file as well.
#include <cstdint>

#include "app/globals.h"
#include "text/convert.h"

#if defined(_WIN32)
#define DS_HTTP_STANDIN
#else
#define DS_HTTP_STANDIN [[gnu::weak]]
#endif

#if !__has_include("../../src/text/convert.cpp")
// Only the decimal scan the URL port needs: white space, a sign, digits with wrap-around.
DS_HTTP_STANDIN int ToInt(const Text& t) {
  const std::string& b = t.Bytes();
  std::size_t i = 0;
  while (i < b.size() && (b[i] == ' ' || (b[i] >= '\t' && b[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < b.size() && (b[i] == '-' || b[i] == '+')) negative = b[i++] == '-';
  std::uint32_t value = 0;
  for (; i < b.size() && b[i] >= '0' && b[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(b[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}
#endif

DS_HTTP_STANDIN void ReadOsVersion() {}

#undef DS_HTTP_STANDIN
