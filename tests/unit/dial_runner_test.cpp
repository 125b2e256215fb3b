#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/globals.h"
#include "dial/runner.h"
#include "fakes/process_fake.h"
#include "text/codepage.h"

namespace {

using Log = std::vector<std::string>;

std::u16string Units(const ByteString& wide) {
  std::u16string units;
  for (int i = 0; i + 1 < wide.Length(); i += 2) {
    units.push_back(static_cast<char16_t>(wide.Data()[i] | (wide.Data()[i + 1] << 8)));
  }
  return units;
}

std::u16string UnitsBeforeZero(const ByteString& wide) {
  std::u16string units = Units(wide);
  return units.substr(0, units.find(u'\0'));
}

ByteString Capture(const char* command, ChunkCallback callback = nullptr, bool wide = false,
                   int limitMs = kCommandTimeLimitMs) {
  return CaptureConsoleOutput(TextToWide(command, false), callback, wide, limitMs);
}

FakeChild Writes(std::vector<FakeChild::Write> writes, int exitAtMs) {
  FakeChild child;
  child.writes = std::move(writes);
  child.exitAtMs = exitAtMs;
  return child;
}

class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeProcess();
    ProcessCodePage = 936;
    OsVersion = 0x0601;
  }
  void TearDown() override {
    EXPECT_TRUE(FakeOpenHandles().empty()) << "a handle was left open";
    EXPECT_FALSE(FakeProcessRanAway());
  }
};

TEST_F(Runner, ShortCommandMakesTheCallsInOrder) {
  QueueFakeChild(Writes({{0, "hello\r\n"}}, 0));
  const ByteString out = Capture("echo hello");
  EXPECT_EQ(out.Bytes(), std::string("hello\r\n\0", 8));
  const Log expected = {
      "CreatePipe",
      "SHGetSpecialFolderPath",
      "CreateProcess",
      "CloseHandle pipe-write",
      "CloseHandle thread",
      "WaitForInputIdle process 1000",
      "PeekNamedPipe 7",
      "ReadFile 7 7",
      "Sleep 1",
      "PeekNamedPipe 0",
      "GetExitCodeProcess 0",
      "PeekNamedPipe 0",
      "CloseHandle job",
      "CloseHandle process",
      "CloseHandle pipe-read",
  };
  EXPECT_EQ(FakeProcessLog(), expected);
}

TEST_F(Runner, ChildGetsThePipeAndThePaddedCommandLine) {
  // "cmd /c rasdial 宽带连接 /disconnect"
  Capture("cmd /c rasdial \xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3 /disconnect");
  ASSERT_EQ(FakeStarts().size(), 1u);
  const FakeStartRecord& start = FakeStarts()[0];
  EXPECT_EQ(start.application, u"C:\\windows\\system32\\cmd.exe");
  // The child reads from the same pipe it writes to; there is no input pipe.
  EXPECT_EQ(start.stdinName, "pipe-read");
  EXPECT_EQ(start.outputName, "pipe-write");

  EXPECT_EQ(start.commandLine.Length(), 65534);
  const std::u16string units = Units(start.commandLine);
  const std::u16string visible = u" /c cmd /c rasdial \u5BBD\u5E26\u8FDE\u63A5 /disconnect";
  EXPECT_EQ(units.substr(0, visible.size()), visible);
  EXPECT_EQ(units.find_first_not_of(u'\0', visible.size()), std::u16string::npos);
}

TEST_F(Runner, CommandLongerThanTheBufferIsPassedWithoutPadding) {
  const std::string command(40000, 'x');
  Capture(command.c_str());
  ASSERT_EQ(FakeStarts().size(), 1u);
  // " /c ", the command and its terminator.
  EXPECT_EQ(FakeStarts()[0].commandLine.Length(), (4 + 40000 + 1) * 2);
  EXPECT_EQ(UnitsBeforeZero(FakeStarts()[0].commandLine), u" /c " + std::u16string(40000, u'x'));
}

