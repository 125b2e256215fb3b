// The console command runner: runs one command line through the system's command
// interpreter in a hidden console and hands back everything it wrote to standard output and
// standard error. The dial operations run rasdial with it.
#pragma once

#include <cstdint>

#include "text/text.h"

// Called with each piece of output as it arrives: the address of the piece followed by a
// zero byte (a zero unit for wide output), then 0 and 0. A nonzero result stops the
// reading; the command itself is left to run.
using ChunkCallback = std::int32_t (*)(const void* chunk, std::int32_t, std::int32_t);

// How long a command may run before it is ended with everything it started. A dial that
// hangs must not freeze the window for good; a normal rasdial ends well within this.
constexpr int kCommandTimeLimitMs = 180000;

// Runs command (code page 936 text) as "<system folder>\cmd.exe /c command" and returns its
// output up to the first zero byte; empty when it could not be started or wrote nothing.
Text RunCaptured(const Text& command, ChunkCallback callback = nullptr,
                 int timeLimitMs = kCommandTimeLimitMs);

// The core of RunCaptured. commandLine is UTF-16LE with its terminator. The result is the
// captured bytes followed by one zero byte, or with wideOutput those bytes converted from
// the process code page to UTF-16LE with terminator; empty when nothing was captured.
ByteString CaptureConsoleOutput(const ByteString& commandLine, ChunkCallback callback,
                                bool wideOutput, int timeLimitMs = kCommandTimeLimitMs);
