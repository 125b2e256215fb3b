#include "inet_fake.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace {

InetScript script;
std::vector<InetCall> calls;
std::set<std::uintptr_t> openHandles;
std::uintptr_t nextHandle = 1;
bool sent = false;           // a send succeeded on the request
std::size_t bodyOffset = 0;  // how much of the body the reads have handed out

std::optional<std::string> Copy(const char* s) {
  if (s == nullptr) return std::nullopt;
  return std::string(s);
}

std::optional<std::string> Copy(const char* s, std::uint32_t n) {
  if (s == nullptr) return std::nullopt;
  return std::string(s, n);
}

std::uintptr_t Id(inet::Handle h) { return reinterpret_cast<std::uintptr_t>(h); }

inet::Handle NewHandle() {
  const std::uintptr_t h = nextHandle++;
  openHandles.insert(h);
  return reinterpret_cast<inet::Handle>(h);
}

InetCall& Log(const char* function, inet::Handle handle = nullptr) {
  InetCall call;
  call.function = function;
  call.handle = Id(handle);
  calls.push_back(std::move(call));
  return calls.back();
}

}  // namespace

void ResetFakeInet() {
  script = InetScript();
  calls.clear();
  openHandles.clear();
  nextHandle = 1;
  sent = false;
  bodyOffset = 0;
}

InetScript& FakeInetScript() { return script; }

const std::vector<InetCall>& FakeInetCalls() { return calls; }

std::vector<std::string> FakeInetCallNames() {
  std::vector<std::string> names;
  for (const InetCall& c : calls) names.push_back(c.function);
  return names;
}

const InetCall* FindFakeInetCall(const std::string& function) {
  auto it = std::find_if(calls.begin(), calls.end(),
                         [&](const InetCall& c) { return c.function == function; });
  return it == calls.end() ? nullptr : &*it;
}

int FakeInetOpenHandles() { return static_cast<int>(openHandles.size()); }

namespace inet {

Handle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                     const char* proxyBypass, std::uint32_t flags) {
  InetCall& c = Log("InternetOpenA");
  c.texts = {Copy(agent), Copy(proxy), Copy(proxyBypass)};
  c.numbers = {accessType, flags};
  return script.failOpen ? nullptr : NewHandle();
}

Handle InternetConnectA(Handle session, const char* serverName, std::uint16_t serverPort,
                        const char* userName, const char* password, std::uint32_t service,
                        std::uint32_t flags, std::uintptr_t context) {
  InetCall& c = Log("InternetConnectA", session);
  c.texts = {Copy(serverName), Copy(userName), Copy(password)};
  c.numbers = {serverPort, service, flags, context};
  return script.failConnect ? nullptr : NewHandle();
}

Handle HttpOpenRequestA(Handle connection, const char* verb, const char* objectName,
                        const char* version, const char* referrer, const char** acceptTypes,
                        std::uint32_t flags, std::uintptr_t context) {
  InetCall& c = Log("HttpOpenRequestA", connection);
  c.texts = {Copy(verb), Copy(objectName), Copy(version), Copy(referrer)};
  c.numbers = {flags, context};
  c.nullPointers = acceptTypes == nullptr;
  return script.failOpenRequest ? nullptr : NewHandle();
}

bool InternetSetOptionA(Handle handle, std::uint32_t option, const void* buffer,
                        std::uint32_t bufferLength) {
  InetCall& c = Log("InternetSetOptionA", handle);
  c.numbers = {option, bufferLength};
  if (buffer != nullptr) c.data.assign(static_cast<const char*>(buffer), bufferLength);
  return true;
}

bool HttpSendRequestA(Handle request, const char* headers, std::uint32_t headersLength,
                      const void* optional, std::uint32_t optionalLength) {
  InetCall& c = Log("HttpSendRequestA", request);
  c.texts = {Copy(headers, headersLength)};
  c.numbers = {headersLength, optionalLength};
  c.nullPointers = optional == nullptr;
  sent = !script.failSend;
  return sent;
}

bool HttpSendRequestExA(Handle request, const UploadBuffers* buffersIn, void* buffersOut,
                        std::uint32_t flags, std::uintptr_t context) {
  InetCall& c = Log("HttpSendRequestExA", request);
  if (buffersIn != nullptr) {
    c.texts = {Copy(buffersIn->header, buffersIn->headersLength)};
    c.numbers = {buffersIn->headersLength, buffersIn->bufferTotal, flags, context};
  } else {
    c.numbers = {0, 0, flags, context};
  }
  c.nullPointers = buffersOut == nullptr;
  sent = !script.failSend;
  return sent;
}

bool InternetWriteFile(Handle file, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten) {
  InetCall& c = Log("InternetWriteFile", file);
  c.numbers = {bytesToWrite};
  c.data.assign(static_cast<const char*>(buffer), bytesToWrite);
  if (bytesWritten != nullptr) *bytesWritten = bytesToWrite;
  return true;
}

bool HttpEndRequestA(Handle request, void* buffersOut, std::uint32_t flags,
                     std::uintptr_t context) {
  InetCall& c = Log("HttpEndRequestA", request);
  c.numbers = {flags, context};
  c.nullPointers = buffersOut == nullptr;
  return true;
}

// Like the platform: the count is 0 before any work, so a failed read reports 0 bytes.
bool InternetReadFile(Handle file, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesRead) {
  InetCall& c = Log("InternetReadFile", file);
  c.numbers = {bytesToRead};
  *bytesRead = 0;
  if (!sent) return false;
  const std::size_t n = std::min<std::size_t>(bytesToRead, script.body.size() - bodyOffset);
  std::memcpy(buffer, script.body.data() + bodyOffset, n);
  bodyOffset += n;
  *bytesRead = static_cast<std::uint32_t>(n);
  return true;
}

// Like the platform: the block and its terminator are written only when they fit; the
// length then counts the block without its terminator.
bool HttpQueryInfoA(Handle request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t* bufferLength, std::uint32_t* index) {
  InetCall& c = Log("HttpQueryInfoA", request);
  c.numbers = {infoLevel, *bufferLength};
  c.nullPointers = index == nullptr;
  if (!sent) return false;
  if (script.rawHeaders.size() + 1 > *bufferLength) {
    *bufferLength = static_cast<std::uint32_t>(script.rawHeaders.size() + 1);
    return false;
  }
  std::memcpy(buffer, script.rawHeaders.c_str(), script.rawHeaders.size() + 1);
  *bufferLength = static_cast<std::uint32_t>(script.rawHeaders.size());
  return true;
}

bool InternetCloseHandle(Handle handle) {
  Log("InternetCloseHandle", handle);
  return openHandles.erase(Id(handle)) == 1;
}

}  // namespace inet
