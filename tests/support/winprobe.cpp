#include "support/winprobe.h"

#include <commctrl.h>

#include <cstring>

#include <vector>

#include "support/waitfor.h"

namespace {
constexpr DWORD PollMs = 50;
// A window that does not answer a message within this time counts as hung.
constexpr UINT ReplyMs = 2000;
constexpr size_t StatusTextSlack = 4096;

BOOL CALLBACK CollectWindow(HWND Window, LPARAM List) {
  reinterpret_cast<std::vector<HWND>*>(List)->push_back(Window);
  return TRUE;
}

std::vector<HWND> TopWindows() {
  std::vector<HWND> List;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&List));
  return List;
}

// Children, grandchildren and so on.
std::vector<HWND> Descendants(HWND Top) {
  std::vector<HWND> List;
  EnumChildWindows(Top, CollectWindow, reinterpret_cast<LPARAM>(&List));
  return List;
}

DWORD ProcessOf(HWND Window) {
  DWORD ProcessId = 0;
  GetWindowThreadProcessId(Window, &ProcessId);
  return ProcessId;
}

std::string ClassOf(HWND Window) {
  char Name[256];
  return std::string(Name, GetClassNameA(Window, Name, sizeof Name));
}

std::string ComponentName(HWND Window) {
  const ATOM Atom = ATOM(reinterpret_cast<ULONG_PTR>(GetPropA(Window, "ControlName")));
  if (Atom == 0) { return {}; }
  char Name[256];
  return std::string(Name, GlobalGetAtomNameA(Atom, Name, sizeof Name));
}

LRESULT SendWithTimeout(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam, LRESULT Failed) {
  DWORD_PTR Result = 0;
  if (!SendMessageTimeoutA(Window, Message, WParam, LParam, SMTO_ABORTIFHUNG, ReplyMs, &Result)) {
    return Failed;
  }
  return LRESULT(Result);
}

// Sends a message whose answer the window writes through the LParam pointer
// (messages the system does not copy between processes): the buffer lives in
// the window's process, and Buffer receives its content.
bool ReadThroughProcess(HWND Window, UINT Message, WPARAM WParam, std::string& Buffer) {
  HANDLE Process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, ProcessOf(Window));
  if (Process == nullptr) { return false; }
  bool Read = false;
  void* Remote = VirtualAllocEx(Process, nullptr, Buffer.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (Remote != nullptr) {
    DWORD_PTR Result = 0;
    Read = SendMessageTimeoutA(Window, Message, WParam, reinterpret_cast<LPARAM>(Remote), SMTO_ABORTIFHUNG,
                               ReplyMs, &Result) &&
           ReadProcessMemory(Process, Remote, Buffer.data(), Buffer.size(), nullptr);
    VirtualFreeEx(Process, Remote, 0, MEM_RELEASE);
  }
  CloseHandle(Process);
  return Read;
}
}  // namespace

HWND WaitForTopWindow(const std::string& Caption, DWORD TimeoutMs, DWORD ProcessId) {
  return WaitFor([&]() -> HWND {
    for (HWND Window : TopWindows()) {
      if (IsWindowVisible(Window) && (ProcessId == 0 || ProcessOf(Window) == ProcessId) &&
          WindowText(Window) == Caption) {
        return Window;
      }
    }
    return nullptr;
  }, TimeoutMs, PollMs);
}

HWND FindControl(HWND Top, const std::string& Name) {
  for (HWND Child : Descendants(Top)) {
    if (ComponentName(Child) == Name) { return Child; }
  }
  return nullptr;
}

HWND FindChildByText(HWND Top, const std::string& ClassName, const std::string& Text) {
  for (HWND Child : Descendants(Top)) {
    if (lstrcmpiA(ClassOf(Child).c_str(), ClassName.c_str()) == 0 && WindowText(Child) == Text) {
      return Child;
    }
  }
  return nullptr;
}

std::string WindowText(HWND Window) {
  const LRESULT Length = SendWithTimeout(Window, WM_GETTEXTLENGTH, 0, 0, 0);
  std::string Text(size_t(Length) + 1, '\0');
  const LRESULT Copied =
      SendWithTimeout(Window, WM_GETTEXT, Text.size(), reinterpret_cast<LPARAM>(Text.data()), 0);
  Text.resize(size_t(Copied));
  return Text;
}

std::string StatusPanelText(HWND StatusBar, int Panel) {
  // SB_GETTEXTA takes no buffer size, and the text may grow between the two
  // messages: room to spare, and the text ends at its NUL.
  const LRESULT LengthAndType = SendWithTimeout(StatusBar, SB_GETTEXTLENGTHA, Panel, 0, 0);
  std::string Text(size_t(LOWORD(LengthAndType)) + StatusTextSlack, '\0');
  if (ProcessOf(StatusBar) == GetCurrentProcessId()) {
    // A status bar of this process writes straight into ours.
    SendWithTimeout(StatusBar, SB_GETTEXTA, Panel, reinterpret_cast<LPARAM>(Text.data()), 0);
  } else if (!ReadThroughProcess(StatusBar, SB_GETTEXTA, Panel, Text)) {
    return {};
  }
  Text.resize(Text.find('\0'));
  return Text;
}

RECT StatusPanelRect(HWND StatusBar, int Panel) {
  RECT Rect{};
  if (ProcessOf(StatusBar) == GetCurrentProcessId()) {
    SendWithTimeout(StatusBar, SB_GETRECT, Panel, reinterpret_cast<LPARAM>(&Rect), 0);
    return Rect;
  }
  std::string Buffer(sizeof Rect, '\0');
  if (ReadThroughProcess(StatusBar, SB_GETRECT, Panel, Buffer)) { std::memcpy(&Rect, Buffer.data(), sizeof Rect); }
  return Rect;
}

bool IsEnabled(HWND Window) { return IsWindowEnabled(Window) != FALSE; }

bool IsShown(HWND Window) { return IsWindowVisible(Window) != FALSE; }

int CheckState(HWND Button) { return int(SendWithTimeout(Button, BM_GETCHECK, 0, 0, BST_UNCHECKED)); }

int TabIndex(HWND TabControl) { return int(SendWithTimeout(TabControl, TCM_GETCURSEL, 0, 0, -1)); }

void Click(HWND Button) { PostMessageA(Button, BM_CLICK, 0, 0); }

void SetEditText(HWND Edit, const std::string& Text) {
  SendWithTimeout(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()), FALSE);
}

HWND WaitForMessageBox(DWORD ProcessId, DWORD TimeoutMs) {
  return WaitFor([&]() -> HWND {
    for (HWND Window : TopWindows()) {
      if (IsWindowVisible(Window) && ProcessOf(Window) == ProcessId && ClassOf(Window) == "#32770") {
        return Window;
      }
    }
    return nullptr;
  }, TimeoutMs, PollMs);
}

std::string MessageBoxText(HWND Box) {
  // MessageBox gives its text control the ID 0xFFFF, under Wine as under Windows.
  HWND Text = GetDlgItem(Box, 0xFFFF);
  return Text != nullptr ? WindowText(Text) : std::string();
}

void AnswerMessageBox(HWND Box, int ButtonId) {
  if (HWND Button = GetDlgItem(Box, ButtonId)) { Click(Button); }
}
