#include "sockets_fake.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace {

std::map<SocketHandle, FakeSocket> sockets;
std::deque<SocketHandle> waitingClients;
std::vector<std::string> calls;
FakeSocketScript script;
SocketHandle nextHandle = 1;
SocketHandle listenerHandle = InvalidSocket;

void Log(const std::string& name, SocketHandle s, const std::string& argument = "") {
  std::string line = name + " " + std::to_string(s);
  if (!argument.empty()) line += " " + argument;
  calls.push_back(line);
}

}  // namespace

void ResetFakeSockets() {
  sockets.clear();
  waitingClients.clear();
  calls.clear();
  script = FakeSocketScript();
  nextHandle = 1;
  listenerHandle = InvalidSocket;
}

FakeSocketScript& FakeSocketsScript() { return script; }

const std::vector<std::string>& FakeSocketCalls() { return calls; }

SocketHandle FakeQueueClient(std::uint32_t address, std::uint16_t port) {
  SocketHandle s = nextHandle++;
  FakeSocket& state = sockets[s];
  state.peerAddress = address;
  state.peerPort = port;
  waitingClients.push_back(s);
  return s;
}

FakeSocket& FakeSocketState(SocketHandle s) { return sockets[s]; }

SocketHandle FakeListener() { return listenerHandle; }

bool SocketStartup() {
  calls.push_back("WSAStartup");
  return !script.startupFails;
}

void SocketCleanup() { calls.push_back("WSACleanup"); }

SocketHandle SocketOpenStream() {
  calls.push_back("socket");
  if (script.openFails) return InvalidSocket;
  listenerHandle = nextHandle++;
  sockets[listenerHandle];
  return listenerHandle;
}

bool SocketBind(SocketHandle s, std::uint16_t port) {
  Log("bind", s, std::to_string(port));
  return !script.bindFails;
}

bool SocketListen(SocketHandle s) {
  Log("listen", s);
  return !script.listenFails;
}

bool SocketAsyncSelect(SocketHandle s, void*, unsigned message, long events) {
  Log("WSAAsyncSelect", s, std::to_string(message) + " " + std::to_string(events));
  FakeSocket& state = sockets[s];
  bool fails = s == listenerHandle ? script.listenerSelectFails : state.asyncSelectFails;
  if (fails) return false;
  state.selectedEvents = events;
  return true;
}

SocketHandle SocketAccept(SocketHandle listener) {
  Log("accept", listener);
  if (waitingClients.empty()) return InvalidSocket;
  SocketHandle s = waitingClients.front();
  waitingClients.pop_front();
  return s;
}

bool SocketPeerName(SocketHandle s, std::uint32_t& address, std::uint16_t& port) {
  Log("getpeername", s);
  const FakeSocket& state = sockets[s];
  if (state.peerNameFails) return false;
  address = state.peerAddress;
  port = state.peerPort;
  return true;
}

bool SocketBytesReady(SocketHandle s, std::uint32_t& count) {
  Log("ioctlsocket", s);
  const FakeSocket& state = sockets[s];
  if (state.readyFails) return false;
  count = state.readyReport.value_or(static_cast<std::uint32_t>(state.incoming.size()));
  return true;
}

int SocketReceive(SocketHandle s, char* buffer, int length) {
  FakeSocket& state = sockets[s];
  state.receiveAsks.push_back(length);
  if (state.closed) return -1;
  if (state.incoming.empty()) return state.peerClosed ? 0 : -1;
  std::size_t n = std::min(state.incoming.size(), static_cast<std::size_t>(length));
  std::memcpy(buffer, state.incoming.data(), n);
  state.incoming.erase(0, n);
  return static_cast<int>(n);
}

int SocketSend(SocketHandle s, const char* data, int length) {
  FakeSocket& state = sockets[s];
  state.sendAsks.push_back(length);
  if (state.closed) return -1;
  if (state.sendsBeforeFail == 0) return -1;
  if (state.sendsBeforeFail > 0) --state.sendsBeforeFail;
  int n = state.sendLimit > 0 ? std::min(length, state.sendLimit) : length;
  state.sent.append(data, static_cast<std::size_t>(n));
  return n;
}

int SocketWaitWritable(SocketHandle s, int seconds) {
  FakeSocket& state = sockets[s];
  state.waitSeconds.push_back(seconds);
  return state.writable;
}

void SocketClose(SocketHandle s) {
  Log("closesocket", s);
  sockets[s].closed = true;
}