TEST_F(Runner, InterpreterFollowsTheSystemVersion) {
  struct Case {
    std::int32_t osVersion;
    const char16_t* application;
  };
  const Case cases[] = {
      {0x0400, u"D:\\WINNT\\system32\\command.com"},
      {0x0500, u"D:\\WINNT\\system32\\command.com"},
      {0x0501, u"D:\\WINNT\\system32\\cmd.exe"},
      {0x0601, u"D:\\WINNT\\system32\\cmd.exe"},
      {0x0A00, u"D:\\WINNT\\system32\\cmd.exe"},
      // Compared as signed numbers.
      {-1, u"D:\\WINNT\\system32\\command.com"},
      // Version numbers as read at start-up: a major of 256 keeps only its low byte.
      {PackOsVersion(5, 1), u"D:\\WINNT\\system32\\cmd.exe"},
      {PackOsVersion(10, 0), u"D:\\WINNT\\system32\\cmd.exe"},
      {PackOsVersion(256, 0), u"D:\\WINNT\\system32\\command.com"},
  };
  for (const Case& c : cases) {
    ResetFakeProcess();
    SetFakeSystemFolder(u"D:\\WINNT\\system32");
    OsVersion = c.osVersion;
    Capture("ver");
    ASSERT_EQ(FakeStarts().size(), 1u);
    EXPECT_EQ(FakeStarts()[0].application, c.application) << c.osVersion;
  }
}

TEST_F(Runner, FailuresGiveEmptyOutputAndCloseWhatWasOpened) {
  SetFakePipeFails(true);
  EXPECT_TRUE(Capture("echo x").Empty());
  EXPECT_EQ(FakeProcessLog(), Log{"CreatePipe failed"});

  ResetFakeProcess();
  SetFakeStartFails(true);
  EXPECT_TRUE(RunCaptured("no-such-command").Empty());
  const Log expected = {"CreatePipe", "SHGetSpecialFolderPath", "CreateProcess failed",
                        "CloseHandle pipe-write", "CloseHandle pipe-read"};
  EXPECT_EQ(FakeProcessLog(), expected);
}

TEST_F(Runner, OutputArrivesWhole) {
  struct Case {
    const char* name;
    FakeChild child;
    int readLimit;
    std::string output;
  };
  FakeChild lateWriter = Writes({{0, "early "}}, 3);
  lateWriter.lastWords = "late";
  FakeChild unaskable = Writes({{0, "lost"}}, 5);
  unaskable.peekFails = true;
  const Case cases[] = {
      {"pieces over time", Writes({{0, "a"}, {5, "b"}, {9, "c"}}, 12), 0, "abc"},
      {"written as the child ends", lateWriter, 0, "early late"},
      {"all at once with short reads", Writes({{2, "abcdefgh"}}, 2), 3, "abcdefgh"},
      {"one piece per pause to the end", Writes({{1, "x"}, {2, "y"}, {3, "z"}}, 3), 0, "xyz"},
      {"nothing written", Writes({}, 4), 0, ""},
      {"pipe that cannot be asked", unaskable, 0, ""},
  };
  for (const Case& c : cases) {
    ResetFakeProcess();
    SetFakeReadLimit(c.readLimit);
    QueueFakeChild(c.child);
    const ByteString out = Capture("x");
    if (c.output.empty()) {
      EXPECT_TRUE(out.Empty()) << c.name;
    } else {
      EXPECT_EQ(out.Bytes(), c.output + '\0') << c.name;
    }
    EXPECT_TRUE(FakeOpenHandles().empty()) << c.name;
  }
}

TEST_F(Runner, RunCapturedStopsAtTheFirstZeroByte) {
  QueueFakeChild(Writes({{0, std::string("ab\0cd", 5)}}, 0));
  EXPECT_EQ(RunCaptured("x").Bytes(), "ab");
}

std::vector<std::string> seenChunks;
int stopAfter = 0;

std::int32_t RecordChunk(const void* chunk, std::int32_t a, std::int32_t b) {
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  seenChunks.emplace_back(static_cast<const char*>(chunk));
  return static_cast<int>(seenChunks.size()) == stopAfter ? 1 : 0;
}

std::vector<std::u16string> seenWideChunks;

