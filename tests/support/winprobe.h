// Drives real windows from outside, as a person would: finds them, reads what
// they show, presses buttons, answers message boxes and takes screenshots.
// Works on windows of another process as well as of another thread of the test.
// Every wait is bounded by its timeout and polls about every 50 ms.
#pragma once
#include <windows.h>

#include <string>

// A visible top-level window with exactly this caption (of that process, when
// ProcessId is not 0); nullptr on timeout.
HWND WaitForTopWindow(const std::string& Caption, DWORD TimeoutMs, DWORD ProcessId = 0);

// The descendant that the form layer tagged with this component name (window
// property "ControlName", a global atom); nullptr when there is none.
HWND FindControl(HWND Top, const std::string& Name);
// The descendant of that window class (any case) showing exactly that text.
HWND FindChildByText(HWND Top, const std::string& ClassName, const std::string& Text);

std::string WindowText(HWND Window);
// The text of one panel of a status bar; for another process's status bar,
// read through memory in that process.
std::string StatusPanelText(HWND StatusBar, int Panel);
// Where a panel lies in its status bar's client area; empty when unknown.
RECT StatusPanelRect(HWND StatusBar, int Panel);
bool IsEnabled(HWND Window);
bool IsShown(HWND Window);
// BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int CheckState(HWND Button);
// The selected page of a tab control, -1 when none.
int TabIndex(HWND TabControl);

// Posted, so that a modal box opened by the click does not block the caller.
void Click(HWND Button);
void SetEditText(HWND Edit, const std::string& Text);

// A visible dialog-class (#32770) top-level window of that process; nullptr on timeout.
HWND WaitForMessageBox(DWORD ProcessId, DWORD TimeoutMs);
std::string MessageBoxText(HWND Box);
// Presses the box's button with that ID (IDOK, IDYES, IDNO, ...).
void AnswerMessageBox(HWND Box, int ButtonId);

// Brings the window to the front, waits (bounded) until it has painted, and
// writes what the screen shows of it; a window of the calling thread is given
// its paint messages meanwhile. False when it cannot be captured or written.
bool SaveWindowPng(HWND Window, const std::string& PngPath);

// A program started by a test, ended again by EndProgram. It runs in a job
// object that ends it with the test's process, should the test crash.
struct TStartedProgram {
  HANDLE Process = nullptr;
  DWORD ProcessId = 0;
  HANDLE Job = nullptr;
};

// Process is nullptr when the program cannot be started.
TStartedProgram StartProgram(const std::string& CommandLine, const std::string& WorkingFolder);
// Asks the program's windows to close, gives it GraceMs to exit by itself,
// then terminates it and whatever it started. True when it exited by itself.
bool EndProgram(TStartedProgram& Program, DWORD GraceMs);
