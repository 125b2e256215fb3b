// The web request over the WinInet seam; see webrequest.h.
//
// The order of the platform calls, their arguments and what happens to the out-arguments on
// each failure are what callers (and the tests) rely on, so the steps below run in exactly
// that order: headers, verb, agent, session, connection, request, options, default and
// cookie headers, send, read, close, cookies.
#include "http/webrequest.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "app/globals.h"
#include "http/cookies.h"
#include "http/headers.h"
#include "http/inet.h"
#include "http/url.h"

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kVerbs[] = {"GET",   "POST",  "HEAD",    "PUT",  "OPTIONS",
                                  "DELETE", "TRACE", "CONNECT", "PATCH"};
constexpr int kMethodGet = 0;
constexpr int kMethodPost = 1;
constexpr std::uint32_t kReadPiece = 1024;
// Room for a raw header block of 4999 bytes and its terminator; a longer block is not
// returned at all, and the caller then sees 5000 spaces.
constexpr int kHeaderBufferSize = 5000;

// An empty text is the absent form: the platform gets a null pointer for it.
const char* OrNull(const Text& t) { return t.Empty() ? nullptr : t.CStr(); }

bool IsHttps(const Text& url) { return ToLower(TextLeft(url, 8)) == Text("https://"); }

bool Holds(const Text& headers, const char* name) { return FindText(headers, name, 1, true) != -1; }

// The caller may name the agent in its headers; the line itself is still sent.
Text UserAgentFor(const Text& headers) {
  if (!Holds(headers, "User-Agent:")) return kDefaultUserAgent;
  const Text agent = TrimText(TextBetween(ConcatText({headers, kCrLf}), "User-Agent:", kCrLf));
  // The search above ignores case and this one does not: a lower-case name with
  // normalisation off lands here.
  return agent.Empty() ? HeaderValue(headers) : agent;
}

inet::Handle OpenSession(const Text& agent, const Text& proxy, bool socksProxy, bool https) {
  if (proxy.Empty()) {
    return inet::InternetOpenA(OrNull(agent), inet::kOpenTypeDirect, nullptr, nullptr, 0);
  }
  Text proxyText = proxy;
  if (socksProxy) {
    proxyText = ConcatText({"SOCKS=", proxy});
  } else if (!https) {
    proxyText = ConcatText({"http=", proxy});
  }
  return inet::InternetOpenA(OrNull(agent), inet::kOpenTypeProxy, proxyText.CStr(), "", 0);
}

std::uint32_t RequestFlags(bool cookiesGiven, bool noRedirect, bool https) {
  std::uint32_t flags = inet::kFlagReload | inet::kFlagNeedFile;
  // A cookie text of the caller's own replaces the platform's store, even an empty one.
  if (cookiesGiven) flags |= inet::kFlagNoCookies;
  if (noRedirect) flags |= inet::kFlagNoAutoRedirect;
  flags |= https ? inet::kFlagSecure : inet::kFlagIgnoreRedirectToHttps;
  return flags;
}

Text WithDefaultHeaders(Text headers, const Text& url, int method) {
  if (headers.Empty()) headers = "Accept: */*";
  if (!Holds(headers, "Accept:")) headers = ConcatText({headers, kCrLf, "Accept: */*"});
  if (!Holds(headers, "Referer:")) headers = ConcatText({headers, kCrLf, "Referer: ", url});
  if (!Holds(headers, "Accept-Language:")) {
    headers = ConcatText({headers, kCrLf, "Accept-Language: zh-cn"});
  }
  if (method == kMethodPost && !Holds(headers, "Content-Type:")) {
    headers = ConcatText({headers, kCrLf, "Content-Type: application/x-www-form-urlencoded"});
  }
  return headers;
}

// A cookie text that already names the header is sent as it is.
Text WithCookieHeader(const Text& headers, const Text& cookies) {
  if (cookies.Empty()) return headers;
  if (FindText(cookies, "Cookie:") == -1) return ConcatText({headers, kCrLf, "Cookie: ", cookies});
  return ConcatText({headers, kCrLf, cookies});
}

