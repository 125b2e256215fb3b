// The socket double: connections are scripted in memory and every call is logged, so tests
// can drive the server's notifications by hand and check what it asked of the system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/sockets.h"

struct FakeSocket {
  // Accepted peer, as getpeername reports it.
  std::uint32_t peerAddress = 0;
  std::uint16_t peerPort = 0;
  bool peerNameFails = false;
  bool asyncSelectFails = false;

  // Bytes receive hands out, front first. Once they are gone receive fails (would block),
  // or returns 0 when peerClosed.
  std::string incoming;
  bool peerClosed = false;
  // What FIONREAD reports; the size of incoming when absent.
  std::optional<std::uint32_t> readyReport;
  bool readyFails = false;
  std::vector<int> receiveAsks;  // length asked by each receive

  // Bytes taken by send, in order.
  std::string sent;
  int sendLimit = 0;         // most bytes one send takes; 0 for all
  int sendsBeforeFail = -1;  // sends that succeed before every later one fails; -1 never
  std::vector<int> sendAsks;
  int writable = 1;  // what select answers
  std::vector<int> waitSeconds;

  long selectedEvents = 0;
  bool closed = false;
};

struct FakeSocketScript {
  bool startupFails = false;
  bool openFails = false;
  bool bindFails = false;
  bool listenFails = false;
  bool listenerSelectFails = false;
};

// Forgets every socket, the log and the script.
void ResetFakeSockets();
FakeSocketScript& FakeSocketsScript();
// Every call made, in order, as "name" or "name handle [argument]", for example
// "WSAStartup", "bind 1 19730", "closesocket 2", "WSACleanup".
const std::vector<std::string>& FakeSocketCalls();

// A client waiting for the next accept; returns the handle accept will give it.
SocketHandle FakeQueueClient(std::uint32_t address, std::uint16_t port);
// State of a socket made by the double (listener or accepted); a fresh entry for others.
FakeSocket& FakeSocketState(SocketHandle s);
// The listener made by the last successful socket call, or InvalidSocket.
SocketHandle FakeListener();
