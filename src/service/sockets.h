// The Windows Sockets calls the request server makes, one plain function per call.
//
// The server's logic (connection table, reading and closing rules, sending) lives in
// portable code above these; sockets_win32.cpp maps each function onto its Winsock call and
// the native tests link a scriptable double instead. Sockets are the system's own handles,
// carried as an unsigned integer wide enough for a SOCKET.
#pragma once

#include <cstdint>

using SocketHandle = std::uintptr_t;
inline constexpr SocketHandle InvalidSocket = ~SocketHandle(0);

// Notification kinds, with the values of Winsock's FD_READ, FD_ACCEPT and FD_CLOSE: the
// window message carries them in the low word of its lParam.
inline constexpr long SocketReadEvent = 0x01;
inline constexpr long SocketAcceptEvent = 0x08;
inline constexpr long SocketCloseEvent = 0x20;

// WSAStartup asking for version 1.1; true when the library may be used.
bool SocketStartup();
// WSACleanup, once for each successful SocketStartup.
void SocketCleanup();

// socket(AF_INET, SOCK_STREAM, IPPROTO_TCP); InvalidSocket on failure.
SocketHandle SocketOpenStream();
// bind to the IPv4 wildcard address and the given port.
bool SocketBind(SocketHandle s, std::uint16_t port);
// listen with the system's maximum backlog, SOMAXCONN.
bool SocketListen(SocketHandle s);
// WSAAsyncSelect: post message to window for the given notification kinds. Makes the
// socket non-blocking.
bool SocketAsyncSelect(SocketHandle s, void* window, unsigned message, long events);
// accept without asking for the peer's address; InvalidSocket on failure.
SocketHandle SocketAccept(SocketHandle listener);
// getpeername of an IPv4 connection: the address with its first octet in the top byte, and
// the port, both in host order. False when the call fails or the peer is not IPv4.
bool SocketPeerName(SocketHandle s, std::uint32_t& address, std::uint16_t& port);
// ioctlsocket FIONREAD: how many bytes one receive could take now.
bool SocketBytesReady(SocketHandle s, std::uint32_t& count);
// recv: bytes read, 0 when the peer has closed, -1 on failure (nothing more to read on a
// non-blocking socket counts as failure).
int SocketReceive(SocketHandle s, char* buffer, int length);
// send: bytes taken, which may be fewer than length; -1 on failure.
int SocketSend(SocketHandle s, const char* data, int length);
// select on this one socket for writability, waiting up to seconds: 1 when writable, 0 when
// the time ran out, -1 on failure.
int SocketWaitWritable(SocketHandle s, int seconds);
// closesocket.
void SocketClose(SocketHandle s);
