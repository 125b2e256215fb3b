// Host, port and path of a URL, cut out with text operations alone.
//
// The web request needs them as separate values for the connect and open-request calls.
// Only "http://" and "https://" are recognised as schemes; a URL without one is taken as
// plain http. There is no URL parser here on purpose: odd inputs give whatever the text
// walk gives, never a failure.
#pragma once

#include <optional>

#include "text/text.h"

// The text between the first startMarker and the next endMarker after it, or empty.
// "#引号" inside a marker stands for one double quote. An empty marker finds nothing.
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int> startPos = std::nullopt, bool ignoreCase = false);

// The host in lower case. Without labelCount, lastTwoLabels keeps the last two labels;
// with labelCount the host is walked from its end instead (a labelCount of 0 is not the
// same as leaving it out). keepPort keeps any ":port" the host carries.
Text UrlHost(const Text& url, bool lastTwoLabels = false, bool keepPort = false,
             std::optional<int> labelCount = std::nullopt);

// The port written after the host, else 443 for https and 80 for everything else.
int UrlPort(const Text& url);

// Path, query and fragment from the first "/" after the host, or "/".
Text UrlPath(const Text& url);
