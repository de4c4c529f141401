// A service program that the tests register under this machine's service
// control manager through its own command line ("INSTALL SILENT"), start and
// stop, and remove again ("UNINSTALL SILENT"): the framework's test service
// and norvask.exe, each run from a copy in a folder of the test's own.
#pragma once
#include <windows.h>

#include <string>

class TInstalledService {
public:
  // Program: the copy that registers Name. A registration of that name left by
  // an earlier run that was cut short goes first. WaitMs bounds each step.
  TInstalledService(std::string Program, std::string Name, DWORD WaitMs);
  // Stops the service when it runs and removes it, when it is still installed.
  ~TInstalledService();
  TInstalledService(const TInstalledService&) = delete;
  TInstalledService& operator=(const TInstalledService&) = delete;

  // True when the program's install or uninstall exited with 0.
  bool Install();
  bool Uninstall();
  // True once the manager reports the service running, or stopped.
  bool Start();
  bool Stop();

private:
  bool WaitForState(DWORD State) const;

  const std::string FProgram;
  const std::string FName;
  const DWORD FWaitMs;
  bool FInstalled = false;
};
