// The WinInet seam on Windows: each call forwards to the function of the same name in
// wininet.dll, loaded once from the system directory (never from the program's folder or
// the search path) and kept until the process ends.
#include <windows.h>
#include <wininet.h>

#include <string>

#include "http/inet.h"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(INTERNET_BUFFERSA) == 40, "the upload descriptor is 40 bytes on x86");
#endif

namespace {

struct ModuleOwner {
  HMODULE module = nullptr;
  ModuleOwner() = default;
  ModuleOwner(const ModuleOwner&) = delete;
  ModuleOwner& operator=(const ModuleOwner&) = delete;
  ~ModuleOwner() {
    if (module != nullptr) FreeLibrary(module);
  }
};

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t directory[MAX_PATH];
  const UINT n = GetSystemDirectoryW(directory, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return nullptr;
  std::wstring path(directory, n);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());
}

struct WinInet {
  WinInet();
  WinInet(const WinInet&) = delete;
  WinInet& operator=(const WinInet&) = delete;
  ModuleOwner dll;
  decltype(&::InternetOpenA) internetOpen = nullptr;
  decltype(&::InternetConnectA) internetConnect = nullptr;
  decltype(&::HttpOpenRequestA) httpOpenRequest = nullptr;
  decltype(&::InternetSetOptionA) internetSetOption = nullptr;
  decltype(&::HttpSendRequestA) httpSendRequest = nullptr;
  decltype(&::HttpSendRequestExA) httpSendRequestEx = nullptr;
  decltype(&::InternetWriteFile) internetWriteFile = nullptr;
  decltype(&::HttpEndRequestA) httpEndRequest = nullptr;
  decltype(&::InternetReadFile) internetReadFile = nullptr;
  decltype(&::HttpQueryInfoA) httpQueryInfo = nullptr;
  decltype(&::InternetCloseHandle) internetCloseHandle = nullptr;
};

template <typename Fn>
void Bind(HMODULE module, const char* name, Fn& fn) {
  // GetProcAddress hands back a generic pointer; the decltype above fixes the real type.
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A function left null (no DLL, or no such export) makes its call fail like the platform's.
WinInet::WinInet() {
  dll.module = LoadSystemLibrary(L"wininet.dll");
  if (dll.module == nullptr) return;
  HMODULE m = dll.module;
  Bind(m, "InternetOpenA", internetOpen);
  Bind(m, "InternetConnectA", internetConnect);
  Bind(m, "HttpOpenRequestA", httpOpenRequest);
  Bind(m, "InternetSetOptionA", internetSetOption);
  Bind(m, "HttpSendRequestA", httpSendRequest);
  Bind(m, "HttpSendRequestExA", httpSendRequestEx);
  Bind(m, "InternetWriteFile", internetWriteFile);
  Bind(m, "HttpEndRequestA", httpEndRequest);
  Bind(m, "InternetReadFile", internetReadFile);
  Bind(m, "HttpQueryInfoA", httpQueryInfo);
  Bind(m, "InternetCloseHandle", internetCloseHandle);
}

const WinInet& Api() {
  static const WinInet api;
  return api;
}

}  // namespace

namespace inet {

Handle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                     const char* proxyBypass, std::uint32_t flags) {
  if (!Api().internetOpen) return nullptr;
  return Api().internetOpen(agent, accessType, proxy, proxyBypass, flags);
}

Handle InternetConnectA(Handle session, const char* serverName, std::uint16_t serverPort,
                        const char* userName, const char* password, std::uint32_t service,
                        std::uint32_t flags, std::uintptr_t context) {
  if (!Api().internetConnect) return nullptr;
  return Api().internetConnect(static_cast<HINTERNET>(session), serverName, serverPort, userName,
                               password, service, flags, context);
}

Handle HttpOpenRequestA(Handle connection, const char* verb, const char* objectName,
                        const char* version, const char* referrer, const char** acceptTypes,
                        std::uint32_t flags, std::uintptr_t context) {
  if (!Api().httpOpenRequest) return nullptr;
  return Api().httpOpenRequest(static_cast<HINTERNET>(connection), verb, objectName, version,
                               referrer, acceptTypes, flags, context);
}

bool InternetSetOptionA(Handle handle, std::uint32_t option, const void* buffer,
                        std::uint32_t bufferLength) {
  if (!Api().internetSetOption) return false;
  // The option is only read; the declaration lacks the const.
  return Api().internetSetOption(static_cast<HINTERNET>(handle), option,
                                 const_cast<void*>(buffer), bufferLength) != FALSE;
}

bool HttpSendRequestA(Handle request, const char* headers, std::uint32_t headersLength,
                      const void* optional, std::uint32_t optionalLength) {
  if (!Api().httpSendRequest) return false;
  return Api().httpSendRequest(static_cast<HINTERNET>(request), headers, headersLength,
                               const_cast<void*>(optional), optionalLength) != FALSE;
}

bool HttpSendRequestExA(Handle request, const UploadBuffers* buffersIn, void* buffersOut,
                        std::uint32_t flags, std::uintptr_t context) {
  if (!Api().httpSendRequestEx) return false;
  INTERNET_BUFFERSA record{};
  INTERNET_BUFFERSA* in = nullptr;
  if (buffersIn != nullptr) {
    record.dwStructSize = sizeof(INTERNET_BUFFERSA);
    record.lpcszHeader = buffersIn->header;
    record.dwHeadersLength = buffersIn->headersLength;
    record.dwBufferTotal = buffersIn->bufferTotal;
    in = &record;
  }
  return Api().httpSendRequestEx(static_cast<HINTERNET>(request), in,
                                 static_cast<LPINTERNET_BUFFERSA>(buffersOut), flags,
                                 context) != FALSE;
}

bool InternetWriteFile(Handle file, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten) {
  if (!Api().internetWriteFile) return false;
  DWORD written = 0;
  const BOOL ok = Api().internetWriteFile(static_cast<HINTERNET>(file), buffer, bytesToWrite,
                                          &written);
  if (bytesWritten != nullptr) *bytesWritten = written;
  return ok != FALSE;
}

bool HttpEndRequestA(Handle request, void* buffersOut, std::uint32_t flags,
                     std::uintptr_t context) {
  if (!Api().httpEndRequest) return false;
  return Api().httpEndRequest(static_cast<HINTERNET>(request),
                              static_cast<LPINTERNET_BUFFERSA>(buffersOut), flags,
                              context) != FALSE;
}

bool InternetReadFile(Handle file, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead) {
  DWORD read = 0;
  BOOL ok = FALSE;
  if (Api().internetReadFile) {
    ok = Api().internetReadFile(static_cast<HINTERNET>(file), buffer, bytesToRead, &read);
  }
  if (bytesRead != nullptr) *bytesRead = read;
  return ok != FALSE;
}

bool HttpQueryInfoA(Handle request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t* bufferLength, std::uint32_t* index) {
  if (!Api().httpQueryInfo) return false;
  DWORD length = bufferLength != nullptr ? *bufferLength : 0;
  DWORD at = index != nullptr ? *index : 0;
  const BOOL ok = Api().httpQueryInfo(static_cast<HINTERNET>(request), infoLevel, buffer,
                                      bufferLength != nullptr ? &length : nullptr,
                                      index != nullptr ? &at : nullptr);
  if (bufferLength != nullptr) *bufferLength = length;
  if (index != nullptr) *index = at;
  return ok != FALSE;
}

bool InternetCloseHandle(Handle handle) {
  if (!Api().internetCloseHandle) return false;
  return Api().internetCloseHandle(static_cast<HINTERNET>(handle)) != FALSE;
}

}  // namespace inet
