// The dial operations under Wine: the real interpreter runs the rasdial stand-in, whose log
// shows the arguments the command lines really delivered; and the ping button's plain
// process start.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/globals.h"
#include "app/window.h"
#include "dial/dialops.h"
#include "dial/process.h"
#include "text/convert.h"

// Win32 test programs link no doubles; these tests need fields to read the dial commands'
// values from, not the real window, so they take the in-memory window.
#include "fakes/window_fake.cpp"

namespace {

// "宽带连接"
const std::string kEntry = "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3";
// 命令已完成。 CR LF
const std::string kDone = "\xC3\xFC\xC1\xEE\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3\r\n";
// 没有连接 CR LF
const std::string kNoConnections = "\xC3\xBB\xD3\xD0\xC1\xAC\xBD\xD3\r\n";
// 正在连接到 , 已连接 , 正在断开
const std::string kConnecting = "\xD5\xFD\xD4\xDA\xC1\xAC\xBD\xD3\xB5\xBD ";
const std::string kConnected = "\xD2\xD1\xC1\xAC\xBD\xD3 ";
const std::string kDisconnecting = "\xD5\xFD\xD4\xDA\xB6\xCF\xBF\xAA ";

std::string LinuxBuild() {
  const char* path = std::getenv("DS_FIXTURES");
  return path != nullptr ? path : "";
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string path = "Z:";
  for (char c : linuxPath) path.push_back(c == '/' ? '\\' : c);
  return path;
}

const std::string kLogName = "/dial_ops_test_rasdial.log";

std::string ReadFileBytes(const std::string& linuxPath) {
  std::ifstream in(WindowsPath(linuxPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void SetVariable(const char* name, const std::string& value) {
  SetEnvironmentVariableA(name, value.c_str());
}

class DialUnderWine : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(LinuxBuild().empty());
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof(path));
    SetVariable("PATH", WindowsPath(LinuxBuild()) + ";" + path);
    SetVariable("DS_RASDIAL_LOG", WindowsPath(LinuxBuild() + kLogName));
  }
  void SetUp() override {
    ProcessCodePage = 936;
    OsVersion = PackOsVersion(6, 1);
    DeleteFileA(WindowsPath(LinuxBuild() + kLogName).c_str());
    SetEnvironmentVariableA("DS_RASDIAL_DELAY_MS", nullptr);
    SetEnvironmentVariableA("DS_RASDIAL_HANGUP_DELAY_MS", nullptr);
    ResetFakeWindow();
    SetFieldText(Field::EntryName, kEntry);
    SetFieldText(Field::UserName, "QTRW4287");
    SetFieldText(Field::Password, "250473");
  }
  std::string RasdialLog() { return ReadFileBytes(LinuxBuild() + kLogName); }
};

TEST_F(DialUnderWine, HangUpAndDialRunRasdialWithTheFieldsAsTyped) {
  struct Case {
    std::string entry, user, password;
    std::string firstArgument;  // the entry as rasdial saw it
    std::string log;
  };
  const Case cases[] = {
      {kEntry, "QTRW4287", "250473", kEntry,
       kEntry + "\t/disconnect\n" + kEntry + "\tQTRW4287\t250473\n"},
      // Spaces split the fields into more arguments.
      {"my vpn", "user name", "pw", "my", "my\tvpn\t/disconnect\nmy\tvpn\tuser\tname\tpw\n"},
  };
  for (const Case& c : cases) {
    SetUp();
    SetFieldText(Field::EntryName, c.entry);
    SetFieldText(Field::UserName, c.user);
    SetFieldText(Field::Password, c.password);
    EXPECT_EQ(HangUp().Bytes(), kNoConnections + kDone);
    const std::string dialled = Dial().Bytes();
    EXPECT_EQ(dialled.rfind(kConnecting + c.firstArgument + "...\r\n", 0), 0u) << dialled;
    EXPECT_NE(dialled.find(kConnected + c.firstArgument), std::string::npos) << dialled;
    EXPECT_EQ(RasdialLog(), c.log);
  }
}

TEST_F(DialUnderWine, InterpreterCharactersInAFieldTakeEffect) {
  SetFieldText(Field::Password, "pw&echo injected");
  const std::string dialled = Dial().Bytes();
  EXPECT_NE(dialled.find("injected\r\n"), std::string::npos) << dialled;
  EXPECT_EQ(RasdialLog(), kEntry + "\tQTRW4287\tpw\n");
}

TEST_F(DialUnderWine, ButtonsShowRasdialAndTheTimes) {
  SetVariable("DS_RASDIAL_DELAY_MS", "300");
  SetVariable("DS_RASDIAL_HANGUP_DELAY_MS", "200");
  // 年, the date part of both time fields
  const std::string year = "\xC4\xEA";

  OnConnectButton();
  EXPECT_EQ(GetFieldText(Field::TaskCode).Bytes(), "1");
  const std::string connectLog = GetFieldText(Field::DialLog).Bytes();
  EXPECT_EQ(connectLog.rfind(kConnecting + kEntry, 0), 0u) << connectLog;
  EXPECT_GE(ToInt(GetFieldText(Field::Elapsed)), 300);

  OnReconnectButton();
  EXPECT_EQ(GetFieldText(Field::TaskCode).Bytes(), "3");
  const std::string reconnectLog = GetFieldText(Field::DialLog).Bytes();
  // The hang-up's message, then straight after it the dial's.
  const std::string hangUpPart = kDisconnecting + kEntry;
  EXPECT_EQ(reconnectLog.rfind(hangUpPart, 0), 0u) << reconnectLog;
  const std::size_t dialAt = reconnectLog.find(kDone + kConnecting + kEntry);
  EXPECT_NE(dialAt, std::string::npos) << reconnectLog;
  EXPECT_GE(ToInt(GetFieldText(Field::Elapsed)), 500);

  OnDisconnectButton();
  EXPECT_EQ(GetFieldText(Field::TaskCode).Bytes(), "2");
  EXPECT_EQ(GetFieldText(Field::DialLog).Bytes().rfind(hangUpPart, 0), 0u);
  EXPECT_GE(ToInt(GetFieldText(Field::Elapsed)), 200);
  EXPECT_NE(GetFieldText(Field::StartTime).Bytes().find(year), std::string::npos);
  EXPECT_NE(GetFieldText(Field::EndTime).Bytes().find(year), std::string::npos);

  EXPECT_EQ(RasdialLog(), kEntry + "\tQTRW4287\t250473\n" + kEntry + "\t/disconnect\n" + kEntry +
                              "\tQTRW4287\t250473\n" + kEntry + "\t/disconnect\n");
}

// Waits a bounded while for a file that another process writes.
std::string AwaitFile(const std::string& linuxPath) {
  for (int i = 0; i < 200; ++i) {
    const std::string bytes = ReadFileBytes(linuxPath);
    if (!bytes.empty()) return bytes;
    Sleep(50);
  }
  return std::string();
}

TEST_F(DialUnderWine, RunProgramStartsAConsoleProgram) {
  const std::string out = LinuxBuild() + "/dial_ops_test_program.txt";
  DeleteFileA(WindowsPath(out).c_str());
  EXPECT_TRUE(RunProgram(ConcatText({"cmd /c echo ran> ", WindowsPath(out)})));
  EXPECT_EQ(AwaitFile(out), "ran\r\n");

  EXPECT_FALSE(RunProgram("Z:\\no\\such\\program.exe"));
}

}  // namespace
