// Weak stand-ins for two functions that other parts of the tree provide, so the HTTP tests
// link before those land. A real definition always wins over these; delete this file once
// text/convert.cpp (ToInt) and the start-up code (ReadOsVersion) are in the tree.
#include <cstdint>

#include "app/globals.h"
#include "text/convert.h"

// Only the decimal scan the URL port needs: spaces, a sign, digits with wrap-around.
[[gnu::weak]] int ToInt(const Text& t) {
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

[[gnu::weak]] void ReadOsVersion() {}
