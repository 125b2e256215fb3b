// The console runner's logic: which interpreter, what command line, and the polling loop that
// gathers the child's output. Every platform call goes through dial/process.h, so the order
// of calls and the handling of each outcome can be checked against a double.
#include "dial/runner.h"

#include "app/globals.h"
#include "dial/process.h"
#include "text/codepage.h"

namespace {

// The command-line buffer is this large unless the command needs more.
constexpr int kCommandLineBytes = 65534;

// Closes its handle on every path out of the runner; Close() lets the runner close early
// where the order matters.
struct OwnedHandle {
  OsHandle value = 0;
  explicit OwnedHandle(OsHandle v) : value(v) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() { Close(); }
  void Close() {
    if (value != 0) CloseOsHandle(value);
    value = 0;
  }
};

ByteString WideBytes(std::u16string_view units) {
  std::string bytes;
  for (char16_t u : units) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return ByteString(std::move(bytes));
}

std::u16string InterpreterPath() {
  // Windows 2000 and older have no cmd.exe.
  const char16_t* name = OsVersion >= 0x0501 ? u"\\cmd.exe" : u"\\command.com";
  return SystemFolderPath() + name;
}

ByteString InterpreterCommandLine(const ByteString& command) {
  ByteString line = ConcatBytes({WideBytes(u" /c ").View(), command.View()});
  if (line.Length() < kCommandLineBytes) {
    line.MutableBytes().resize(kCommandLineBytes, '\0');
  }
  return line;
}

// Reads up to count waiting bytes, adds them to output and shows them to the callback.
// False when nothing could be read or the callback asked to stop.
bool TakeChunk(OsHandle readEnd, int count, ChunkCallback callback, bool wideOutput,
               ByteString& output, int& taken) {
  ByteString chunk = BlankBytes(count);
  taken = ReadPipe(readEnd, chunk.MutableData(), count);
  if (taken <= 0) return false;
  chunk.MutableBytes().resize(static_cast<std::size_t>(taken));
  output.MutableBytes().append(chunk.Bytes());
  if (callback == nullptr) return true;

  ByteString shown;
  if (wideOutput) {
    shown = BytesToWide(chunk, ProcessCodePage);
    if (shown.Empty()) shown = ByteString(std::string(2, '\0'));
  } else {
    shown = ConcatBytes({chunk.View(), std::string_view("\0", 1)});
  }
  return callback(shown.Data(), 0, 0) == 0;
}

// What the pipe held when the child ended or was ended: a known amount, so that a process
// that outlives the child and keeps writing cannot hold the runner here.
void TakeWhatIsLeft(OsHandle readEnd, ChunkCallback callback, bool wideOutput,
                    ByteString& output) {
  int left = PipeBytesWaiting(readEnd);
  int taken = 0;
  while (left > 0 && TakeChunk(readEnd, left, callback, wideOutput, output, taken)) {
    left -= taken;
  }
}

}  // namespace

ByteString CaptureConsoleOutput(const ByteString& commandLine, ChunkCallback callback,
                                bool wideOutput, int timeLimitMs) {
  const std::uint32_t timeLimit = timeLimitMs > 0 ? static_cast<std::uint32_t>(timeLimitMs) : 0;
  const std::uint32_t startTick = TickCountMilliseconds();

  OsHandle readValue = 0;
  OsHandle writeValue = 0;
  if (!CreateInheritablePipe(readValue, writeValue)) return ByteString();
  OwnedHandle readEnd(readValue);
  OwnedHandle writeEnd(writeValue);

  ChildProcess child;
  const bool started = StartHiddenChild(InterpreterPath(), InterpreterCommandLine(commandLine),
                                        readEnd.value, writeEnd.value, child);
  // From here on only the child's tree holds the write end.
  writeEnd.Close();
  if (!started) return ByteString();
  OwnedHandle process(child.process);
  OwnedHandle thread(child.thread);
  OwnedHandle job(child.job);
  thread.Close();
  WaitForChildInputIdle(process.value, 1000);

  ByteString output;
  for (;;) {
    const int waiting = PipeBytesWaiting(readEnd.value);
    int taken = 0;
    if (waiting > 0) {
      if (!TakeChunk(readEnd.value, waiting, callback, wideOutput, output, taken)) break;
    } else if (ChildExitCode(process.value) != kStillActive) {
      // Whatever the child wrote between the peek and its end is waiting now.
      TakeWhatIsLeft(readEnd.value, callback, wideOutput, output);
      break;
    }
    if (static_cast<std::uint32_t>(TickCountMilliseconds() - startTick) >= timeLimit) {
      EndChildTree(child);
      TakeWhatIsLeft(readEnd.value, callback, wideOutput, output);
      break;
    }
    PauseMilliseconds(1);
  }

  if (output.Empty()) return ByteString();
  if (wideOutput) return BytesToWide(output, ProcessCodePage);
  output.MutableBytes().push_back('\0');
  return output;
}

Text RunCaptured(const Text& command, ChunkCallback callback, int timeLimitMs) {
  return BytesToText(CaptureConsoleOutput(TextToWide(command, false), callback, false,
                                          timeLimitMs));
}
