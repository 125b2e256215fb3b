// Reads the Windows version the loader wrote into the process environment block, without
// calling a version service (which would report a compatibility-shimmed value).
#include <windows.h>
#include <winternl.h>

#include <cstddef>

#include "app/globals.h"

namespace {

// Offsets of OSMajorVersion and OSMinorVersion in the process environment block.
#ifdef _WIN64
constexpr std::size_t kMajorOffset = 0x118;
constexpr std::size_t kMinorOffset = 0x11C;
#else
constexpr std::size_t kMajorOffset = 0xA4;
constexpr std::size_t kMinorOffset = 0xA8;
#endif

}  // namespace

void ReadOsVersion() {
  // Reading the thread block through the segment register looks like an out-of-bounds
  // access to GCC.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
  const auto* peb = reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
  ULONG major = *reinterpret_cast<const ULONG*>(peb + kMajorOffset);
  ULONG minor = *reinterpret_cast<const ULONG*>(peb + kMinorOffset);
  OsVersion = PackOsVersion(major, minor);
}
