// The program's command-line options: the two lookup hosts and the listening port.
// Nothing else configures the program.
#pragma once

#include <vector>

#include "service/lookup_hosts.h"
#include "text/text.h"

inline constexpr int kDefaultPort = 19730;

struct Options {
  Text primaryHost = kBuiltInPrimaryHost;
  Text secondaryHost = kBuiltInSecondaryHost;
  int port = kDefaultPort;
  bool helpAsked = false;
};

// Parses the arguments after the program name. False for anything malformed: an unknown
// option, a missing or empty value, a port that is not a whole number from 1 to 65535.
bool ParseOptions(const std::vector<Text>& args, Options& out);

Text UsageText();
