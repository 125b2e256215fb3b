// The dial operations: the rasdial command lines, and the handlers of the connect,
// disconnect, reconnect and ping buttons. The window calls the handlers on clicks; the
// request cycle uses HangUp and Dial.
#pragma once

#include "text/text.h"

// "cmd /c rasdial <EntryName> /disconnect", run captured; its output.
Text HangUp();
// "cmd /c rasdial <EntryName> <UserName> <Password>", run captured; its output.
Text Dial();

void OnConnectButton();
void OnDisconnectButton();
void OnReconnectButton();
// Opens a console window that pings the lookup host in CurrentHostBox.
void OnPingButton();
