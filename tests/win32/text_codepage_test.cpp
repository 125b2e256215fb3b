// The code page seam on Windows: the system's conversion pair as the conversions use it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "text/codepage_os.h"

namespace {

TEST(Win32CodePage, SizeQueryThenConversionCountTheTerminator) {
  const char source[] = "a\xD6\xD0";  // a中
  const int units = MultiByteToWide(936, source, -1, nullptr, 0);
  ASSERT_EQ(units, 3);
  std::u16string wide(static_cast<std::size_t>(units), u'x');
  EXPECT_EQ(MultiByteToWide(936, source, -1, wide.data(), units), 3);
  EXPECT_EQ(wide, std::u16string(u"a\u4E2D\0", 3));
  EXPECT_EQ(WideLength(wide.data()), 2);

  const int bytes = WideToMultiByte(936, wide.data(), -1, nullptr, 0);
  ASSERT_EQ(bytes, 4);
  std::string narrow(static_cast<std::size_t>(bytes), 'x');
  EXPECT_EQ(WideToMultiByte(936, wide.data(), -1, narrow.data(), bytes), 4);
  EXPECT_EQ(narrow, std::string("a\xD6\xD0\0", 4));
}

TEST(Win32CodePage, FailuresGiveZero) {
  char16_t small[1];
  EXPECT_EQ(MultiByteToWide(936, "abc", -1, small, 1), 0);  // no room
  EXPECT_EQ(MultiByteToWide(12345, "abc", -1, nullptr, 0), 0);
  EXPECT_EQ(WideToMultiByte(12345, u"abc", -1, nullptr, 0), 0);
}

// Code page 0 is whatever the system's ANSI code page is.
TEST(Win32CodePage, CodePageZeroIsTheAnsiCodePage) {
  const char16_t wide[] = u"a\u4E2D\u00E9";
  char viaZero[16] = {}, viaAcp[16] = {};
  const int n = WideToMultiByte(0, wide, -1, viaZero, sizeof viaZero);
  const int m = WideCharToMultiByte(GetACP(), 0, reinterpret_cast<const wchar_t*>(wide), -1, viaAcp,
                                    sizeof viaAcp, nullptr, nullptr);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(viaZero, static_cast<std::size_t>(n)), std::string(viaAcp, static_cast<std::size_t>(m)));
}

}  // namespace
