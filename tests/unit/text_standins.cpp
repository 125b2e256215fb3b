// A stand-in for the start-up code's version reading, which the process code page drags
// into the link (both live with the start-up values) but which no test here calls. Delete
// this file once the start-up code's own double is in the tree.
//
// Weak where the linker honours that, so a real definition simply wins; the MinGW linker
// does not resolve archive members against a weak definition, so there it is a plain one.
#include "app/globals.h"

#if defined(_WIN32)
void ReadOsVersion() {}
#else
__attribute__((weak)) void ReadOsVersion() {}
#endif
