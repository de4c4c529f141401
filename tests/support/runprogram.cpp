#include "support/runprogram.h"

int RunProgram(const std::string& CommandLine, DWORD TimeoutMs) {
  STARTUPINFOA Startup{};
  Startup.cb = sizeof(Startup);
  PROCESS_INFORMATION Process{};
  std::string Line = CommandLine;
  if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup, &Process)) {
    return -1;
  }
  WaitForSingleObject(Process.hProcess, TimeoutMs);
  DWORD Code = 0;
  GetExitCodeProcess(Process.hProcess, &Code);
  CloseHandle(Process.hThread);
  CloseHandle(Process.hProcess);
  return static_cast<int>(Code);
}
