// Cookies the server set, and a cookie text carried from one request to the next.
//
// A cookie text is name=value items separated by "; ". Attributes such as path or expiry
// are dropped when a Set-Cookie line is collected, and no expiry is ever evaluated: a
// received item replaces an old item of its name, and a value ending in "=deleted" removes it.
#pragma once

#include "text/text.h"

// The cookie items of the Set-Cookie lines, in header order. A line counts only when its
// name (any letter case) starts it and a ";" follows the item.
Text CollectSetCookies(const TextArray& lines);

// Folds received into cookies: received items first, then the old items not replaced.
// Both variables are rewritten; cookies ends up holding the result as well.
Text MergeCookies(Text& cookies, Text& received);

// The trimmed text before the first "=", or the whole item trimmed.
Text CookieName(const Text& item);
bool HasCookieName(const TextArray& items, const Text& name);

// text without repeated items, first occurrences kept in order. Items are the pieces
// between delimiters, or the single characters of the text when byDelimiter is false.
Text DedupeItems(const Text& text, const Text& delimiter, bool byDelimiter);

// The characters of text: a lead byte with its second byte, CR LF as one, else one byte.
TextArray SplitChars(const Text& text);

// 1-based index of the first element equal to t, or -1.
int FindInArray(const TextArray& items, const Text& t);
