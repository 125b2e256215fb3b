// The main window: its controls, the field operations, and the window procedure that
// routes button clicks and socket notifications to their handlers.
//
// The window uses the wide-character API and converts with code page 936 at this boundary
// (app/wide936.h), so the captions and fields show Chinese correctly on a Windows of any
// language.
#include <windows.h>

#include <string>

#include "app/controls.h"
#include "app/mainwindow.h"
#include "app/wide936.h"
#include "dial/dialops.h"
#include "service/cycle.h"
#include "service/server.h"

namespace {

constexpr wchar_t kClassName[] = L"DialServerMainWindow";

HWND mainWindow = nullptr;
HFONT guiFont = nullptr;

HWND Control(int id) { return mainWindow ? GetDlgItem(mainWindow, id) : nullptr; }

std::wstring WindowTextOf(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
  n = GetWindowTextW(hwnd, w.data(), n + 1);
  w.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return w;
}

void CreateControls(HWND parent) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlSpec& c : kControls) {
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (c.kind) {
      case ControlKind::Label:
        style |= SS_LEFT;
        break;
      case ControlKind::Edit:
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    }
    HWND h = CreateWindowExW(exStyle, cls, ToWide936(c.initialText).c_str(), style, c.left, c.top,
                             c.width, c.height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont), FALSE);
    // No length limit of the field's own: the largest the platform allows.
    if (c.kind == ControlKind::Edit) SendMessageW(h, EM_SETLIMITTEXT, 0, 0);
  }
}

void OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kConnectButtonId: OnConnectButton(); break;
    case kDisconnectButtonId: OnDisconnectButton(); break;
    case kReconnectButtonId: OnReconnectButton(); break;
    case kPingButtonId: OnPingButton(); break;
    default: break;
  }
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (HandleServerMessage(message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam))) {
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_DESTROY:
      StopRequestServer();
      mainWindow = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

// The window binds the request server's events to the request service's handlers;
// ClientLeft has no handler.
void OnServerEvent(ServerEvent event) {
  switch (event) {
    case ServerEvent::ClientEntered: OnClientEntered(); break;
    case ServerEvent::DataArrived: OnDataArrived(); break;
    case ServerEvent::ClientLeft: break;
  }
}

bool CreateMainWindow(int port) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return false;

  // Fixed frame: caption, system menu with close box, minimise; no maximise, no sizing.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kMainHeight) / 2;
  HWND hwnd = CreateWindowExW(0, kClassName, ToWide936(kMainCaption).c_str(), style, left, top,
                              kMainWidth, kMainHeight, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return false;
  mainWindow = hwnd;
  CreateControls(hwnd);

  if (!StartRequestServer(hwnd, port)) {
    // The program goes on without a listener, but says so where the operator looks.
    Text notice = ConcatText({kMainCaption, " - \xB6\xCB\xBF\xDA", std::to_string(port),
                              "\xCE\xDE\xB7\xA8\xBC\xE0\xCC\xFD"});  // " - 端口N无法监听"
    SetWindowTextW(hwnd, ToWide936(notice).c_str());
  }

  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  return true;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(mainWindow, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}

Text GetFieldText(Field field) {
  HWND h = Control(FieldControlId(field));
  return h ? FromWide936(WindowTextOf(h)) : Text();
}

void SetFieldText(Field field, const Text& text) {
  if (HWND h = Control(FieldControlId(field))) SetWindowTextW(h, ToWide936(text).c_str());
}

void AppendFieldText(Field field, const Text& text) {
  HWND h = Control(FieldControlId(field));
  if (!h) return;
  // Caret to the end with an empty selection, scroll it into view, then insert there as a
  // replacement of that empty selection that cannot be undone.
  WPARAM end = static_cast<WPARAM>(GetWindowTextLengthW(h));
  SendMessageW(h, EM_SETSEL, end, static_cast<LPARAM>(end));
  SendMessageW(h, EM_SCROLLCARET, 0, 0);
  std::wstring w = ToWide936(text);
  SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(w.c_str()));
}

void SetLabelCaption(Label label, const Text& text) {
  if (HWND h = Control(LabelControlId(label))) SetWindowTextW(h, ToWide936(text).c_str());
}
