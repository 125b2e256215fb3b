// The program's entry: options, process-wide settings, the main window, the message loop.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "app/mainwindow.h"
#include "app/options.h"
#include "service/lookup_hosts.h"

namespace {

Text ArgumentText(const wchar_t* w) {
  int n = WideCharToMultiByte(936, 0, w, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return Text();
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(936, 0, w, -1, s.data(), n, nullptr, nullptr);
  return Text(s);
}

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
  int n = MultiByteToWideChar(936, 0, text.CStr(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, text.CStr(), -1, w.data(), n);
  MessageBoxW(nullptr, w.c_str(), L"dialserver", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<Text> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(ArgumentText(argv[i]));
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
