// Process-wide values, set once at start-up before the window exists.
#pragma once

#include <cstdint>

extern std::int32_t ProcessCodePage;  // code page of every Text: 936
extern std::int32_t UploadChunkSize;  // request bodies are written in pieces of this size
extern std::int32_t OsVersion;        // major version in bits 8..15, minor in bits 0..7

// Packs an operating-system version the way OsVersion holds it: only the low byte of
// each number counts.
std::int32_t PackOsVersion(std::uint32_t major, std::uint32_t minor);

// Reads the version numbers the loader put in the process environment block.
void ReadOsVersion();

void StartUp();
