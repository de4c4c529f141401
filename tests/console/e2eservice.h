// The transport service under Wine's service control manager as the console's
// end-to-end tests drive it: its state, start, stop, removal and logon account;
// bounded waits, and where screenshots go.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

constexpr DWORD ServiceWaitMs = 60000;
// A Wine program's first window can take a while under emulation.
constexpr DWORD WindowWaitMs = 240000;

// Polls Condition every 200 ms for at most Ms.
bool WaitFor(const std::function<bool()>& Condition, DWORD Ms);
// The transport service's state, 0 when it is not installed.
DWORD ServiceState();
bool StartService();
bool StopService();
// A registration left by another run would point at another folder.
void RemoveLeftoverService();
std::string LogonAccount();
// Under the build folder's "screenshots".
std::string ScreenshotPath(const std::string& Name);
