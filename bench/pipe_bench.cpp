// Round trips per second of "REQGETSTATS" against an information pipe server with
// 4 instances, for 1, 4 and 8 clients. Each round trip is one connection, as the
// console makes it; a client that finds every instance busy waits for one
// (WaitNamedPipeA) and tries again, so 8 clients measure the queue too.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "service/pipemessages.h"
#include "service/srvinfo.h"

namespace {

constexpr DWORD RunTime = 2000;  // ms per figure

struct TClientCounts {
  std::atomic<long> RoundTrips{0};
  std::atomic<long> BusyWaits{0};
  std::atomic<long> Failures{0};
};

bool RoundTrip(const std::string& Path, const uint8_t* Request, TClientCounts& Counts) {
  HANDLE Pipe;
  for (;;) {
    Pipe = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (Pipe != INVALID_HANDLE_VALUE) { break; }
    if (GetLastError() != ERROR_PIPE_BUSY) { return false; }
    ++Counts.BusyWaits;
    WaitNamedPipeA(Path.c_str(), 1000);
  }
  DWORD Mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(Pipe, &Mode, nullptr, nullptr);
  uint8_t Answer[PipeBufferSize];
  DWORD Read = 0;
  const bool Ok = TransactNamedPipe(Pipe, const_cast<uint8_t*>(Request), PipeHeaderSize, Answer, sizeof(Answer),
                                    &Read, nullptr) &&
                  Read == static_cast<DWORD>(StatsAnswerSize) && HasKeyword(Answer, AnsGetStats);
  CloseHandle(Pipe);
  return Ok;
}

double Measure(const std::string& Path, int Clients, TClientCounts& Counts) {
  uint8_t Request[PipeHeaderSize];
  WritePipeHeader(Request, ReqGetStats, 0);
  std::atomic<bool> Running{true};
  std::vector<std::thread> Threads;
  const DWORD Start = GetTickCount();
  for (int i = 0; i < Clients; ++i) {
    Threads.emplace_back([&] {
      while (Running) { ++(RoundTrip(Path, Request, Counts) ? Counts.RoundTrips : Counts.Failures); }
    });
  }
  Sleep(RunTime);
  Running = false;
  for (std::thread& Thread : Threads) { Thread.join(); }
  return Counts.RoundTrips * 1000.0 / (GetTickCount() - Start);
}

}  // namespace

int main() {
  InitPipeSecurity();
  const std::string Name = "PipeBench_" + std::to_string(GetCurrentProcessId());
  auto Server = std::make_unique<TOrdanixSrvInfo>(Name, 4);
  Server->OnGetStats.Set([](TOrdanixSrvInfo&, TServiceStatsRecord& Record) {
    Record.RecordSize = sizeof(Record);
    std::strcpy(Record.LastEventText, "Files sent");
  });
  Server->Start();
  const std::string Path = LocalPipePrefix + Name;
  for (int Turn = 0; Turn < 500 && !WaitNamedPipeA(Path.c_str(), 10); ++Turn) { Sleep(10); }

  std::printf("REQGETSTATS round trips, one connection each, 4 server instances, %lu ms per figure\n", RunTime);
  for (int Clients : {1, 4, 8}) {
    TClientCounts Counts;
    const double Rate = Measure(Path, Clients, Counts);
    std::printf("  %d client%s: %8.0f round trips/s  (%ld busy waits, %ld failures)\n", Clients,
                Clients == 1 ? " " : "s", Rate, Counts.BusyWaits.load(), Counts.Failures.load());
  }
  return 0;
}
