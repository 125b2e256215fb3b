// The ICMP facility on Windows: Windows Sockets 1.1 for name resolution, and the echo
// functions of the system's ICMP library, looked up by name so that the program starts
// (and merely finds every host silent) on a system without that library.
#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>
#include <icmpapi.h>

#include <cstring>
#include <string>

#include "service/icmp.h"

namespace {

// Both stay for the whole run; the owners release them when the process ends.
struct SocketsOwner {
  bool started = false;
  ~SocketsOwner() {
    if (started) WSACleanup();
  }
};

struct LibraryOwner {
  HMODULE module = nullptr;
  ~LibraryOwner() {
    if (module) FreeLibrary(module);
  }
};

SocketsOwner sockets;
LibraryOwner icmpLibrary;

decltype(&IcmpCreateFile) icmpCreateFile = nullptr;
decltype(&IcmpSendEcho) icmpSendEcho = nullptr;
decltype(&IcmpCloseHandle) icmpCloseHandle = nullptr;

struct IcmpHandleOwner {
  HANDLE handle;
  ~IcmpHandleOwner() {
    if (handle != INVALID_HANDLE_VALUE) icmpCloseHandle(handle);
  }
};

template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
  // Through the generic function pointer type, which converts to any other without warning.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Room for one reply record plus the 8 bytes of an ICMP error message; the request carries
// no data, so nothing more is echoed back. The record holds a pointer, so its size (and
// the buffer's) differs between the 32-bit product and a 64-bit build.
constexpr DWORD kReplyBufferSize = sizeof(ICMP_ECHO_REPLY) + 8;
#if defined(_WIN32) && !defined(_WIN64)
static_assert(kReplyBufferSize == 36, "the 32-bit echo reply buffer is 36 bytes");
#endif

}  // namespace

bool StartIcmpSockets() {
  if (sockets.started) return true;
  WSADATA data;
  sockets.started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  return sockets.started;
}

bool LoadIcmpLibrary() {
  if (icmpLibrary.module) return true;
  wchar_t folder[MAX_PATH];
  UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  std::wstring path(folder, n);
  path += L"\\icmp.dll";
  icmpLibrary.module = LoadLibraryW(path.c_str());
  return icmpLibrary.module != nullptr;
}

bool FindIcmpFunctions() {
  if (!icmpLibrary.module) return false;
  icmpCreateFile = LookUp<decltype(&IcmpCreateFile)>(icmpLibrary.module, "IcmpCreateFile");
  icmpSendEcho = LookUp<decltype(&IcmpSendEcho)>(icmpLibrary.module, "IcmpSendEcho");
  icmpCloseHandle = LookUp<decltype(&IcmpCloseHandle)>(icmpLibrary.module, "IcmpCloseHandle");
  return icmpCreateFile && icmpSendEcho && icmpCloseHandle;
}

bool ResolveHostAddress(const Text& host, std::uint32_t& address) {
  unsigned long dotted = inet_addr(host.CStr());
  if (dotted != INADDR_NONE) {
    address = static_cast<std::uint32_t>(dotted);
    return true;
  }
  const hostent* entry = gethostbyname(host.CStr());
  if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
      !entry->h_addr_list[0]) {
    return false;
  }
  std::memcpy(&address, entry->h_addr_list[0], sizeof(address));
  return true;
}

int SendIcmpEcho(std::uint32_t address, int timeoutMs) {
  if (!icmpCreateFile || !icmpSendEcho || !icmpCloseHandle) return -1;
  IcmpHandleOwner icmp{icmpCreateFile()};
  if (icmp.handle == INVALID_HANDLE_VALUE) return -1;
  char noData = 0;
  alignas(ICMP_ECHO_REPLY) unsigned char replies[kReplyBufferSize] = {};
  DWORD count = icmpSendEcho(icmp.handle, static_cast<IPAddr>(address), &noData, 0, nullptr,
                             replies, kReplyBufferSize, static_cast<DWORD>(timeoutMs));
  if (count == 0) return -1;
  ICMP_ECHO_REPLY first;
  std::memcpy(&first, replies, sizeof(first));
  return static_cast<int>(first.RoundTripTime);
}
