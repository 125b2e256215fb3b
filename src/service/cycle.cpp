// The request service: one full redial and lookup for every request a client sends.
//
// A cycle blocks the window's thread from start to end, so cycles never overlap: requests
// that arrive meanwhile wait in the message queue and are served afterwards, in order.
#include "service/cycle.h"

#include "app/window.h"
#include "dial/dialops.h"
#include "dial/timing.h"
#include "http/webrequest.h"
#include "service/lookup_hosts.h"
#include "service/lookup_page.h"
#include "service/server.h"
#include "text/codepage.h"
#include "text/convert.h"

namespace {

// The lookup page on the lookup host in use: after a failover the page is fetched from the
// host that answered, not from a primary known to be silent.
Text LookupUrl() { return ConcatText({"http://", CurrentHost, ":8081/plug/Node/Node_Log.asp?jd=15"}); }

}  // namespace

void OnClientEntered() {
  SetFieldText(Field::ClientAddress, CurrentClient());
  SetFieldText(Field::StartTime, ToText(Now()));
}

void OnDataArrived() {
  // The reply goes to the client whose bytes started the cycle, whoever connected since.
  const Text client = CurrentClient();
  SetFieldText(Field::ClientAddress, client);

  SetFieldText(Field::TaskCode, "3");
  SetFieldText(Field::StartTime, ToText(Now()));
  SetFieldText(Field::DialLog, HangUp());
  StartTiming();
  AppendFieldText(Field::DialLog, Dial());
  FinishTiming();
  SetFieldText(Field::EndTime, ToText(Now()));

  if (!CheckLookupHosts()) {
    SendToClient(client, HostsDownReply());
    return;
  }

  SetFieldText(Field::LookupResult, Utf8ToText(WebRequest(LookupUrl())));
  const Text page = GetFieldText(Field::LookupResult);
  // A page from which no address can be cut is a failed lookup, never an old address.
  if (page.Empty() || !ParseLookupPage(page)) {
    SendToClient(client, EmptyPageReply());
    return;
  }
  SendToClient(client, ResultReply());
}
