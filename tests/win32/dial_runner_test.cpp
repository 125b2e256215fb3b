// The console runner against the real cmd.exe of the Wine prefix, with small fixture
// programs that print known bytes or outstay the time limit.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "dial/process.h"
#include "dial/runner.h"
#include "text/codepage.h"

// This test links no doubles; these stand in for conversions not in the tree yet.

namespace {

// The build folder, where the fixture programs are, in Windows form (Z:\...).
std::wstring FixtureFolder() {
  const char* linuxPath = std::getenv("DS_FIXTURES");
  std::wstring folder = L"Z:";
  for (const char* p = linuxPath != nullptr ? linuxPath : ""; *p != '\0'; ++p) {
    folder.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(*p));
  }
  return folder;
}

std::string Pattern(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>('A' + i % 26));
  return bytes;
}

class RunnerUnderWine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_NE(std::getenv("DS_FIXTURES"), nullptr);
    // cmd finds the fixture programs through PATH, which every child inherits.
    wchar_t path[32767] = {};
    GetEnvironmentVariableW(L"PATH", path, 32767);
    const std::wstring newPath = FixtureFolder() + L";" + path;
    SetEnvironmentVariableW(L"PATH", newPath.c_str());
  }
  void SetUp() override {
    ProcessCodePage = 936;
    OsVersion = PackOsVersion(6, 1);
  }
};

TEST_F(RunnerUnderWine, CommandThatPrintsAndEndsAtOnceIsReturnedWhole) {
  EXPECT_EQ(RunCaptured("echo hello").Bytes(), "hello\r\n");
}

TEST_F(RunnerUnderWine, OutputsOfEverySizeArriveWhole) {
  for (int count : {1, 4095, 4096, 4097, 65536, 1 << 20}) {
    const Text out = RunCaptured(ConcatText({"dial_print ", std::to_string(count)}));
    ASSERT_EQ(out.Length(), count);
    EXPECT_TRUE(out.Bytes() == Pattern(count)) << count << " bytes differ";
  }
}

TEST_F(RunnerUnderWine, CommandWithoutOutputGivesEmptyText) {
  EXPECT_TRUE(RunCaptured("dial_print 0").Empty());
  EXPECT_TRUE(RunCaptured("rem nothing to say").Empty());
  EXPECT_TRUE(CaptureConsoleOutput(TextToWide("dial_print 0", false), nullptr, false).Empty());
}

TEST_F(RunnerUnderWine, OutputIsCutAtItsFirstZeroByte) {
  EXPECT_EQ(RunCaptured("dial_print 100 zero=40").Bytes(), Pattern(40));
  // The core keeps every byte, and adds one zero of its own.
  const ByteString raw = CaptureConsoleOutput(TextToWide("dial_print 100 zero=40", false),
                                              nullptr, false);
  ASSERT_EQ(raw.Length(), 101);
  EXPECT_EQ(raw.Bytes()[40], '\0');
  EXPECT_EQ(raw.Bytes().substr(41, 59), Pattern(100).substr(41));
}

TEST_F(RunnerUnderWine, StandardOutputAndErrorAreBothCaptured) {
  EXPECT_EQ(RunCaptured("dial_print 6 && dial_print 4 err").Bytes(), "ABCDEF" "ABCD");
  EXPECT_EQ(RunCaptured("dial_print 3 err").Bytes(), "ABC");
}

TEST_F(RunnerUnderWine, OutputBytesAreTakenAsTheChildWritesThem) {
  // The rasdial stand-in writes code-page-936 bytes: "没有连接" CR LF "命令已完成。" CR LF
  EXPECT_EQ(RunCaptured("rasdial").Bytes(),
            "\xC3\xBB\xD3\xD0\xC1\xAC\xBD\xD3\r\n"
            "\xC3\xFC\xC1\xEE\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3\r\n");
}

std::vector<std::string> chunks;
int stopAfterChunks = 0;

std::int32_t KeepChunk(const void* chunk, std::int32_t, std::int32_t) {
  chunks.emplace_back(static_cast<const char*>(chunk));
  return static_cast<int>(chunks.size()) == stopAfterChunks ? 1 : 0;
}

TEST_F(RunnerUnderWine, CallbackSeesEveryChunk) {
  chunks.clear();
  stopAfterChunks = 0;
  const Text out = RunCaptured("dial_print 3000 pieces=3 pause=300", KeepChunk);
  std::string joined;
  for (const std::string& chunk : chunks) {
    EXPECT_FALSE(chunk.empty());
    joined += chunk;
  }
  EXPECT_EQ(out.Bytes(), Pattern(3000));
  EXPECT_EQ(joined, Pattern(3000));
}

TEST_F(RunnerUnderWine, CallbackStopsTheReading) {
  chunks.clear();
  stopAfterChunks = 1;
  // Half a second between the pieces: the first read cannot hold them all.
  const Text out = RunCaptured("dial_print 3000 pieces=3 pause=500", KeepChunk);
  ASSERT_EQ(chunks.size(), 1u);
  EXPECT_EQ(out.Bytes(), chunks[0]);
  EXPECT_FALSE(out.Empty());
  EXPECT_LT(out.Length(), 3000);
  EXPECT_EQ(out.Bytes(), Pattern(out.Length()));
}

TEST_F(RunnerUnderWine, OldSystemVersionAsksForCommandCom) {
  // Wine has no command.com, so the start fails and the result is empty.
  const std::u16string folder = SystemFolderPath();
  ASSERT_FALSE(folder.empty());
  const std::wstring commandCom = std::wstring(folder.begin(), folder.end()) + L"\\command.com";
  ASSERT_EQ(GetFileAttributesW(commandCom.c_str()), INVALID_FILE_ATTRIBUTES);

  OsVersion = PackOsVersion(5, 0);
  EXPECT_TRUE(RunCaptured("echo hello").Empty());
  OsVersion = PackOsVersion(5, 1);
  EXPECT_EQ(RunCaptured("echo hello").Bytes(), "hello\r\n");
}

TEST_F(RunnerUnderWine, TimeLimitEndsTheCommandAndEverythingItStarted) {
  // A minute of sleep in two processes, cmd's child and its own child; 3 s allowed.
  const Text out = RunCaptured("dial_sleeper 60000 spawn", nullptr, 3000);
  std::istringstream lines(out.Bytes());
  std::vector<DWORD> pids;
  std::string word;
  while (lines >> word) {
    EXPECT_NE(word, "slept") << "a sleeper ran to its end";
    if (word == "pid") {
      DWORD pid = 0;
      lines >> pid;
      pids.push_back(pid);
    }
  }
  ASSERT_EQ(pids.size(), 2u) << out.Bytes();
  for (DWORD pid : pids) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) continue;  // gone already
    EXPECT_EQ(WaitForSingleObject(process, 10000), WAIT_OBJECT_0) << "pid " << pid << " lives";
    CloseHandle(process);
  }
}

}  // namespace
