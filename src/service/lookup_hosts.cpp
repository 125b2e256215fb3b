// CheckLookupHosts: at most two pings of 1000 ms per check, so a request never waits
// long for a silent lookup service.
#include "service/lookup_hosts.h"

#include "app/window.h"
#include "service/lookup_ping.h"

Text PrimaryHost;
Text SecondaryHost;
Text CurrentHost;
Text PrimaryStatus;
Text SecondaryStatus;

namespace {

constexpr const char* kAnswering = "\xD5\xFD\xB3\xA3";  // 正常
constexpr const char* kOffline = "\xB5\xF4\xCF\xDF";    // 掉线
constexpr int kCheckTimeoutMs = 1000;

Text configuredPrimary = kBuiltInPrimaryHost;
Text configuredSecondary = kBuiltInSecondaryHost;

bool Answers(const Text& host) { return PingHost(host, kCheckTimeoutMs) != -1; }

}  // namespace

void ConfigureLookupHosts(const Text& primary, const Text& secondary) {
  configuredPrimary = primary.Empty() ? Text(kBuiltInPrimaryHost) : primary;
  configuredSecondary = secondary.Empty() ? Text(kBuiltInSecondaryHost) : secondary;
}

bool CheckLookupHosts() {
  PrimaryHost = configuredPrimary;
  SecondaryHost = configuredSecondary;
  if (CurrentHost.Empty()) CurrentHost = PrimaryHost;

  const Text before = CurrentHost;
  const bool onPrimary = CompareText(before, PrimaryHost) == 0;
  if (Answers(before)) {
    // Only the host that answered is marked; the other keeps what it last showed.
    (onPrimary ? PrimaryStatus : SecondaryStatus) = kAnswering;
  } else {
    CurrentHost = onPrimary ? SecondaryHost : PrimaryHost;
    if (Answers(CurrentHost)) {
      PrimaryStatus = onPrimary ? kOffline : kAnswering;
      SecondaryStatus = onPrimary ? kAnswering : kOffline;
    } else {
      // Neither answers: stay where we were, so the next check starts from the same host.
      CurrentHost = before;
      PrimaryStatus = kOffline;
      SecondaryStatus = kOffline;
    }
  }

  SetLabelCaption(Label::PrimaryStatusLabel, PrimaryStatus);
  SetLabelCaption(Label::SecondaryStatusLabel, SecondaryStatus);
  SetFieldText(Field::CurrentHostBox, CurrentHost);
  return !(PrimaryStatus == Text(kOffline) && SecondaryStatus == Text(kOffline));
}
