// RequestServer, the main window's TCP server (control 服务器1): the program's only network
// listener. It accepts any number of clients, names each connection by its address text
// ("192.168.1.20:50432"), raises an event on the window's thread when a client enters, sends
// bytes or leaves, and sends data back to a connection named by its address text.
//
// Socket notifications come to the main window as two window messages; the window procedure
// hands every message to HandleServerMessage, which runs the matching event through
// OnServerEvent before it returns. There is no framing: whatever one read notification
// yields is one DataArrived.
#pragma once

#include <cstdint>
#include <optional>

#include "text/text.h"

// Numbered as the window's event bindings number them.
enum class ServerEvent { DataArrived = 0, ClientEntered = 1, ClientLeft = 2 };

// The window's notification messages: WM_APP + 1 for the listening socket, WM_APP + 2 for
// client connections.
inline constexpr unsigned ServerListenerMessage = 0x8000 + 1;
inline constexpr unsigned ServerClientMessage = 0x8000 + 2;

// Defined by the program, which binds its handlers there. CurrentClient and ReceivedData
// describe the event only while this runs.
void OnServerEvent(ServerEvent event);

// Starts listening on every local IPv4 interface at port (taken as a 16-bit number), with
// notifications posted to window. False when the sockets library, bind or listen failed:
// the server then accepts nobody until it is stopped.
bool StartRequestServer(void* window, int port);

// True when message was one of the server's two notification messages (and was handled).
bool HandleServerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

// Closes every connection, then the listener, then releases the sockets library; raises no
// events.
void StopRequestServer();

// The address text of the client the running event concerns; empty outside events.
Text CurrentClient();
// The bytes of the running DataArrived event; empty during other events and outside events.
ByteString ReceivedData();

// Sends data on the connection whose address text equals address. With wait given and not
// negative, first waits up to that many whole seconds for the connection to be writable.
// True when every byte was handed over or data is empty; false for an empty or unknown
// address, a wait that ran out, or a failed send.
bool SendToClient(const Text& address, const Text& data, std::optional<int> wait = std::nullopt);
bool SendToClient(const Text& address, const ByteString& data,
                  std::optional<int> wait = std::nullopt);

// Connections in the table now.
int ConnectionCount();
