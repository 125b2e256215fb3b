// One complete HTTP or HTTPS exchange through WinInet, returning the response body.
//
// Every call opens its own session, connection and request and closes them before it
// returns. Failures are an empty body; an HTTP error status is not a failure (the error
// page comes back). The request cycle calls WebRequest(url) alone; the other arguments
// exist for callers that need a verb, a body, a cookie text of their own or a proxy.
#pragma once

#include "text/text.h"

// Sent unless the caller's headers name a User-Agent of their own.
inline constexpr const char* kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// Certificate problems never fail a request: set on every request, http or https.
inline constexpr unsigned kSecurityFlagsValue = 0x1F380;

// method: 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT, 8 PATCH;
// anything else is GET.
// cookies: null leaves cookies to the platform's own store; a cookie text (even empty)
// switches that store off, is sent as the Cookie header and, with mergeCookies, is
// rewritten with the cookies the server set.
// receivedCookies, responseHeaders: written once the request exists (null: not wanted).
// bodyBytes: the body for verbs other than GET; when empty it is filled from bodyText.
// proxy: "host:port", empty for a direct connection; socksProxy makes it a SOCKS proxy.
ByteString WebRequest(const Text& url, int method = 0, const Text& bodyText = {},
                      Text* cookies = nullptr, Text* receivedCookies = nullptr,
                      const Text& requestHeaders = {}, Text* responseHeaders = nullptr,
                      bool noRedirect = false, ByteString* bodyBytes = nullptr,
                      const Text& proxy = {}, bool mergeCookies = true,
                      bool addDefaultHeaders = true, bool normaliseHeaders = true,
                      bool socksProxy = false);
