// The two lookup hosts: which one is in use, whether each answers, and the failover
// between them that runs before every lookup.
#pragma once

#include "text/text.h"

// Process-wide for the whole run. The host names are set again on every check; the
// statuses hold "正常" (answering) or "掉线" (offline) once a check has written them.
extern Text PrimaryHost;
extern Text SecondaryHost;
extern Text CurrentHost;
extern Text PrimaryStatus;
extern Text SecondaryStatus;

// Used until the program names its own hosts. They are placeholders under a reserved
// domain and never resolve.
inline constexpr const char* kBuiltInPrimaryHost = "lookup1.dialserver.example";
inline constexpr const char* kBuiltInSecondaryHost = "lookup2.dialserver.example";

// Names the two lookup hosts (from the command line, at start). An empty name keeps that
// host's built-in name.
void ConfigureLookupHosts(const Text& primary, const Text& secondary);

// Pings the host in use, fails over to the other one when it is silent, records and shows
// both statuses and the host in use. False when neither host answered.
bool CheckLookupHosts();
