// PingHost: the once-per-run start-up rules around the ICMP facility (icmp.h).
//
// The sockets start is retried on every ping until it succeeds, because a later attempt may
// well work; the library load is tried once, right after the first successful start, since
// a missing system library does not appear later in the run.
#include "service/lookup_ping.h"

#include <cstdint>

#include "service/icmp.h"

namespace {
bool socketsStarted = false;
bool libraryLoaded = false;
}  // namespace

int PingHost(const Text& host, int timeoutMs) {
  if (!socketsStarted) {
    if (!StartIcmpSockets()) return -1;
    socketsStarted = true;
    libraryLoaded = LoadIcmpLibrary();
  }
  if (!libraryLoaded || !FindIcmpFunctions()) return -1;
  std::uint32_t address = 0;
  if (!ResolveHostAddress(host, address)) return -1;
  return SendIcmpEcho(address, timeoutMs);
}

void ForgetPingStartUp() {
  socketsStarted = false;
  libraryLoaded = false;
}
