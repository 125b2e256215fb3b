// The system's ICMP echo facility, one plain function per step of a ping.
//
// PingHost (lookup_ping.h) strings these together and keeps the once-per-run state; the
// functions themselves stay close to the calls they wrap, so that a test double can script
// each step and a test under Wine can exercise the real ones.
#pragma once

#include <cstdint>

#include "text/text.h"

// Starts Windows Sockets 1.1 for the process (name resolution needs it); true on success.
bool StartIcmpSockets();

// Loads the ICMP library from the system directory and keeps it for the rest of the run;
// true when it is loaded.
bool LoadIcmpLibrary();

// Looks up the echo functions in the loaded library; false when any of them is missing.
bool FindIcmpFunctions();

// The host as a dotted IPv4 address, or else its first IPv4 address by name resolution.
// The address is in network byte order, as the echo call takes it.
bool ResolveHostAddress(const Text& host, std::uint32_t& address);

// Sends one echo request without payload or IP options and waits up to timeoutMs for the
// answer. Returns the round-trip time of the first reply in milliseconds, or -1 when no
// reply came or the echo could not be sent.
int SendIcmpEcho(std::uint32_t address, int timeoutMs);
