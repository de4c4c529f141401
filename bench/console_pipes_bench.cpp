// The console's pipe client against the running transport service, beside
// bare CallNamedPipeA transactions of the same sizes with a minimal Win32
// pipe server in this process:
// - "REQGETSTATS" round trips (QueryStatistics, labels included), 28 bytes out
//   and 595 back, and the ratio of their times;
// - the configuration round trip of a 16,000-byte file (ReceiveConfig +
//   SendConfig), beside one bare 28 -> 16,028 and one 16,028 -> 28 transaction.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/benchservice.h"
#include "console/norvask_cfgmain.h"
#include "forms/form.h"
#include "shared/pipemessages.h"
#include "shared/sharedunits.h"

namespace {

constexpr int StatsRounds = 2000;
constexpr int ConfigRounds = 200;
constexpr int ConfigFileSize = 16000;
constexpr int BareInstances = 4;

// Answers each request with as many bytes as its first four bytes ask for.
class TBarePipeServer {
public:
  explicit TBarePipeServer(const std::string& Path) : FPath(Path) {
    for (int i = 0; i < BareInstances; ++i) {
      HANDLE Pipe = CreateNamedPipeA(Path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                     BareInstances, PipeBufferSize, PipeBufferSize, 0, nullptr);
      FThreads.emplace_back([this, Pipe] { Serve(Pipe); });
    }
  }
  ~TBarePipeServer() {
    FStopping = true;
    for (int Turn = 0; Turn < 100 && FLive > 0; ++Turn) {
      HANDLE Wake = CreateFileA(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      if (Wake != INVALID_HANDLE_VALUE) { CloseHandle(Wake); }
      Sleep(10);
    }
    for (std::thread& Thread : FThreads) { Thread.join(); }
  }

private:
  void Serve(HANDLE Pipe) {
    std::vector<uint8_t> Request(PipeBufferSize), Answer(PipeBufferSize);
    while (!FStopping) {
      if (!ConnectNamedPipe(Pipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) { break; }
      DWORD Read = 0, Written = 0;
      if (!FStopping && ReadFile(Pipe, Request.data(), PipeBufferSize, &Read, nullptr) && Read >= 4) {
        int32_t Size;
        std::memcpy(&Size, Request.data(), 4);
        WriteFile(Pipe, Answer.data(), static_cast<DWORD>(Size), &Written, nullptr);
        FlushFileBuffers(Pipe);
      }
      DisconnectNamedPipe(Pipe);
    }
    CloseHandle(Pipe);
    --FLive;
  }

  std::string FPath;
  std::atomic<bool> FStopping{false};
  std::atomic<int> FLive{BareInstances};
  std::vector<std::thread> FThreads;
};

struct TBareCounts {
  int Failures = 0;
};

// One bare transaction of RequestSize bytes that asks for AnswerSize back.
void BareCall(const std::string& Path, int32_t RequestSize, int32_t AnswerSize, TBareCounts& Counts) {
  static uint8_t Request[PipeBufferSize], Answer[PipeBufferSize];
  std::memcpy(Request, &AnswerSize, 4);
  DWORD Received = 0;
  if (!CallNamedPipeA(Path.c_str(), Request, RequestSize, Answer, sizeof Answer, &Received, NMPWAIT_NOWAIT) ||
      Received != static_cast<DWORD>(AnswerSize)) {
    ++Counts.Failures;
  }
}

std::string ServiceIni() {
  std::string Ini = "[General]\r\nTimeBetweenActions=3600\r\n[Transport]\r\nTransport=COPY\r\n[Notes]\r\nText=";
  Ini += std::string(ConfigFileSize - Ini.size() - 2, 'n');
  return Ini + "\r\n";
}

}  // namespace

int main() {
  InitSharedUnits();
  const std::string Ini = ServiceIni();
  TBenchService Service("console_pipes_bench_svc", Ini);
  if (!Service.Running()) {
    std::printf("the transport service did not start\n");
    return 1;
  }
  const std::string BarePath = LocalPipePrefix + std::string("NorvaskBareBench_") + std::to_string(GetCurrentProcessId());
  TBarePipeServer Bare(BarePath);
  TBareCounts Counts;
  auto Window = NewForm<TMainWnd>();

  // Warm both up: first connections, first label texts.
  for (int i = 0; i < 20; ++i) {
    Window->QueryStatistics();
    BareCall(BarePath, PipeHeaderSize, StatsAnswerSize, Counts);
  }
  int StatsFailures = 0;
  double Start = WallMs();
  for (int i = 0; i < StatsRounds; ++i) {
    Window->QueryStatistics();
    if (!Window->StatusText().empty()) { ++StatsFailures; }
  }
  const double StatsMs = WallMs() - Start;
  Start = WallMs();
  for (int i = 0; i < StatsRounds; ++i) { BareCall(BarePath, PipeHeaderSize, StatsAnswerSize, Counts); }
  const double BareStatsMs = WallMs() - Start;

  // The control pipe has one instance and the console does not wait for it:
  // both sides wait here until an instance listens, as between an operator's steps.
  const std::string ControlPath = LocalPipePrefix + std::string("TrSvcControl");
  Start = WallMs();
  int ConfigFailures = 0;
  for (int i = 0; i < ConfigRounds; ++i) {
    try {
      WaitNamedPipeA(ControlPath.c_str(), 1000);
      Window->ReceiveConfig();
      WaitNamedPipeA(ControlPath.c_str(), 1000);
      if (!Window->SendConfig()) { ++ConfigFailures; }
    } catch (const std::exception&) {
      ++ConfigFailures;
    }
  }
  const double ConfigMs = WallMs() - Start;
  Start = WallMs();
  for (int i = 0; i < ConfigRounds; ++i) {
    WaitNamedPipeA(BarePath.c_str(), 1000);
    BareCall(BarePath, PipeHeaderSize, PipeHeaderSize + ConfigFileSize, Counts);
    WaitNamedPipeA(BarePath.c_str(), 1000);
    BareCall(BarePath, PipeHeaderSize + ConfigFileSize, PipeHeaderSize, Counts);
  }
  const double BareConfigMs = WallMs() - Start;
  const bool ConfigKept = ReadTextFile(Service.Folder() + "\\norvask.ini") == Ini;
  Window.reset();

  std::printf("REQGETSTATS, 28 bytes out, 595 back, %d round trips, one connection each\n", StatsRounds);
  std::printf("  console QueryStatistics (labels included): %8.1f ms  %7.1f us each  (%d failed)\n", StatsMs,
              StatsMs * 1000 / StatsRounds, StatsFailures);
  std::printf("  bare CallNamedPipeA, minimal server:       %8.1f ms  %7.1f us each\n", BareStatsMs,
              BareStatsMs * 1000 / StatsRounds);
  std::printf("  ratio (aim at most 1.2):                   %8.2f\n", StatsMs / BareStatsMs);
  std::printf("Configuration round trip of a %d-byte file, %d rounds\n", ConfigFileSize, ConfigRounds);
  std::printf("  console ReceiveConfig + SendConfig:        %8.1f ms  %7.1f us each  (%d failed%s)\n", ConfigMs,
              ConfigMs * 1000 / ConfigRounds, ConfigFailures, ConfigKept ? "" : ", service file changed!");
  std::printf("  two bare transactions, same sizes:         %8.1f ms  %7.1f us each\n", BareConfigMs,
              BareConfigMs * 1000 / ConfigRounds);
  std::printf("  ratio:                                     %8.2f\n", ConfigMs / BareConfigMs);
  if (Counts.Failures) { std::printf("  (%d bare calls failed)\n", Counts.Failures); }
  return 0;
}
