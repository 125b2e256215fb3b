// The process double: scripted children behind a fake pipe, a fake millisecond clock that
// moves only when the runner pauses, and a log of every call in the order it was made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dial/process.h"

// One child as the double plays it. Times count the runner's pauses since the child started.
struct FakeChild {
  struct Write {
    int atMs = 0;
    std::string bytes;
  };
  std::vector<Write> writes;
  // When the child ends by itself; -1 for a child that runs until it is ended.
  int exitAtMs = 0;
  std::uint32_t exitCode = 0;
  // Written at the very instant the child ends: after the runner's last look at the pipe and
  // before it learns of the end.
  std::string lastWords;
  // The pipe cannot be asked how much is waiting (the peek fails).
  bool peekFails = false;
};

struct FakeStartRecord {
  std::u16string application;
  ByteString commandLine;
  std::string stdinName;   // which handle the child got as standard input
  std::string outputName;  // and as standard output and error
};

struct FakeProgramRun {
  Text commandLine;
  bool wait = false;
  int showMode = 0;
};

// Forgets everything: log, children, handles, failures; the clock goes back to tickStart.
void ResetFakeProcess(std::uint32_t tickStart = 1000);
// Children are started in the order they were queued; an unscripted child ends at once
// without output.
void QueueFakeChild(const FakeChild& child);
void SetFakePipeFails(bool fails);
void SetFakeStartFails(bool fails);
void SetFakeProgramStartFails(bool fails);
void SetFakeSystemFolder(const std::u16string& folder);
// The most bytes one read hands over, whatever was asked for (0: no limit).
void SetFakeReadLimit(int bytes);
// Called as each child starts, so a test can let other clocks move with the command.
void SetFakeStartHook(void (*hook)(const FakeStartRecord& start));

// Calls in order, e.g. "CreatePipe", "CloseHandle pipe-write", "PeekNamedPipe 5".
const std::vector<std::string>& FakeProcessLog();
const std::vector<FakeStartRecord>& FakeStarts();
const std::vector<FakeProgramRun>& FakeProgramRuns();
// Names of the handles handed out and not closed yet.
std::vector<std::string> FakeOpenHandles();
// Milliseconds the runner has paused since the last reset.
int FakePausedMs();
// True when a runner kept polling past the double's own bound and had to be stopped.
bool FakeProcessRanAway();
