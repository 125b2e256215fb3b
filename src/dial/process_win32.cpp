// The process seam on Windows: pipes, hidden console children in a job of their own, and the
// plain process start of the ping button.
#include "dial/process.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <vector>

#if defined(_WIN32) && !defined(_WIN64)
// The records the child is started with have these sizes on the 32-bit product.
static_assert(sizeof(STARTUPINFOW) == 68);
static_assert(sizeof(STARTUPINFOA) == 68);
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12);
#endif

namespace {

HANDLE ToHandle(OsHandle h) { return reinterpret_cast<HANDLE>(h); }
OsHandle FromHandle(HANDLE h) { return reinterpret_cast<OsHandle>(h); }

// Owns one handle until it is closed or handed on.
struct UniqueHandle {
  HANDLE value = nullptr;
  explicit UniqueHandle(HANDLE h) : value(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }
  void Reset() {
    if (value != nullptr) CloseHandle(value);
    value = nullptr;
  }
  OsHandle Release() {
    HANDLE h = value;
    value = nullptr;
    return FromHandle(h);
  }
};

SECURITY_ATTRIBUTES InheritableAttributes() {
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof(sa);
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;
  return sa;
}

}  // namespace

bool CreateInheritablePipe(OsHandle& readEnd, OsHandle& writeEnd) {
  SECURITY_ATTRIBUTES sa = InheritableAttributes();
  HANDLE r = nullptr;
  HANDLE w = nullptr;
  if (!CreatePipe(&r, &w, &sa, 0)) return false;
  readEnd = FromHandle(r);
  writeEnd = FromHandle(w);
  return true;
}

std::u16string SystemFolderPath() {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_SYSTEM, FALSE)) return std::u16string();
  std::u16string path;
  for (const wchar_t* p = folder; *p != L'\0'; ++p) path.push_back(static_cast<char16_t>(*p));
  return path;
}

bool StartHiddenChild(const std::u16string& applicationName, const ByteString& commandLine,
                      OsHandle stdinHandle, OsHandle outputHandle, ChildProcess& child) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = ToHandle(stdinHandle);
  startup.hStdOutput = ToHandle(outputHandle);
  startup.hStdError = ToHandle(outputHandle);
  SECURITY_ATTRIBUTES processAttributes = InheritableAttributes();

  std::wstring application(applicationName.begin(), applicationName.end());
  // CreateProcessW may write into the command line; one more zero unit in case the caller's
  // line was cut without one.
  const std::size_t units = static_cast<std::size_t>(commandLine.Length()) / 2;
  std::vector<wchar_t> line(units + 1, L'\0');
  std::memcpy(line.data(), commandLine.Data(), units * sizeof(wchar_t));

  // Started suspended so that nothing it starts can escape the job before it is in it.
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  const DWORD flags = job.value != nullptr ? CREATE_SUSPENDED : 0;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(application.c_str(), line.data(), &processAttributes, nullptr, TRUE, flags,
                      nullptr, nullptr, &startup, &info)) {
    return false;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  // Before Windows 8 a process that is already in a job cannot join another one; the
  // child then runs without one and only it can be ended.
  if (job.value != nullptr && !AssignProcessToJobObject(job.value, process.value)) job.Reset();
  if (flags & CREATE_SUSPENDED) ResumeThread(thread.value);

  child.process = process.Release();
  child.thread = thread.Release();
  child.job = job.Release();
  return true;
}

void CloseOsHandle(OsHandle handle) { CloseHandle(ToHandle(handle)); }

void WaitForChildInputIdle(OsHandle process, int milliseconds) {
  WaitForInputIdle(ToHandle(process), static_cast<DWORD>(milliseconds));
}

int PipeBytesWaiting(OsHandle readEnd) {
  DWORD available = 0;
  if (!PeekNamedPipe(ToHandle(readEnd), nullptr, 0, nullptr, &available, nullptr)) return -1;
  return available > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(available);
}

int ReadPipe(OsHandle readEnd, unsigned char* buffer, int count) {
  DWORD got = 0;
  if (count <= 0 || !ReadFile(ToHandle(readEnd), buffer, static_cast<DWORD>(count), &got, nullptr)) {
    return 0;
  }
  return static_cast<int>(got);
}

std::uint32_t ChildExitCode(OsHandle process) {
  DWORD code = 0;
  if (!GetExitCodeProcess(ToHandle(process), &code)) return 0;
  return code;
}

void EndChildTree(const ChildProcess& child) {
  if (child.job == 0 || !TerminateJobObject(ToHandle(child.job), 1)) {
    TerminateProcess(ToHandle(child.process), 1);
  }
  // Termination completes in the background; give it a moment so that the last read sees
  // everything the tree wrote before it went.
  WaitForSingleObject(ToHandle(child.process), 1000);
}

void PauseMilliseconds(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

std::uint32_t TickCountMilliseconds() { return GetTickCount(); }

bool RunProgram(const Text& commandLine, bool wait, int showMode) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showMode);
  std::vector<char> line(commandLine.Bytes().begin(), commandLine.Bytes().end());
  line.push_back('\0');
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);
  if (wait) {
    WaitForSingleObject(process.value, INFINITE);
  } else {
    WaitForInputIdle(process.value, 1000);
  }
  return true;
}
