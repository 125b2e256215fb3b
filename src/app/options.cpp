#include "app/options.h"

namespace {

bool ParsePort(const Text& t, int& port) {
  const std::string& s = t.Bytes();
  if (s.empty() || s.size() > 5) return false;
  int value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  port = value;
  return true;
}

}  // namespace

bool ParseOptions(const std::vector<Text>& args, Options& out) {
  Options parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i].Bytes();
    if (name == "--help" || name == "-h" || name == "/?") {
      parsed.helpAsked = true;
      continue;
    }
    bool known = name == "--primary-host" || name == "--secondary-host" || name == "--port";
    if (!known || i + 1 >= args.size() || args[i + 1].Empty()) return false;
    const Text& value = args[++i];
    if (name == "--primary-host") {
      parsed.primaryHost = value;
    } else if (name == "--secondary-host") {
      parsed.secondaryHost = value;
    } else if (!ParsePort(value, parsed.port)) {
      return false;
    }
  }
  out = parsed;
  return true;
}

Text UsageText() {
  return ConcatText({"usage: dialserver [--primary-host HOST] [--secondary-host HOST] [--port N]\r\n"
                     "  --primary-host HOST    primary lookup host (default ", kBuiltInPrimaryHost, ")\r\n"
                     "  --secondary-host HOST  secondary lookup host (default ", kBuiltInSecondaryHost, ")\r\n"
                     "  --port N               TCP port for requests, 1-65535 (default 19730)\r\n"});
}
