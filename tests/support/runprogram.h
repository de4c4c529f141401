// Runs a program to its end, as the tests install and remove services.
#pragma once
#include <windows.h>

#include <string>

// Exit code of the program, waited for at most TimeoutMs (STILL_ACTIVE when it
// had not ended by then); -1 when it could not start.
int RunProgram(const std::string& CommandLine, DWORD TimeoutMs);
