// The program's entry: options, process-wide settings, the main window, the message loop.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/mainwindow.h"
#include "app/wide936.h"
#include "app/options.h"
#include "service/lookup_hosts.h"

namespace {

// A GUI program has no console of its own: write to the standard error it inherited, or
// to the starting console, and show a message box only when there is neither.
void ShowUsage(const Text& text) {
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (err == nullptr || err == INVALID_HANDLE_VALUE) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) err = GetStdHandle(STD_ERROR_HANDLE);
  }
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE &&
      WriteFile(err, text.CStr(), static_cast<DWORD>(text.Length()), &written, nullptr)) {
    return;
  }
  MessageBoxW(nullptr, ToWide936(text).c_str(), L"dialserver", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<Text> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(FromWide936(argv[i]));
  if (argv) LocalFree(argv);

  Options options;
  if (!ParseOptions(args, options)) {
    ShowUsage(UsageText());
    return 2;
  }
  if (options.helpAsked) {
    ShowUsage(UsageText());
    return 0;
  }

  StartUp();
  ConfigureLookupHosts(options.primaryHost, options.secondaryHost);
  if (!CreateMainWindow(options.port)) return 1;
  return RunMessageLoop();
}
