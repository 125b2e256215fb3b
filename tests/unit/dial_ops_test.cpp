#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/window.h"
#include "dial/dialops.h"
#include "fakes/clock_fake.h"
#include "fakes/process_fake.h"
#include "fakes/window_fake.h"

namespace {

// "宽带连接"
const char* const kEntry = "\xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3";
const std::u16string kEntryUnits = u"\u5BBD\u5E26\u8FDE\u63A5";
// "没有连接" CR LF "命令已完成。" CR LF
const std::string kHangUpOutput =
    "\xC3\xBB\xD3\xD0\xC1\xAC\xBD\xD3\r\n\xC3\xFC\xC1\xEE\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3\r\n";
// "已连接 宽带连接。" CR LF "命令已完成。" CR LF
const std::string kDialOutput =
    "\xD2\xD1\xC1\xAC\xBD\xD3 \xBF\xED\xB4\xF8\xC1\xAC\xBD\xD3\xA1\xA3\r\n"
    "\xC3\xFC\xC1\xEE\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3\r\n";

constexpr int kHangUpMs = 1200;
constexpr int kDialMs = 2300;

std::u16string CommandOf(const FakeStartRecord& start) {
  std::u16string units;
  for (int i = 0; i + 1 < start.commandLine.Length(); i += 2) {
    const auto u = static_cast<char16_t>(start.commandLine.Data()[i] |
                                         (start.commandLine.Data()[i + 1] << 8));
    if (u == u'\0') break;
    units.push_back(u);
  }
  return units;
}

std::vector<std::u16string> Commands() {
  std::vector<std::u16string> commands;
  for (const FakeStartRecord& start : FakeStarts()) commands.push_back(CommandOf(start));
  return commands;
}

// rasdial takes its time while the clocks run on.
void ClockRunsWithTheCommand(const FakeStartRecord& start) {
  const bool hangUp = CommandOf(start).find(u"/disconnect") != std::u16string::npos;
  AdvanceFakeClock(hangUp ? kHangUpMs : kDialMs);
}

FakeChild Prints(const std::string& output) {
  FakeChild child;
  if (!output.empty()) child.writes.push_back({0, output});
  return child;
}

class DialOps : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeWindow();
    ResetFakeProcess();
    ProcessCodePage = 936;
    OsVersion = 0x0601;
    LocalClockReading start;
    start.year = 2024;
    start.month = 11;
    start.day = 1;
    start.hour = 8;
    start.minute = 5;
    start.second = 3;
    start.milliseconds = 250;
    SetFakeClock(start, 40'000);
    SetFakeStartHook(ClockRunsWithTheCommand);

    SetFieldText(Field::EntryName, kEntry);
    SetFieldText(Field::UserName, "QTRW4287");
    SetFieldText(Field::Password, "250473");
    SetFieldText(Field::TaskCode, "9");
    SetFieldText(Field::StartTime, "before");
    SetFieldText(Field::EndTime, "before");
    SetFieldText(Field::Elapsed, "-1");
    SetFieldText(Field::DialLog, "old log");
  }
  void TearDown() override {
    ResetFakeClock();
    EXPECT_TRUE(FakeOpenHandles().empty());
  }
};

const std::u16string kHangUpCommand = u" /c cmd /c rasdial " + kEntryUnits + u" /disconnect";
const std::u16string kDialCommand = u" /c cmd /c rasdial " + kEntryUnits + u" QTRW4287 250473";

TEST_F(DialOps, ButtonsWriteTheirStepsAndTimeTheirCommands) {
  struct Case {
    const char* name;
    void (*press)();
    const char* taskCode;
    std::vector<std::string> outputs;
    std::vector<std::u16string> commands;
    std::string dialLog;
    const char* elapsed;
    const char* endTime;
  };
  // 2024年11月1日8时5分 and the seconds
  const std::string minute = "2024\xC4\xEA" "11\xD4\xC2" "1\xC8\xD5" "8\xCA\xB1" "5\xB7\xD6";
  const std::string seconds = "\xC3\xEB";
  const Case cases[] = {
      {"connect", OnConnectButton, "1", {kDialOutput}, {kDialCommand}, kDialOutput, "2300",
       "5"},
      {"disconnect", OnDisconnectButton, "2", {kHangUpOutput}, {kHangUpCommand},
       kHangUpOutput, "1200", "4"},
      {"reconnect", OnReconnectButton, "3", {kHangUpOutput, kDialOutput},
       {kHangUpCommand, kDialCommand}, kHangUpOutput + kDialOutput, "3500", "6"},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const std::string& output : c.outputs) QueueFakeChild(Prints(output));
    c.press();
    EXPECT_EQ(Commands(), c.commands) << c.name;
    EXPECT_EQ(GetFieldText(Field::TaskCode).Bytes(), c.taskCode) << c.name;
    EXPECT_EQ(GetFieldText(Field::DialLog).Bytes(), c.dialLog) << c.name;
    EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), c.elapsed) << c.name;
    // 08:05:03.250 before the commands, and after them the seconds they took.
    EXPECT_EQ(GetFieldText(Field::StartTime).Bytes(), minute + "3" + seconds) << c.name;
    EXPECT_EQ(GetFieldText(Field::EndTime).Bytes(), minute + c.endTime + seconds) << c.name;
  }
}

