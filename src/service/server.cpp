// RequestServer: the connection table, the event context and the rules for accepting,
// reading, closing and sending, over the one-call-per-function socket seam.
//
// Everything runs on the window's thread, one notification at a time, so plain file-level
// state is enough. A connection enters the table only once it is registered for read and
// close notifications and its peer is named; it leaves when its close is noticed or at stop.
#include "service/server.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "service/sockets.h"

namespace {

struct Connection {
  SocketHandle socket;
  Text address;
};

bool socketsStarted = false;
SocketHandle listener = InvalidSocket;
void* notifyWindow = nullptr;
std::vector<Connection> connectionTable;  // in accept order

// The event context: one slot, filled only while a handler runs.
Text currentClient;
ByteString receivedData;

// The first read takes what the system says is ready; later ones take this much, until the
// non-blocking socket has nothing more.
constexpr int FollowingReadSize = 1024;

Text FormatAddress(std::uint32_t address, std::uint16_t port) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    text += std::to_string((address >> shift) & 0xFFu);
    text += shift > 0 ? '.' : ':';
  }
  text += std::to_string(port);
  return Text(text);
}

std::vector<Connection>::iterator FindBySocket(SocketHandle s) {
  return std::find_if(connectionTable.begin(), connectionTable.end(),
                      [s](const Connection& c) { return c.socket == s; });
}

void Raise(ServerEvent event, const Text& address, ByteString bytes) {
  currentClient = address;
  receivedData = std::move(bytes);
  OnServerEvent(event);
  currentClient = Text();
  receivedData = ByteString();
}

void AcceptClient() {
  if (listener == InvalidSocket) return;
  SocketHandle s = SocketAccept(listener);
  if (s == InvalidSocket) return;
  std::uint32_t address = 0;
  std::uint16_t port = 0;
  if (!SocketAsyncSelect(s, notifyWindow, ServerClientMessage,
                         SocketReadEvent | SocketCloseEvent) ||
      !SocketPeerName(s, address, port)) {
    SocketClose(s);
    return;
  }
  Text name = FormatAddress(address, port);
  connectionTable.push_back({s, name});
  Raise(ServerEvent::ClientEntered, name, ByteString());
}

void ReadClient(SocketHandle s) {
  std::uint32_t ready = 0;
  if (!SocketBytesReady(s, ready)) return;
  int ask = ready < 1 ? 1 : static_cast<int>(std::min<std::uint32_t>(ready, INT_MAX));
  std::string collected;
  for (;;) {
    std::size_t before = collected.size();
    collected.resize(before + static_cast<std::size_t>(ask));
    int got = SocketReceive(s, collected.data() + before, ask);
    if (got <= 0) {
      collected.resize(before);
      break;
    }
    collected.resize(before + static_cast<std::size_t>(std::min(got, ask)));
    ask = FollowingReadSize;
  }
  if (collected.empty()) return;
  auto entry = FindBySocket(s);
  if (entry == connectionTable.end()) return;
  Text name = entry->address;
  Raise(ServerEvent::DataArrived, name, ByteString(std::move(collected)));
}

void CloseClient(SocketHandle s) {
  auto entry = FindBySocket(s);
  if (entry == connectionTable.end()) {
    SocketClose(s);
    return;
  }
  Text name = entry->address;
  connectionTable.erase(entry);
  Raise(ServerEvent::ClientLeft, name, ByteString());
  SocketClose(s);
}

bool SendBytes(const Text& address, std::string_view data, std::optional<int> wait) {
  if (address.Empty()) return false;
  auto entry = std::find_if(connectionTable.begin(), connectionTable.end(),
                            [&](const Connection& c) { return c.address == address; });
  if (entry == connectionTable.end()) return false;
  if (data.empty()) return true;
  SocketHandle s = entry->socket;
  if (wait && *wait >= 0 && SocketWaitWritable(s, *wait) != 1) return false;
  while (!data.empty()) {
    int chunk = static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX));
    int taken = SocketSend(s, data.data(), chunk);
    // A send that takes nothing would repeat forever; it counts as a failure.
    if (taken <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(std::min(taken, chunk)));
  }
  return true;
}

}  // namespace

bool StartRequestServer(void* window, int port) {
  // Started once per window; a second start would leak the first listener.
  if (socketsStarted) return false;
  notifyWindow = window;
  if (!SocketStartup()) return false;
  socketsStarted = true;
  SocketHandle s = SocketOpenStream();
  if (s == InvalidSocket) return false;
  if (!SocketBind(s, static_cast<std::uint16_t>(port)) || !SocketListen(s) ||
      !SocketAsyncSelect(s, window, ServerListenerMessage, SocketAcceptEvent)) {
    SocketClose(s);
    return false;
  }
  listener = s;
  return true;
}

bool HandleServerMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  // The notification kind is the low word of lParam (the high word is an error code).
  long event = static_cast<long>(lParam & 0xFFFF);
  if (message == ServerListenerMessage) {
    if (event & SocketAcceptEvent) AcceptClient();
    return true;
  }
  if (message == ServerClientMessage) {
    SocketHandle s = static_cast<SocketHandle>(wParam);
    if (event & SocketReadEvent) ReadClient(s);
    if (event & SocketCloseEvent) CloseClient(s);
    return true;
  }
  return false;
}

void StopRequestServer() {
  for (const Connection& c : connectionTable) SocketClose(c.socket);
  connectionTable.clear();
  if (listener != InvalidSocket) SocketClose(listener);
  listener = InvalidSocket;
  if (socketsStarted) SocketCleanup();
  socketsStarted = false;
  notifyWindow = nullptr;
}

Text CurrentClient() { return currentClient; }

ByteString ReceivedData() { return receivedData; }

bool SendToClient(const Text& address, const Text& data, std::optional<int> wait) {
  return SendBytes(address, data.Bytes(), wait);
}

bool SendToClient(const Text& address, const ByteString& data, std::optional<int> wait) {
  return SendBytes(address, data.View(), wait);
}

int ConnectionCount() { return static_cast<int>(connectionTable.size()); }
