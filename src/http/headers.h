// The caller's extra request headers, tidied before the web request searches them.
//
// A header block is lines separated by CR LF. Lines without a colon are not headers and are
// dropped; each header name gets its first letter, and the first letter after every "-",
// upper-cased. Nothing else in a line changes, so values go out exactly as written.
#pragma once

#include "text/text.h"

// The normalised block, without a closing CR LF; empty when no line holds a ":".
Text NormaliseHeaders(const Text& block);

// t with its first byte upper-cased when it is a letter a to z.
Text CapitaliseFirst(const Text& t);

// Everything after the first ":" of t, trimmed of spaces (not of CR or LF); empty without a ":".
Text HeaderValue(const Text& t);
