// Round trips of "REQGETSTATS" against the information pipe server (4 instances)
// beside a minimal Win32 server of the same shape measured in the same run: 4
// instances, one blocking thread each, that answer every request with 595 bytes.
// Clients call as the console does: CallNamedPipeA without waiting for a free
// instance, so a busy server shows as busy answers.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "service/srvinfo.h"
#include "shared/pipemessages.h"

namespace {

constexpr DWORD RunTime = 1500;  // ms per figure
constexpr int Instances = 4;

struct TCounts {
  std::atomic<long> RoundTrips{0};
  std::atomic<long> Busy{0};
  std::atomic<long> Failures{0};
};

// One instance of the minimal server: connect, answer each request, and listen
// again once the client has closed its end.
class TMinimalServer {
public:
  explicit TMinimalServer(const std::string& Path) : FPath(Path) {
    for (int I = 0; I < Instances; ++I) {
      HANDLE Pipe = CreateNamedPipeA(Path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE |
                                     PIPE_WAIT, Instances, PipeBufferSize, PipeBufferSize, 2000, nullptr);
      FPipes.push_back(Pipe);
      FThreads.emplace_back([this, Pipe] { Serve(Pipe); });
    }
  }
  ~TMinimalServer() {
    FStopping = true;
    // Each blocked ConnectNamedPipe returns once a client has come and gone.
    for (size_t I = 0; I < FThreads.size(); ++I) {
      char Answer[PipeBufferSize];
      DWORD Read;
      CallNamedPipeA(FPath.c_str(), const_cast<char*>("stop"), 4, Answer, sizeof(Answer), &Read, 1000);
    }
    for (std::thread& Thread : FThreads) { Thread.join(); }
    for (HANDLE Pipe : FPipes) { CloseHandle(Pipe); }
  }

private:
  void Serve(HANDLE Pipe) {
    uint8_t Request[PipeBufferSize], Answer[StatsAnswerSize] = {};
    while (!FStopping) {
      if (!ConnectNamedPipe(Pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) { continue; }
      DWORD Read, Written;
      while (ReadFile(Pipe, Request, sizeof(Request), &Read, nullptr) && Read > 0) {
        std::memcpy(Answer, Request, Read < sizeof(Answer) ? Read : sizeof(Answer));
        WriteFile(Pipe, Answer, sizeof(Answer), &Written, nullptr);
      }
      DisconnectNamedPipe(Pipe);
    }
  }

  const std::string FPath;
  std::atomic<bool> FStopping{false};
  std::vector<HANDLE> FPipes;
  std::vector<std::thread> FThreads;
};

void Call(const std::string& Path, const uint8_t* Request, TCounts& Counts) {
  uint8_t Answer[PipeBufferSize];
  DWORD Read = 0;
  if (CallNamedPipeA(Path.c_str(), const_cast<uint8_t*>(Request), PipeHeaderSize, Answer, sizeof(Answer), &Read,
                     NMPWAIT_NOWAIT) &&
      Read == static_cast<DWORD>(StatsAnswerSize)) {
    ++Counts.RoundTrips;
    return;
  }
  // Wine answers a busy pipe with ERROR_SEM_TIMEOUT where Windows says ERROR_PIPE_BUSY.
  const DWORD Error = GetLastError();
  ++(Error == ERROR_PIPE_BUSY || Error == ERROR_SEM_TIMEOUT ? Counts.Busy : Counts.Failures);
}

// Round trips per second of Clients threads calling without pause.
double Measure(const std::string& Path, int Clients, TCounts& Counts) {
  uint8_t Request[PipeHeaderSize];
  WritePipeHeader(Request, ReqGetStats, 0);
  std::atomic<bool> Running{true};
  std::vector<std::thread> Threads;
  const DWORD Start = GetTickCount();
  for (int I = 0; I < Clients; ++I) {
    Threads.emplace_back([&] {
      while (Running) { Call(Path, Request, Counts); }
    });
  }
  Sleep(RunTime);
  Running = false;
  for (std::thread& Thread : Threads) { Thread.join(); }
  return Counts.RoundTrips * 1000.0 / (GetTickCount() - Start);
}

void WaitForPipe(const std::string& Path) {
  for (int Turn = 0; Turn < 500 && !WaitNamedPipeA(Path.c_str(), 10); ++Turn) { Sleep(10); }
}

}  // namespace

int main() {
  InitPipeSecurity();
  const std::string Name = "PipeBench_" + std::to_string(GetCurrentProcessId());
  const std::string Ours = LocalPipePrefix + Name;
  const std::string Reference = Ours + "_minimal";
  auto Server = std::make_unique<TOrdanixSrvInfo>(Name, Instances);
  Server->OnGetStats.Set([](TOrdanixSrvInfo&, TServiceStatsRecord& Record) {
    Record.RecordSize = sizeof(Record);
    std::strcpy(Record.LastEventText, "Files sent");
  });
  Server->Start();
  TMinimalServer Minimal(Reference);
  WaitForPipe(Ours);
  WaitForPipe(Reference);

  std::printf("pipe: REQGETSTATS by CallNamedPipeA without waiting, %d instances, %lu ms per figure\n", Instances,
              RunTime);
  std::printf("pipe: clients   ours/s refused | minimal/s refused | cost ratio\n");
  for (int Clients : {1, 2, 3, 4, 8}) {
    // Best of two turns each, taken in turn, so that both meet the same machine load.
    double OursRate = 0, MinimalRate = 0;
    long OursBusy = 0, MinimalBusy = 0;
    for (int Turn = 0; Turn < 2; ++Turn) {
      TCounts A, B;
      const double RateA = Measure(Ours, Clients, A);
      const double RateB = Measure(Reference, Clients, B);
      if (RateA > OursRate) { OursRate = RateA; }
      if (RateB > MinimalRate) { MinimalRate = RateB; }
      OursBusy += A.Busy + A.Failures;
      MinimalBusy += B.Busy + B.Failures;
    }
    std::printf("pipe: %7d %8.0f %7ld | %9.0f %7ld | %5.2f\n", Clients, OursRate, OursBusy, MinimalRate,
                MinimalBusy, MinimalRate / OursRate);
    std::fflush(stdout);
  }
  return 0;
}
