#include "process_fake.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace {

// A runner that polls longer than this has lost track of its child; the double ends the
// child so that the test stops by itself.
constexpr int kRunawayMs = 1'000'000;

struct State {
  std::vector<std::string> log;
  std::deque<FakeChild> queued;
  std::vector<FakeStartRecord> starts;
  std::vector<FakeProgramRun> programs;
  std::map<OsHandle, std::string> open;
  OsHandle nextHandle = 0x100;
  bool pipeFails = false;
  bool startFails = false;
  bool programStartFails = false;
  std::u16string systemFolder = u"C:\\windows\\system32";
  int readLimit = 0;
  void (*startHook)(const FakeStartRecord&) = nullptr;
  std::uint32_t tickStart = 0;
  int nowMs = 0;
  bool ranAway = false;

  // The child now running, and its pipe.
  FakeChild child;
  int childStartMs = 0;
  std::size_t delivered = 0;  // writes already in the pipe
  bool ended = false;         // ended by itself or by the runner
  bool endSeen = false;       // the runner has been told
  std::string pipe;
};

State& S() {
  static State state;
  return state;
}

OsHandle Hand(const std::string& name) {
  State& s = S();
  const OsHandle h = s.nextHandle++;
  s.open[h] = name;
  return h;
}

std::string NameOf(OsHandle h) {
  auto it = S().open.find(h);
  return it == S().open.end() ? "unknown" : it->second;
}

int ChildMs() { return S().nowMs - S().childStartMs; }

// Moves into the pipe whatever the child has written by now, and notes its end.
void Advance() {
  State& s = S();
  if (s.ended) return;
  while (s.delivered < s.child.writes.size() &&
         s.child.writes[s.delivered].atMs <= ChildMs()) {
    s.pipe += s.child.writes[s.delivered].bytes;
    ++s.delivered;
  }
  if (s.child.exitAtMs >= 0 && ChildMs() >= s.child.exitAtMs) s.ended = true;
}

}  // namespace

void ResetFakeProcess(std::uint32_t tickStart) {
  S() = State();
  S().tickStart = tickStart;
}

void QueueFakeChild(const FakeChild& child) { S().queued.push_back(child); }
void SetFakePipeFails(bool fails) { S().pipeFails = fails; }
void SetFakeStartFails(bool fails) { S().startFails = fails; }
void SetFakeProgramStartFails(bool fails) { S().programStartFails = fails; }
void SetFakeSystemFolder(const std::u16string& folder) { S().systemFolder = folder; }
void SetFakeReadLimit(int bytes) { S().readLimit = bytes; }
void SetFakeStartHook(void (*hook)(const FakeStartRecord& start)) { S().startHook = hook; }

const std::vector<std::string>& FakeProcessLog() { return S().log; }
const std::vector<FakeStartRecord>& FakeStarts() { return S().starts; }
const std::vector<FakeProgramRun>& FakeProgramRuns() { return S().programs; }
int FakePausedMs() { return S().nowMs; }
bool FakeProcessRanAway() { return S().ranAway; }

std::vector<std::string> FakeOpenHandles() {
  std::vector<std::string> names;
  for (const auto& [handle, name] : S().open) names.push_back(name);
  return names;
}

bool CreateInheritablePipe(OsHandle& readEnd, OsHandle& writeEnd) {
  State& s = S();
  if (s.pipeFails) {
    s.log.push_back("CreatePipe failed");
    return false;
  }
  s.log.push_back("CreatePipe");
  readEnd = Hand("pipe-read");
  writeEnd = Hand("pipe-write");
  return true;
}

std::u16string SystemFolderPath() {
  S().log.push_back("SHGetSpecialFolderPath");
  return S().systemFolder;
}

bool StartHiddenChild(const std::u16string& applicationName, const ByteString& commandLine,
                      OsHandle stdinHandle, OsHandle outputHandle, ChildProcess& child) {
  State& s = S();
  FakeStartRecord record{applicationName, commandLine, NameOf(stdinHandle), NameOf(outputHandle)};
  s.starts.push_back(record);
  if (s.startFails) {
    s.log.push_back("CreateProcess failed");
    return false;
  }
  s.log.push_back("CreateProcess");
  if (s.startHook != nullptr) s.startHook(record);

  s.child = FakeChild();
  if (!s.queued.empty()) {
    s.child = s.queued.front();
    s.queued.pop_front();
  }
  s.childStartMs = s.nowMs;
  s.delivered = 0;
  s.ended = false;
  s.endSeen = false;
  s.pipe.clear();
  child.process = Hand("process");
  child.thread = Hand("thread");
  child.job = Hand("job");
  return true;
}

void CloseOsHandle(OsHandle handle) {
  State& s = S();
  s.log.push_back("CloseHandle " + NameOf(handle));
  s.open.erase(handle);
}

void WaitForChildInputIdle(OsHandle process, int milliseconds) {
  S().log.push_back("WaitForInputIdle " + NameOf(process) + " " + std::to_string(milliseconds));
}

int PipeBytesWaiting(OsHandle readEnd) {
  State& s = S();
  Advance();
  const int waiting = s.child.peekFails || NameOf(readEnd) != "pipe-read"
                          ? -1
                          : static_cast<int>(s.pipe.size());
  s.log.push_back("PeekNamedPipe " + std::to_string(waiting));
  return waiting;
}

int ReadPipe(OsHandle readEnd, unsigned char* buffer, int count) {
  State& s = S();
  Advance();
  int got = 0;
  if (NameOf(readEnd) == "pipe-read" && count > 0) {
    got = std::min(count, static_cast<int>(s.pipe.size()));
    if (s.readLimit > 0) got = std::min(got, s.readLimit);
    std::memcpy(buffer, s.pipe.data(), static_cast<std::size_t>(got));
    s.pipe.erase(0, static_cast<std::size_t>(got));
  }
  s.log.push_back("ReadFile " + std::to_string(count) + " " + std::to_string(got));
  return got;
}

std::uint32_t ChildExitCode(OsHandle process) {
  State& s = S();
  Advance();
  std::uint32_t code = kStillActive;
  if (NameOf(process) != "process") {
    code = 0;
  } else if (s.ended) {
    if (!s.endSeen) s.pipe += s.child.lastWords;
    s.endSeen = true;
    code = s.child.exitCode;
  }
  s.log.push_back("GetExitCodeProcess " + std::to_string(code));
  return code;
}

void EndChildTree(const ChildProcess& child) {
  State& s = S();
  s.log.push_back("EndChildTree " + NameOf(child.job));
  Advance();
  s.ended = true;
  s.endSeen = true;
  s.child.exitCode = 1;
}

void PauseMilliseconds(int milliseconds) {
  State& s = S();
  s.log.push_back("Sleep " + std::to_string(milliseconds));
  s.nowMs += milliseconds;
  if (s.nowMs > kRunawayMs && !s.ranAway) {
    s.ranAway = true;
    Advance();
    s.ended = true;
  }
}

std::uint32_t TickCountMilliseconds() {
  return S().tickStart + static_cast<std::uint32_t>(S().nowMs);
}

bool RunProgram(const Text& commandLine, bool wait, int showMode) {
  State& s = S();
  s.programs.push_back({commandLine, wait, showMode});
  s.log.push_back(s.programStartFails ? "RunProgram failed" : "RunProgram");
  return !s.programStartFails;
}
