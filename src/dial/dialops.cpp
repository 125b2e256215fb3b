// The dial operations. Field values go into the command lines as the operator typed them,
// unquoted: spaces split arguments and the interpreter's special characters take effect.
// rasdial's output is shown, never interpreted, so success and failure write the same
// fields.
#include "dial/dialops.h"

#include "app/window.h"
#include "dial/process.h"
#include "dial/runner.h"
#include "dial/timing.h"
#include "text/convert.h"

namespace {

constexpr const char* kRasdial = "cmd /c rasdial ";

enum class DialCommands { Dial, HangUp, HangUpThenDial };

// The three dial buttons differ only in their task code and in the commands they time.
void RunDialTask(const char* taskCode, DialCommands commands) {
  SetFieldText(Field::TaskCode, taskCode);
  SetFieldText(Field::StartTime, ToText(Now()));
  StartTiming();
  if (commands == DialCommands::Dial) {
    SetFieldText(Field::DialLog, Dial());
  } else {
    SetFieldText(Field::DialLog, HangUp());
    if (commands == DialCommands::HangUpThenDial) AppendFieldText(Field::DialLog, Dial());
  }
  FinishTiming();
  SetFieldText(Field::EndTime, ToText(Now()));
}

}  // namespace

Text HangUp() {
  const Text entry = GetFieldText(Field::EntryName);
  return RunCaptured(ConcatText({kRasdial, entry, " /disconnect"}));
}

Text Dial() {
  const Text entry = GetFieldText(Field::EntryName);
  const Text user = GetFieldText(Field::UserName);
  const Text password = GetFieldText(Field::Password);
  return RunCaptured(ConcatText({kRasdial, entry, " ", user, " ", password}));
}

void OnConnectButton() { RunDialTask("1", DialCommands::Dial); }

void OnDisconnectButton() { RunDialTask("2", DialCommands::HangUp); }

void OnReconnectButton() { RunDialTask("3", DialCommands::HangUpThenDial); }

// The console takes the interpreter's name as its first word, so it needs the space after
// "cmd": "cmd/c ping" names no program and the button would start nothing.
void OnPingButton() {
  RunProgram(ConcatText({"cmd /c ping ", GetFieldText(Field::CurrentHostBox)}), false);
}