std::int32_t RecordWideChunk(const void* chunk, std::int32_t, std::int32_t) {
  seenWideChunks.emplace_back(static_cast<const char16_t*>(chunk));
  return 0;
}

TEST_F(Runner, CallbackSeesEveryChunkZeroTerminated) {
  seenChunks.clear();
  stopAfter = 0;
  FakeChild child = Writes({{0, "one"}, {4, "two"}, {8, "three"}}, 10);
  child.lastWords = "four";
  QueueFakeChild(child);
  EXPECT_EQ(RunCaptured("x", RecordChunk).Bytes(), "onetwothreefour");
  EXPECT_EQ(seenChunks, (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST_F(Runner, CallbackStopsTheReadingAndLeavesTheChildAlone) {
  seenChunks.clear();
  stopAfter = 2;
  QueueFakeChild(Writes({{0, "one"}, {4, "two"}, {8, "three"}}, -1));
  EXPECT_EQ(RunCaptured("x", RecordChunk).Bytes(), "onetwo");
  EXPECT_EQ(seenChunks, (std::vector<std::string>{"one", "two"}));
  for (const std::string& call : FakeProcessLog()) {
    EXPECT_EQ(call.rfind("EndChildTree", 0), std::string::npos);
  }
  EXPECT_EQ(FakeProcessLog().back(), "CloseHandle pipe-read");
}

TEST_F(Runner, WideOutputIsConvertedFromTheProcessCodePage) {
  seenWideChunks.clear();
  // "宽带" then "连接"
  QueueFakeChild(Writes({{0, "\xBF\xED\xB4\xF8"}, {3, "\xC1\xAC\xBD\xD3"}}, 5));
  const ByteString out = Capture("x", RecordWideChunk, true);
  EXPECT_EQ(Units(out), std::u16string(u"\u5BBD\u5E26\u8FDE\u63A5") + u'\0');
  EXPECT_EQ(seenWideChunks, (std::vector<std::u16string>{u"\u5BBD\u5E26", u"\u8FDE\u63A5"}));
}

TEST_F(Runner, CommandThatNeverEndsIsEndedAtTheLimit) {
  struct Case {
    const char* name;
    std::uint32_t tickStart;
    int limitMs;
    FakeChild child;
    std::string output;
  };
  // Keeps writing to the end: the limit must hold while data is still coming.
  FakeChild chatty;
  chatty.exitAtMs = -1;
  for (int ms = 0; ms < 20000; ms += 2) chatty.writes.push_back({ms, "."});
  const Case cases[] = {
      {"silent after its first line", 1000, 5000, Writes({{0, "started\r\n"}}, -1), "started\r\n"},
      {"tick count wraps meanwhile", 0xFFFFF000u, 10000, Writes({{0, "s"}, {9999, "t"}}, -1),
       "st"},
      {"writing all the time", 1000, 3000, chatty, std::string(1501, '.')},
  };
  for (const Case& c : cases) {
    ResetFakeProcess(c.tickStart);
    QueueFakeChild(c.child);
    const ByteString out = Capture("x", nullptr, false, c.limitMs);
    EXPECT_EQ(out.Bytes(), c.output + '\0') << c.name;
    const Log& log = FakeProcessLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "EndChildTree job"), 1) << c.name;
    EXPECT_GE(FakePausedMs(), c.limitMs) << c.name;
    EXPECT_LE(FakePausedMs(), c.limitMs + 1) << c.name;
    EXPECT_TRUE(FakeOpenHandles().empty()) << c.name;
  }
}

TEST_F(Runner, DefaultLimitIsThreeMinutesAndSparesANormalDial) {
  QueueFakeChild(Writes({{0, "dialling "}, {179'000, "done"}}, 179'000));
  EXPECT_EQ(RunCaptured("rasdial").Bytes(), "dialling done");

  ResetFakeProcess();
  QueueFakeChild(Writes({{0, "hung"}}, -1));
  EXPECT_EQ(RunCaptured("rasdial").Bytes(), "hung");
  EXPECT_EQ(FakePausedMs(), 180'000);
  const Log& log = FakeProcessLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "EndChildTree job"), 1);
}

}  // namespace
