// One ICMP echo to a lookup host: the health probe behind CheckLookupHosts.
#pragma once

#include "text/text.h"

// Round-trip time in milliseconds of one echo to host (a dotted IPv4 address or a name),
// or -1 when no reply came or the ping was impossible. Name resolution is not bounded by
// the timeout.
int PingHost(const Text& host, int timeoutMs = 10000);

// Makes the next ping start up again as the first one of a run does. Only tests call it:
// each case must not depend on what an earlier case left behind.
void ForgetPingStartUp();
