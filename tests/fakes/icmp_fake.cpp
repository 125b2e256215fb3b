#include "icmp_fake.h"

namespace {
FakeIcmpState state;
// The fake's addresses are indices into this list, so an echo can name its host.
std::vector<std::string> resolved;
}  // namespace

void ResetFakeIcmp() {
  state = FakeIcmpState();
  resolved.clear();
}

FakeIcmpState& FakeIcmp() { return state; }

bool StartIcmpSockets() {
  ++state.socketStarts;
  return state.socketsStart;
}

bool LoadIcmpLibrary() {
  ++state.libraryLoadsTried;
  return state.libraryLoads;
}

bool FindIcmpFunctions() { return state.functionsFound; }

bool ResolveHostAddress(const Text& host, std::uint32_t& address) {
  ++state.resolutions;
  if (state.hosts.count(host.Bytes()) == 0) return false;
  address = static_cast<std::uint32_t>(resolved.size());
  resolved.push_back(host.Bytes());
  return true;
}

int SendIcmpEcho(std::uint32_t address, int timeoutMs) {
  if (address >= resolved.size()) return -1;
  const std::string& host = resolved[address];
  state.echoes.push_back({host, timeoutMs});
  return state.hosts[host];
}
