// The process seam: the few platform calls the console runner and the ping button make.
//
// Each function stands for one platform call (or a tight group of them that is always made
// together), so that the runner's order of calls can be checked against a double and the
// real calls under Wine. Handles cross this seam as opaque numbers; whoever receives one
// closes it with CloseOsHandle.
#pragma once

#include <cstdint>
#include <string>

#include "text/text.h"

// A platform handle as portable code holds it: opaque, 0 when there is none.
using OsHandle = std::uintptr_t;

struct ChildProcess {
  OsHandle process = 0;
  OsHandle thread = 0;
  // The job that holds the child and everything it starts; 0 when the system would not
  // give the child a job of its own (then only the child itself can be ended).
  OsHandle job = 0;
};

// The exit code a process reports while it is still running.
constexpr std::uint32_t kStillActive = 259;

// An anonymous pipe whose two ends can be inherited, with the default buffer size.
bool CreateInheritablePipe(OsHandle& readEnd, OsHandle& writeEnd);

// The system folder (CSIDL_SYSTEM) in UTF-16 without a terminator; empty when unknown.
std::u16string SystemFolderPath();

// Starts applicationName with the writable UTF-16LE commandLine (zero units included) in a
// hidden console: inheritable process handle and handles, standard input from stdinHandle,
// standard output and error into outputHandle, the caller's environment and folder. The
// child is put into a fresh job before it runs its first instruction.
bool StartHiddenChild(const std::u16string& applicationName, const ByteString& commandLine,
                      OsHandle stdinHandle, OsHandle outputHandle, ChildProcess& child);

void CloseOsHandle(OsHandle handle);

// WaitForInputIdle; the outcome does not matter to any caller.
void WaitForChildInputIdle(OsHandle process, int milliseconds);

// Bytes waiting in the pipe, nothing removed; -1 when the pipe cannot be asked.
int PipeBytesWaiting(OsHandle readEnd);

// Reads at most count bytes into buffer; the number of bytes read, 0 on failure.
int ReadPipe(OsHandle readEnd, unsigned char* buffer, int count);

// GetExitCodeProcess: kStillActive while the child runs. A failed query gives 0, which
// counts as ended, so a broken handle cannot keep a caller waiting.
std::uint32_t ChildExitCode(OsHandle process);

// Ends the child and every process it started (the whole job), or the child alone when it
// has no job.
void EndChildTree(const ChildProcess& child);

void PauseMilliseconds(int milliseconds);

// Milliseconds since the system started, wrapping at 2^32; only differences are meaningful.
std::uint32_t TickCountMilliseconds();

// Starts commandLine (no separate application name) as a console program shown with
// showMode (a caller without a console of its own gives it a new console window), nothing
// inherited, creation flags 0. With wait false it waits at most 1000 ms for the
// program to become idle; with wait true until the program has ended. False when the
// process could not be created.
bool RunProgram(const Text& commandLine, bool wait = false, int showMode = 1);
