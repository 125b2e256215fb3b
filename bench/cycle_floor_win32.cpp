// The floor for one request cycle: the same platform work the program does for a request,
// done back to back with nothing around it. Two console commands through the system
// folder's cmd.exe with a captured pipe (the hang-up and the dial command lines), one ICMP
// echo, one WinInet GET of the lookup page. Prints the milliseconds of each round.
//
//   cycle_floor_win32 ROUNDS ENTRY USER PASSWORD PING_ADDRESS URL_HOST URL_PATH
#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <iphlpapi.h>
#include <icmpapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Widen(const std::string& s) {
  int n = MultiByteToWideChar(936, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, s.c_str(), -1, w.data(), n);
  w.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return w;
}

// Runs "cmd.exe /c COMMAND" hidden with its output on a pipe, and reads it to the end.
std::size_t RunConsole(const std::wstring& interpreter, const std::string& command) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return 0;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  si.wShowWindow = SW_HIDE;
  si.hStdOutput = si.hStdError = writeEnd;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring line = L" /c " + Widen(command);
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(interpreter.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::size_t total = 0;
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) total += got;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return total;
}

std::size_t FetchPage(const char* host, const char* path) {
  std::size_t total = 0;
  HINTERNET session = InternetOpenA("floor", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = session ? InternetConnectA(session, host, 8081, nullptr, nullptr,
                                                    INTERNET_SERVICE_HTTP, 0, 0) : nullptr;
  HINTERNET request = connection ? HttpOpenRequestA(connection, "GET", path, "HTTP/1.1", nullptr, nullptr,
                                                    INTERNET_FLAG_RELOAD, 0) : nullptr;
  if (request && HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
    char buffer[1024];
    DWORD got = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) total += got;
  }
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (session) InternetCloseHandle(session);
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 8) return 2;
  int rounds = std::atoi(argv[1]);
  std::string entry = argv[2], user = argv[3], password = argv[4];
  wchar_t system[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, system, CSIDL_SYSTEM, FALSE);
  std::wstring interpreter = std::wstring(system) + L"\\cmd.exe";
  WSADATA wsa;
  WSAStartup(MAKEWORD(1, 1), &wsa);
  HANDLE icmp = IcmpCreateFile();
  IPAddr address = inet_addr(argv[5]);
  char reply[sizeof(ICMP_ECHO_REPLY) + 8];

  for (int i = 0; i < rounds; ++i) {
    auto start = std::chrono::steady_clock::now();
    std::size_t output = RunConsole(interpreter, "cmd /c rasdial " + entry + " /disconnect");
    output += RunConsole(interpreter, "cmd /c rasdial " + entry + " " + user + " " + password);
    DWORD echoes = IcmpSendEcho(icmp, address, nullptr, 0, nullptr, reply, sizeof reply, 1000);
    std::size_t page = FetchPage(argv[6], argv[7]);
    auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f %zu %lu %zu\n", ms, output, static_cast<unsigned long>(echoes), page);
    std::fflush(stdout);
  }
  IcmpCloseHandle(icmp);
  WSACleanup();
  return 0;
}
