// Conversions between code-page byte text and UTF-16LE held in a ByteString.
//
// Every conversion goes through the platform's multibyte/wide-character pair (see
// codepage_os.h) in the two-call pattern, flags 0. Empty results are empty values.
#pragma once

#include "text/text.h"

ByteString BytesToWide(const ByteString& bytes, int codePage);
ByteString TextToWide(const Text& text, bool stripTerminator);
ByteString CutWideAtNul(const ByteString& wide, bool reterminate);
ByteString WideToBytes(const ByteString& wide, int codePage);
Text WideToText(const ByteString& wide, int codePage, bool useCodePage);
Text WideToProcessText(const ByteString& wide);
Text Utf8ToText(const ByteString& bytes);
const unsigned char* PayloadOf(const ByteString& bytes);
unsigned char* PayloadOrNull(ByteString& bytes);
