// Opening the service control manager of a PC; tests stand in for a remote one.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Machine: a PC's name, empty for this PC. nullptr with the last error set on failure.
SC_HANDLE OpenServiceManager(const std::string& Machine, DWORD Access);

using TOpenServiceManagerHook = std::function<SC_HANDLE(const std::string& Machine, DWORD Access)>;
extern TOpenServiceManagerHook OpenServiceManagerHook;
