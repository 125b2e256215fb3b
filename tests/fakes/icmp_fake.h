// The ICMP double: scripted outcomes for each step of a ping, and a log of the echoes sent.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "service/icmp.h"

struct FakeEcho {
  std::string host;  // the name or address text that was resolved for this echo
  int timeoutMs;
  friend bool operator==(const FakeEcho&, const FakeEcho&) = default;
};

struct FakeIcmpState {
  bool socketsStart = true;
  bool libraryLoads = true;
  bool functionsFound = true;
  // Hosts that resolve, each with the round-trip time its echo reports (-1: no reply).
  // Any other host does not resolve.
  std::map<std::string, int> hosts;

  int socketStarts = 0;  // calls of each step, successful or not
  int libraryLoadsTried = 0;
  int resolutions = 0;
  std::vector<FakeEcho> echoes;
};

// Everything succeeds, no host resolves, nothing logged.
void ResetFakeIcmp();
FakeIcmpState& FakeIcmp();