TEST_F(DialOps, SilentCommandsLeaveTheLogAsTheyFoundIt) {
  struct Case {
    const char* name;
    void (*press)();
    std::vector<std::string> outputs;
    std::string dialLog;
  };
  const Case cases[] = {
      {"connect, dial prints nothing", OnConnectButton, {""}, ""},
      {"disconnect, hang-up prints nothing", OnDisconnectButton, {""}, ""},
      {"reconnect, dial prints nothing", OnReconnectButton, {"bye", ""}, "bye"},
      {"reconnect, hang-up prints nothing", OnReconnectButton, {"", "hi"}, "hi"},
  };
  for (const Case& c : cases) {
    SetUp();
    for (const std::string& output : c.outputs) QueueFakeChild(Prints(output));
    c.press();
    EXPECT_EQ(GetFieldText(Field::DialLog).Bytes(), c.dialLog) << c.name;
    // The rest is written all the same.
    EXPECT_NE(GetFieldText(Field::Elapsed).Bytes(), "-1") << c.name;
    EXPECT_NE(GetFieldText(Field::EndTime).Bytes(), "before") << c.name;
  }
}

TEST_F(DialOps, CommandsCarryTheFieldsAsTyped) {
  struct Case {
    const char* entry;
    const char* user;
    const char* password;
    std::u16string hangUp;
    std::u16string dial;
  };
  const Case cases[] = {
      {kEntry, "QTRW4287", "250473", kHangUpCommand, kDialCommand},
      {"", "", "", u" /c cmd /c rasdial  /disconnect", u" /c cmd /c rasdial   "},
      {"my vpn", "user name", "p&w", u" /c cmd /c rasdial my vpn /disconnect",
       u" /c cmd /c rasdial my vpn user name p&w"},
      {"a^b", "|", "> x", u" /c cmd /c rasdial a^b /disconnect",
       u" /c cmd /c rasdial a^b | > x"},
  };
  for (const Case& c : cases) {
    ResetFakeProcess();
    SetFieldText(Field::EntryName, c.entry);
    SetFieldText(Field::UserName, c.user);
    SetFieldText(Field::Password, c.password);
    QueueFakeChild(Prints("hung up"));
    QueueFakeChild(Prints("dialled"));
    EXPECT_EQ(HangUp().Bytes(), "hung up");
    EXPECT_EQ(Dial().Bytes(), "dialled");
    EXPECT_EQ(Commands(), (std::vector<std::u16string>{c.hangUp, c.dial})) << c.entry;
  }
}

TEST_F(DialOps, PingButtonOpensAConsoleAndWritesNothing) {
  struct Case {
    const char* host;
    bool startFails;
    const char* commandLine;
  };
  const Case cases[] = {
      {"127.0.0.1", false, "cmd /c ping 127.0.0.1"},
      {"", false, "cmd /c ping "},
      {"lookup.invalid", true, "cmd /c ping lookup.invalid"},
  };
  for (const Case& c : cases) {
    SetUp();
    SetFakeProgramStartFails(c.startFails);
    SetFieldText(Field::CurrentHostBox, c.host);
    OnPingButton();
    ASSERT_EQ(FakeProgramRuns().size(), 1u) << c.host;
    EXPECT_EQ(FakeProgramRuns()[0].commandLine.Bytes(), c.commandLine);
    EXPECT_FALSE(FakeProgramRuns()[0].wait);
    EXPECT_EQ(FakeProgramRuns()[0].showMode, 1);
    EXPECT_TRUE(FakeStarts().empty());
    EXPECT_EQ(GetFieldText(Field::TaskCode).Bytes(), "9");
    EXPECT_EQ(GetFieldText(Field::DialLog).Bytes(), "old log");
    EXPECT_EQ(GetFieldText(Field::Elapsed).Bytes(), "-1");
  }
}

}  // namespace
