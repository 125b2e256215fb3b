// The WinInet double: records every call of the seam with its arguments, and plays back a
// scripted server (handles that fail to open, a failing send, a body, a raw header block).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "http/inet.h"

// One call as the seam received it. Text arguments are copied (nullopt for a null pointer);
// numbers are listed in argument order; handles are the fake's own small numbers.
struct InetCall {
  std::string function;
  std::uintptr_t handle = 0;  // the first argument when it is a handle, else 0
  std::vector<std::optional<std::string>> texts;
  std::vector<std::uint64_t> numbers;
  std::string data;  // bytes written by InternetWriteFile, the option value of InternetSetOptionA
  bool nullPointers = true;  // every pointer argument not listed in texts was null
};

struct InetScript {
  bool failOpen = false;         // InternetOpenA returns null
  bool failConnect = false;      // InternetConnectA returns null
  bool failOpenRequest = false;  // HttpOpenRequestA returns null
  bool failSend = false;         // both sends return false; reads and header query then fail
  std::string body;              // what InternetReadFile hands out after a send
  std::string rawHeaders;        // the raw header block HttpQueryInfoA writes (when it fits)
};

// Forgets the log and the script; handles start again from 1.
void ResetFakeInet();
InetScript& FakeInetScript();
const std::vector<InetCall>& FakeInetCalls();
// The function names of the log, in order.
std::vector<std::string> FakeInetCallNames();
// The first call of that name, or null.
const InetCall* FindFakeInetCall(const std::string& function);
// Handles the fake handed out and has not seen closed.
int FakeInetOpenHandles();
