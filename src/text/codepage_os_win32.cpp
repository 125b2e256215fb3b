// The code page conversion pair on Windows: the system's own functions, unchanged.
#include <windows.h>

#include "text/codepage_os.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units are wchar_t on Windows");

int MultiByteToWide(int codePage, const char* source, int sourceBytes, char16_t* dest,
                    int destUnits) {
  return MultiByteToWideChar(static_cast<UINT>(codePage), 0, source, sourceBytes,
                             reinterpret_cast<wchar_t*>(dest), destUnits);
}

int WideToMultiByte(int codePage, const char16_t* source, int sourceUnits, char* dest,
                    int destBytes) {
  return WideCharToMultiByte(static_cast<UINT>(codePage), 0,
                             reinterpret_cast<const wchar_t*>(source), sourceUnits, dest,
                             destBytes, nullptr, nullptr);
}

int WideLength(const char16_t* s) { return lstrlenW(reinterpret_cast<const wchar_t*>(s)); }
