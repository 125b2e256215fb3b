// Texts at the wide-character Win32 boundary of the window and the entry: always code page
// 936, whatever the system's own code page, through the program's own conversions.
// Included by *_win32.cpp files only (wchar_t is two bytes there).
#pragma once

#include <string>
#include <string_view>

#include "text/codepage.h"

static_assert(sizeof(wchar_t) == 2, "the wide Win32 API takes UTF-16 units");

inline constexpr int kWindowCodePage = 936;

inline std::wstring ToWide936(const Text& t) {
  const ByteString wide = CutWideAtNul(BytesToWide(ToBytes(t), kWindowCodePage), false);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.Data()),
                      static_cast<std::size_t>(wide.Length()) / sizeof(wchar_t));
}

inline Text FromWide936(std::wstring_view w) {
  return WideToText(ByteString(w.data(), w.size() * sizeof(wchar_t)), kWindowCodePage, true);
}
