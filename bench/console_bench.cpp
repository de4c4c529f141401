// The cost of the console's timer tick: 1,000 PollService + UpdateButtons on the
// real main window against a running transport service, beside 1,000 bare
// QueryServiceStatus calls over a manager and service opened once. Prints the
// CPU and wall time of both and their ratios.
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/runprogram.h"
#include "console/norvask_cfgmain.h"
#include "forms/form.h"
#include "rtl/files.h"
#include "shared/commonhelpers.h"
#include "shared/sharedunits.h"

namespace {

constexpr int Ticks = 1000;

struct TCost {
  double CpuMs;
  double WallMs;
};

double ThreadCpuMs() {
  FILETIME Created, Exited, Kernel, User;
  GetThreadTimes(GetCurrentThread(), &Created, &Exited, &Kernel, &User);
  auto Ms = [](const FILETIME& T) { return (static_cast<double>(T.dwHighDateTime) * 4294967296.0 + T.dwLowDateTime) / 1e4; };
  return Ms(Kernel) + Ms(User);
}

double WallMs() {
  LARGE_INTEGER Frequency, Now;
  QueryPerformanceFrequency(&Frequency);
  QueryPerformanceCounter(&Now);
  return static_cast<double>(Now.QuadPart) * 1000.0 / static_cast<double>(Frequency.QuadPart);
}

template <class F>
TCost Measure(F&& Step) {
  const double Cpu = ThreadCpuMs(), Wall = WallMs();
  for (int Tick = 0; Tick < Ticks; ++Tick) { Step(); }
  return {ThreadCpuMs() - Cpu, WallMs() - Wall};
}


bool WaitForState(SC_HANDLE Service, DWORD State) {
  for (int Turn = 0; Turn < 600; ++Turn) {
    SERVICE_STATUS Status{};
    if (QueryServiceStatus(Service, &Status) && Status.dwCurrentState == State) { return true; }
    Sleep(100);
  }
  return false;
}

}  // namespace

int main() {
  InitSharedUnits();
  // The transport service, installed from a folder of its own with nothing to send.
  const std::string Folder = AppDir + "\\console_bench_svc";
  ForceDirectories(Folder);
  const std::string Program = Folder + "\\norvask.exe";
  if (!CopyFileA((AppDir + "\\..\\service\\norvask.exe").c_str(), Program.c_str(), FALSE)) {
    std::printf("norvask.exe not found beside the benchmark\n");
    return 1;
  }
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  // A registration left by another run would start another folder's copy.
  if (SC_HANDLE Old = OpenServiceA(Manager, "TransportSvc", SERVICE_ALL_ACCESS)) {
    SERVICE_STATUS Status;
    ControlService(Old, SERVICE_CONTROL_STOP, &Status);
    WaitForState(Old, SERVICE_STOPPED);
    DeleteService(Old);
    CloseServiceHandle(Old);
  }
  RunProgram("\"" + Program + "\" INSTALL SILENT", 120000);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_ALL_ACCESS);
  if (!Service || (!StartServiceA(Service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) ||
      !WaitForState(Service, SERVICE_RUNNING)) {
    std::printf("the transport service did not start\n");
    return 1;
  }

  auto Window = NewForm<TMainWnd>();
  Window->PollService();  // opens the handles, as the first tick does
  const TCost Ticked = Measure([&] {
    Window->PollService();
    Window->UpdateButtons();
  });

  SC_HANDLE BareManager = OpenSCManagerA(nullptr, nullptr, GENERIC_READ);
  SC_HANDLE BareService = OpenServiceA(BareManager, "TransportSvc", SERVICE_QUERY_STATUS);
  const TCost Bare = Measure([&] {
    SERVICE_STATUS Status;
    QueryServiceStatus(BareService, &Status);
  });
  CloseServiceHandle(BareService);
  CloseServiceHandle(BareManager);
  Window.reset();

  std::printf("%d ticks  PollService+UpdateButtons: cpu %8.1f ms  wall %8.1f ms\n", Ticks, Ticked.CpuMs,
              Ticked.WallMs);
  std::printf("%d calls  bare QueryServiceStatus:    cpu %8.1f ms  wall %8.1f ms\n", Ticks, Bare.CpuMs, Bare.WallMs);
  std::printf("ratio (aim at most 1.2):             cpu %8.2f     wall %8.2f\n", Ticked.CpuMs / Bare.CpuMs,
              Ticked.WallMs / Bare.WallMs);

  SERVICE_STATUS Status;
  ControlService(Service, SERVICE_CONTROL_STOP, &Status);
  WaitForState(Service, SERVICE_STOPPED);
  CloseServiceHandle(Service);
  CloseServiceHandle(Manager);
  RunProgram("\"" + Program + "\" UNINSTALL SILENT", 120000);
  return 0;
}
