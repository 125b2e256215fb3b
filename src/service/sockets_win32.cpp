// The socket seam on Windows Sockets: each function is the one Winsock call it is named
// after, with the IPv4 details filled in. The server keeps every socket it owns in its
// connection table and closes it there, so nothing here holds a handle past the call.
#include "service/sockets.h"

#include <winsock2.h>
#include <windows.h>

#include "service/server.h"

static_assert(sizeof(SOCKET) <= sizeof(SocketHandle));
static_assert(INVALID_SOCKET == InvalidSocket);
static_assert(SocketReadEvent == FD_READ && SocketAcceptEvent == FD_ACCEPT &&
              SocketCloseEvent == FD_CLOSE);
static_assert(ServerListenerMessage == WM_APP + 1 && ServerClientMessage == WM_APP + 2);

namespace {

SOCKET Sock(SocketHandle s) { return static_cast<SOCKET>(s); }

}  // namespace

bool SocketStartup() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

void SocketCleanup() { WSACleanup(); }

SocketHandle SocketOpenStream() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  return s == INVALID_SOCKET ? InvalidSocket : static_cast<SocketHandle>(s);
}

bool SocketBind(SocketHandle s, std::uint16_t port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  return bind(Sock(s), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

bool SocketListen(SocketHandle s) { return listen(Sock(s), SOMAXCONN) == 0; }

bool SocketAsyncSelect(SocketHandle s, void* window, unsigned message, long events) {
  return WSAAsyncSelect(Sock(s), static_cast<HWND>(window), message, events) == 0;
}

SocketHandle SocketAccept(SocketHandle listener) {
  SOCKET s = accept(Sock(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? InvalidSocket : static_cast<SocketHandle>(s);
}

bool SocketPeerName(SocketHandle s, std::uint32_t& address, std::uint16_t& port) {
  sockaddr_in peer = {};
  int length = sizeof(peer);
  if (getpeername(Sock(s), reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
  if (peer.sin_family != AF_INET) return false;
  address = ntohl(peer.sin_addr.s_addr);
  port = ntohs(peer.sin_port);
  return true;
}

bool SocketBytesReady(SocketHandle s, std::uint32_t& count) {
  u_long ready = 0;
  if (ioctlsocket(Sock(s), FIONREAD, &ready) != 0) return false;
  count = static_cast<std::uint32_t>(ready);
  return true;
}

int SocketReceive(SocketHandle s, char* buffer, int length) {
  int got = recv(Sock(s), buffer, length, 0);
  return got == SOCKET_ERROR ? -1 : got;
}

int SocketSend(SocketHandle s, const char* data, int length) {
  int taken = send(Sock(s), data, length, 0);
  return taken == SOCKET_ERROR ? -1 : taken;
}

int SocketWaitWritable(SocketHandle s, int seconds) {
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(Sock(s), &writable);
  timeval limit = {};
  limit.tv_sec = seconds;
  int ready = select(0, nullptr, &writable, nullptr, &limit);
  if (ready == SOCKET_ERROR) return -1;
  return ready > 0 ? 1 : 0;
}

void SocketClose(SocketHandle s) { closesocket(Sock(s)); }
