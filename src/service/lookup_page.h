// The lookup page and the reply texts: the whole answer protocol towards clients.
#pragma once

#include "text/text.h"

// Cuts the public IP and its region out of the page text and writes them into PublicIp
// and Region. Whatever the page lacks is written as empty, so nothing stale survives a
// page of another layout. True when a non-empty IP was found.
bool ParseLookupPage(const Text& page);

// Elapsed, PublicIp and Region as they stand now, each followed by "，".
Text ResultReply();
// Elapsed followed by "，查询超时1，": no lookup host answered.
Text HostsDownReply();
// Elapsed followed by "，查询超时2，": the lookup page came back empty or without an IP.
Text EmptyPageReply();
