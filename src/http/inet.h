// The WinInet calls of the web request, one function per platform call.
//
// Each function takes the arguments of the WinInet "A" function of the same name, in the
// same order, in portable types: a null pointer stays a null pointer, DWORD is uint32_t,
// DWORD_PTR context is uintptr_t. Keeping them one to one lets a test read the call log of
// the double as the sequence of platform calls. inet_win32.cpp forwards to wininet.dll.
#pragma once

#include <cstdint>

namespace inet {

// HINTERNET. Null is failure.
using Handle = void*;

constexpr std::uint32_t kOpenTypeDirect = 1;  // INTERNET_OPEN_TYPE_DIRECT
constexpr std::uint32_t kOpenTypeProxy = 3;   // INTERNET_OPEN_TYPE_PROXY
constexpr std::uint32_t kServiceHttp = 3;     // INTERNET_SERVICE_HTTP
constexpr std::uint32_t kOptionSecurityFlags = 31;  // INTERNET_OPTION_SECURITY_FLAGS
constexpr std::uint32_t kSendInitiate = 8;          // HSR_INITIATE
constexpr std::uint32_t kQueryRawHeadersCrLf = 22;  // HTTP_QUERY_RAW_HEADERS_CRLF

constexpr std::uint32_t kFlagReload = 0x80000000;
constexpr std::uint32_t kFlagNeedFile = 0x00000010;
constexpr std::uint32_t kFlagNoCookies = 0x00080000;
constexpr std::uint32_t kFlagNoAutoRedirect = 0x00200000;
constexpr std::uint32_t kFlagSecure = 0x00800000;
constexpr std::uint32_t kFlagIgnoreRedirectToHttps = 0x00004000;

// The fields of INTERNET_BUFFERSA that an upload sets; the record's size and every other
// field are filled in by the implementation (size of the real record, the rest zero).
struct UploadBuffers {
  const char* header = nullptr;
  std::uint32_t headersLength = 0;
  std::uint32_t bufferTotal = 0;
};

Handle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                     const char* proxyBypass, std::uint32_t flags);
Handle InternetConnectA(Handle session, const char* serverName, std::uint16_t serverPort,
                        const char* userName, const char* password, std::uint32_t service,
                        std::uint32_t flags, std::uintptr_t context);
Handle HttpOpenRequestA(Handle connection, const char* verb, const char* objectName,
                        const char* version, const char* referrer, const char** acceptTypes,
                        std::uint32_t flags, std::uintptr_t context);
bool InternetSetOptionA(Handle handle, std::uint32_t option, const void* buffer,
                        std::uint32_t bufferLength);
bool HttpSendRequestA(Handle request, const char* headers, std::uint32_t headersLength,
                      const void* optional, std::uint32_t optionalLength);
// buffersOut is always null here; it is kept so the call stays one to one.
bool HttpSendRequestExA(Handle request, const UploadBuffers* buffersIn, void* buffersOut,
                        std::uint32_t flags, std::uintptr_t context);
bool InternetWriteFile(Handle file, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten);
bool HttpEndRequestA(Handle request, void* buffersOut, std::uint32_t flags,
                     std::uintptr_t context);
bool InternetReadFile(Handle file, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead);
bool HttpQueryInfoA(Handle request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t* bufferLength, std::uint32_t* index);
bool InternetCloseHandle(Handle handle);

// Owns one handle and closes it when it goes out of scope (or earlier, by Close).
struct HandleOwner {
  Handle handle = nullptr;
  explicit HandleOwner(Handle h) : handle(h) {}
  HandleOwner(const HandleOwner&) = delete;
  HandleOwner& operator=(const HandleOwner&) = delete;
  ~HandleOwner() { Close(); }
  void Close() {
    if (handle != nullptr) InternetCloseHandle(handle);
    handle = nullptr;
  }
};

}  // namespace inet
