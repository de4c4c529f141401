// The cost of the console's timer tick: 1,000 PollService + UpdateButtons on the
// real main window against a running transport service, beside 1,000 bare
// QueryServiceStatus calls over a manager and service opened once. Prints the
// CPU and wall time of both and their ratios.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/benchservice.h"
#include "console/norvask_cfgmain.h"
#include "forms/form.h"
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

template <class F>
TCost Measure(F&& Step) {
  const double Cpu = ThreadCpuMs(), Wall = WallMs();
  for (int Tick = 0; Tick < Ticks; ++Tick) { Step(); }
  return {ThreadCpuMs() - Cpu, WallMs() - Wall};
}

}  // namespace

int main() {
  InitSharedUnits();
  // The transport service, installed from a folder of its own with nothing to send.
  TBenchService Service("console_bench_svc", "[General]\r\nTimeBetweenActions=3600\r\n");
  if (!Service.Running()) {
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

  return 0;
}
