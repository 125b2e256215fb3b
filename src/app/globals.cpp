#include "app/globals.h"

std::int32_t ProcessCodePage = 0;
std::int32_t UploadChunkSize = 0;
std::int32_t OsVersion = 0;

std::int32_t PackOsVersion(std::uint32_t major, std::uint32_t minor) {
  return static_cast<std::int32_t>(((major & 0xFFu) << 8) | (minor & 0xFFu));
}