// Whether sending worked is never asked: a failed send shows up as nothing to read.
void SendRequest(inet::Handle request, int method, const Text& headers, const Text& bodyText,
                 ByteString& body) {
  const auto headersLength = static_cast<std::uint32_t>(TextLength(headers));
  if (method == kMethodGet) {
    inet::HttpSendRequestA(request, OrNull(headers), headersLength, nullptr, 0);
    return;
  }
  if (body.Empty()) body = ToBytes(bodyText);
  inet::UploadBuffers buffers;
  buffers.header = OrNull(headers);
  buffers.headersLength = headersLength;
  buffers.bufferTotal = static_cast<std::uint32_t>(ByteLength(body));
  if (!inet::HttpSendRequestExA(request, &buffers, nullptr, inet::kSendInitiate, 0)) return;
  // A large body never goes to the platform in one piece.
  int position = 1;
  for (;;) {
    const ByteString chunk = BytesMid(body, position, UploadChunkSize);
    if (chunk.Empty()) break;
    position += ByteLength(chunk);
    std::uint32_t written = 0;
    inet::InternetWriteFile(request, chunk.Data(), static_cast<std::uint32_t>(chunk.Length()),
                            &written);
  }
  inet::HttpEndRequestA(request, nullptr, 0, 0);
}

ByteString ReadBody(inet::Handle request) {
  std::string body;
  char piece[kReadPiece];
  std::uint32_t count = 0;
  do {
    count = 0;
    if (inet::InternetReadFile(request, piece, kReadPiece, &count)) {
      body.append(piece, std::min(count, kReadPiece));
    }
  } while (count != 0);
  return ByteString(std::move(body));
}

Text ReadRawHeaders(inet::Handle request) {
  std::string buffer = BlankText(kHeaderBufferSize).Bytes();
  auto length = static_cast<std::uint32_t>(kHeaderBufferSize);
  inet::HttpQueryInfoA(request, inet::kQueryRawHeadersCrLf, buffer.data(), &length, nullptr);
  // The block is zero-terminated when it was written; otherwise the spaces stay.
  const Text block{std::string_view(buffer)};
  // Where no response arrived, Wine answers with a bare CR LF instead of failing as
  // Windows does; that holds no status line, so it counts as no block either.
  if (block == Text(kCrLf)) return BlankText(kHeaderBufferSize);
  return block;
}

}  // namespace

ByteString WebRequest(const Text& url, int method, const Text& bodyText, Text* cookies,
                      Text* receivedCookies, const Text& requestHeaders, Text* responseHeaders,
                      bool noRedirect, ByteString* bodyBytes, const Text& proxy,
                      bool mergeCookies, bool addDefaultHeaders, bool normaliseHeaders,
                      bool socksProxy) {
  Text headers = normaliseHeaders ? NormaliseHeaders(requestHeaders) : requestHeaders;
  if (method < 0 || method > 8) method = kMethodGet;
  const bool https = IsHttps(url);
  const Text agent = UserAgentFor(headers);

  // Declared in opening order, so leaving early closes them in reverse.
  inet::HandleOwner session(OpenSession(agent, proxy, socksProxy, https));
  if (session.handle == nullptr) return ByteString();
  inet::HandleOwner connection(inet::InternetConnectA(
      session.handle, OrNull(UrlHost(url)), static_cast<std::uint16_t>(UrlPort(url)), nullptr,
      nullptr, inet::kServiceHttp, 0, 0));
  if (connection.handle == nullptr) return ByteString();
  inet::HandleOwner request(inet::HttpOpenRequestA(
      connection.handle, kVerbs[method], UrlPath(url).CStr(), "HTTP/1.1", nullptr, nullptr,
      RequestFlags(cookies != nullptr, noRedirect, https), 0));
  if (request.handle == nullptr) return ByteString();

  std::uint32_t securityFlags = kSecurityFlagsValue;
  inet::InternetSetOptionA(request.handle, inet::kOptionSecurityFlags, &securityFlags,
                           sizeof securityFlags);

  if (addDefaultHeaders) headers = WithDefaultHeaders(headers, url, method);
  if (cookies != nullptr) headers = WithCookieHeader(headers, *cookies);

  ByteString ownBody;
  SendRequest(request.handle, method, headers, bodyText, bodyBytes ? *bodyBytes : ownBody);
  const ByteString body = ReadBody(request.handle);

  Text ownResponseHeaders;
  Text& rawHeaders = responseHeaders ? *responseHeaders : ownResponseHeaders;
  rawHeaders = ReadRawHeaders(request.handle);

  request.Close();
  connection.Close();
  session.Close();

  Text ownReceived;
  Text& received = receivedCookies ? *receivedCookies : ownReceived;
  received = CollectSetCookies(SplitText(rawHeaders, kCrLf));
  if (mergeCookies && cookies != nullptr) received = MergeCookies(*cookies, received);
  return body;
}
