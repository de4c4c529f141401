// The real transport service for the console's benchmarks: installed from a
// folder of its own beside the benchmark, started, and removed at the end.
#pragma once
#include <windows.h>

#include <string>

#include "rtl/files.h"
#include "shared/commonhelpers.h"
#include "support/runprogram.h"
#include "support/scratchdir.h"

class TBenchService {
public:
  // Folder: below the benchmark's own folder; Ini: the service's norvask.ini.
  TBenchService(const std::string& Folder, const std::string& Ini) : FFolder(AppDir + "\\" + Folder) {
    FManager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    // A registration left by another run would start another folder's copy,
    // and its running program would keep ours from being copied.
    if (SC_HANDLE Old = OpenServiceA(FManager, "TransportSvc", SERVICE_ALL_ACCESS)) {
      Stop(Old);
      DeleteService(Old);
      CloseServiceHandle(Old);
    }
    ForceDirectories(FFolder);
    FProgram = FFolder + "\\norvask.exe";
    if (!CopyFileA((AppDir + "\\..\\service\\norvask.exe").c_str(), FProgram.c_str(), FALSE)) { return; }
    WriteTextFile(FFolder + "\\norvask.ini", Ini);
    RunProgram("\"" + FProgram + "\" INSTALL SILENT", 120000);
    FService = OpenServiceA(FManager, "TransportSvc", SERVICE_ALL_ACCESS);
    FRunning = FService && (StartServiceA(FService, 0, nullptr) || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING) &&
               WaitForState(FService, SERVICE_RUNNING);
  }
  ~TBenchService() {
    if (FService) {
      Stop(FService);
      CloseServiceHandle(FService);
      RunProgram("\"" + FProgram + "\" UNINSTALL SILENT", 120000);
    }
    if (FManager) { CloseServiceHandle(FManager); }
  }
  TBenchService(const TBenchService&) = delete;
  TBenchService& operator=(const TBenchService&) = delete;

  bool Running() const { return FRunning; }
  const std::string& Folder() const { return FFolder; }

private:
  static bool WaitForState(SC_HANDLE Service, DWORD State) {
    for (int Turn = 0; Turn < 600; ++Turn) {
      SERVICE_STATUS Status{};
      if (QueryServiceStatus(Service, &Status) && Status.dwCurrentState == State) { return true; }
      Sleep(100);
    }
    return false;
  }
  static void Stop(SC_HANDLE Service) {
    SERVICE_STATUS Status;
    ControlService(Service, SERVICE_CONTROL_STOP, &Status);
    WaitForState(Service, SERVICE_STOPPED);
  }

  std::string FFolder;
  std::string FProgram;
  SC_HANDLE FManager = nullptr;
  SC_HANDLE FService = nullptr;
  bool FRunning = false;
};

// Wall-clock milliseconds.
inline double WallMs() {
  LARGE_INTEGER Frequency, Now;
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Now);
  return static_cast<double>(Now.QuadPart) * 1000.0 / static_cast<double>(Frequency.QuadPart);
}
