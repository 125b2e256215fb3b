// The platform's code page conversion pair, as the code page conversions need it.
//
// Shaped after MultiByteToWideChar / WideCharToMultiByte with flags 0 and no default
// character: a source length of -1 means "up to and including the first zero", and the
// count then includes the terminator. A destination size of 0 asks for the size only.
// The result is the count of units (bytes) written or needed, or 0 on failure (an unknown
// code page, a destination that is too small). Code page 0 is the system ANSI code page.
// Input the code page cannot decode becomes the platform's substitute (U+FFFD for UTF-8);
// a character the code page cannot hold becomes "?".
#pragma once

int MultiByteToWide(int codePage, const char* source, int sourceBytes, char16_t* dest,
                    int destUnits);
int WideToMultiByte(int codePage, const char16_t* source, int sourceUnits, char* dest,
                    int destBytes);
// Units before the first zero unit, like lstrlenW.
int WideLength(const char16_t* s);
