// Off Windows there is no process environment block; the kernel release stands in for the
// version numbers, packed the same way.
#include <sys/utsname.h>

#include <cstdlib>

#include "app/globals.h"

void ReadOsVersion() {
  utsname u{};
  unsigned long major = 0, minor = 0;
  if (uname(&u) == 0) {
    char* end = nullptr;
    major = std::strtoul(u.release, &end, 10);
    if (end && *end == '.') minor = std::strtoul(end + 1, nullptr, 10);
  }
  OsVersion = PackOsVersion(static_cast<unsigned>(major), static_cast<unsigned>(minor));
}
