// The transport service's cycles over a tracked folder whose 8 category folders
// hold N files of 512 bytes, each beside a reference measured in the same run.
//   transport_bench make WORKDIR N            makes the shop (kept for later runs)
//   transport_bench cycles WORKDIR N [FTPPORT FTPUSER FTPPASSWORD]
//     idle cycle (CPU) beside a bare listing of the same folders that reads each
//     status file and writes it again (beside, then swapped in),
//     first cycle by COPY beside CopyFileA of the same files, and with a port the
//     first cycle by FTP beside the barest Winsock upload of the same files (the
//     script sets curl beside both); key=value lines.
//   transport_bench memory WORKDIR N          peak working set of a first COPY
//     cycle and an idle cycle, with the process's own before them.
//   transport_bench idle WORKDIR N CYCLES     a first COPY cycle, then CYCLES idle
//     ones alone: the run to profile.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bareftpupload.h"
#include "rtl/files.h"
#include "service/pipesecurity.h"
#include "service/transportsvc.h"
#include "shared/commonhelpers.h"
#include "shared/sharedunits.h"
#include "shared/transfercategories.h"
#include "support/inprocessservice.h"
#include "support/scratchdir.h"

namespace {

constexpr DWORD FileSize = 512;

using TBenchSvc = TInProcess<TTransportSvc>;

double WallSeconds(const std::chrono::steady_clock::time_point& Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// User and kernel time of this process, in seconds.
double CpuSeconds() {
  FILETIME Creation, Exit, Kernel, User;
  GetProcessTimes(GetCurrentProcess(), &Creation, &Exit, &Kernel, &User);
  auto Value = [](const FILETIME& T) { return (static_cast<uint64_t>(T.dwHighDateTime) << 32) | T.dwLowDateTime; };
  return static_cast<double>(Value(Kernel) + Value(User)) / 1e7;
}

// File I of the shop: category I % 8, name f<100000 + I>.<ext>; the script's curl
// globs rely on this layout.
const TTransferCategory& CategoryOf(int I) { return TransferCategories[I % TransferCategoryCount]; }
std::string ShopFile(const std::string& Shop, int I) {
  const TTransferCategory& C = CategoryOf(I);
  return Shop + "\\" + C.Folder + "\\f" + std::to_string(100000 + I) + "." + C.Mask;
}

std::string ShopPath(const std::string& Work, int Total) { return Work + "\\shop" + std::to_string(Total); }

void MakeShop(const std::string& Shop, int Total) {
  if (FileExists(Shop + "\\complete")) { return; }
  ForceDirectories(Shop);
  for (const auto& C : TransferCategories) { CreateDirectoryA((Shop + "\\" + C.Folder).c_str(), nullptr); }
  const std::string Data(FileSize, 'd');
  for (int I = 0; I < Total; ++I) {
    HANDLE F = CreateFileA(ShopFile(Shop, I).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    DWORD Written;
    WriteFile(F, Data.data(), FileSize, &Written, nullptr);
    CloseHandle(F);
  }
  WriteTextFile(Shop + "\\complete", "");
}

void DropStatusFiles(const std::string& Shop) {
  for (const auto& C : TransferCategories) { DeleteFileA((Shop + "\\" + C.Folder + "\\trlist0.dst").c_str()); }
  DeleteFileA((Shop + "\\trlist0.dst").c_str());
}

// What an idle cycle cannot do without: list each folder, read its status file
// and write it again beside the old one, on the disk before it is swapped in.
void BareListingAndStatusRewrite(const std::string& Shop) {
  std::vector<char> Bytes;
  auto Rewrite = [&](const std::string& Folder, const std::string& Ext) {
    WIN32_FIND_DATAA D;
    HANDLE H = FindFirstFileA((Folder + "\\*." + Ext).c_str(), &D);
    if (H != INVALID_HANDLE_VALUE) {
      while (FindNextFileA(H, &D)) {}
      FindClose(H);
    }
    const std::string Status = Folder + "\\trlist0.dst", Beside = Folder + "\\~trlist0.dst";
    HANDLE F = CreateFileA(Status.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (F == INVALID_HANDLE_VALUE) { return; }
    Bytes.resize(GetFileSize(F, nullptr));
    DWORD Done = 0;
    ReadFile(F, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Done, nullptr);
    CloseHandle(F);
    F = CreateFileA(Beside.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (F == INVALID_HANDLE_VALUE) { return; }
    WriteFile(F, Bytes.data(), Done, &Done, nullptr);
    FlushFileBuffers(F);
    CloseHandle(F);
    MoveFileExA(Beside.c_str(), Status.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  };
  Rewrite(Shop, "arg");
  for (const auto& C : TransferCategories) { Rewrite(Shop + "\\" + C.Folder, C.Mask); }
}

void WriteIni(const std::string& Work, const std::string& Shop, const std::string& Transport) {
  const std::string Path = Work + "\\norvask.ini";
  WriteTextFile(Path, "[General]\r\nLogDetailed=0\r\n[Directory0]\r\nTrackDirectory=" + Shop +
                          "\r\n[Transfer]\r\nHeatmap=1\r\n[Transport]\r\n" + Transport +
                          "DestinationDirectory=bench\r\n");
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path.c_str());
}

void WriteCopyIni(const std::string& Work, const std::string& Shop) {
  WriteIni(Work, Shop, "Transport=COPY\r\nDestination0=" + Work + "\\out\r\n");
}

// The first cycle of a started service (wall time), then its idle cycles beside
// the reference (CPU time per cycle): Rounds blocks of Idle cycles each, taken in
// turn with blocks of the reference so that both meet the same machine load; the
// best block of each counts.
struct TCycleTimes {
  double FirstWall = -1;
  double IdleCpu = -1;
  double IdleWall = -1;
  double ReferenceCpu = -1;
  double ReferenceWall = -1;
};

template <class TWork>
void TimeBlock(int Count, TWork Work, double& BestCpu, double& BestWall) {
  const double Cpu = CpuSeconds();
  const auto Start = std::chrono::steady_clock::now();
  for (int I = 0; I < Count; ++I) { Work(); }
  const double BlockCpu = (CpuSeconds() - Cpu) / Count, BlockWall = WallSeconds(Start) / Count;
  if (BestCpu < 0 || BlockCpu < BestCpu) { BestCpu = BlockCpu; }
  if (BestWall < 0 || BlockWall < BestWall) { BestWall = BlockWall; }
}

TCycleTimes RunCycles(int Idle, int Rounds, const std::string& Shop) {
  TCycleTimes Times;
  TBenchSvc Svc;
  if (!Svc.Start()) { return Times; }
  const auto Start = std::chrono::steady_clock::now();
  Svc.RunCycle();
  Times.FirstWall = WallSeconds(Start);
  for (int Round = 0; Round < Rounds; ++Round) {
    TimeBlock(Idle, [&] { Svc.RunCycle(); }, Times.IdleCpu, Times.IdleWall);
    TimeBlock(Idle, [&] { BareListingAndStatusRewrite(Shop); }, Times.ReferenceCpu, Times.ReferenceWall);
  }
  Svc.Stop();
  return Times;
}

// Enough repetitions for the CPU clock's ticks of 10 ms or more to average out.
int Repetitions(int Total) { return Total <= 1000 ? 30 : Total <= 10000 ? 6 : 2; }

int Cycles(const std::string& Work, int Total, int argc, char** argv) {
  const std::string Shop = ShopPath(Work, Total);
  MakeShop(Shop, Total);

  // A plain copy into the same folders the service makes: one per category.
  const std::string Plain = Work + "\\plain";
  RemoveTree(Plain);
  auto CopyStart = std::chrono::steady_clock::now();
  ForceDirectories(Plain);
  for (const auto& C : TransferCategories) { CreateDirectoryA((Plain + "\\" + C.Folder).c_str(), nullptr); }
  for (int I = 0; I < Total; ++I) {
    const std::string F = ShopFile(Shop, I);
    CopyFileA(F.c_str(), (Plain + "\\" + CategoryOf(I).Folder + "\\" + ExtractFileName(F)).c_str(), FALSE);
  }
  const double PlainCopy = WallSeconds(CopyStart);
  RemoveTree(Plain);

  RemoveTree(Work + "\\out");
  DropStatusFiles(Shop);
  WriteCopyIni(Work, Shop);
  const TCycleTimes Copy = RunCycles(Repetitions(Total), 3, Shop);
  if (Copy.IdleCpu < 0) { return 1; }
  RemoveTree(Work + "\\out");

  std::printf("files=%d\nidle_cpu_ms=%.2f\nidle_wall_ms=%.2f\nlisting_cpu_ms=%.2f\nlisting_wall_ms=%.2f\n", Total,
              Copy.IdleCpu * 1000, Copy.IdleWall * 1000, Copy.ReferenceCpu * 1000, Copy.ReferenceWall * 1000);
  std::printf("copy_cycle_ms=%.1f\nplain_copy_ms=%.1f\n", Copy.FirstWall * 1000, PlainCopy * 1000);
  std::fflush(stdout);

  if (argc >= 3) {
    DropStatusFiles(Shop);
    WriteIni(Work, Shop,
             std::string("Transport=FTP\r\nDestination0=127.0.0.1\r\nPassiveMode=1\r\nPort=") + argv[0] +
                 "\r\nUsername=" + argv[1] + "\r\nPassword=" + argv[2] + "\r\n");
    const TCycleTimes Ftp = RunCycles(0, 0, Shop);
    if (Ftp.FirstWall < 0) { return 1; }
    std::printf("ftp_cycle_ms=%.1f\n", Ftp.FirstWall * 1000);

    // The same files by the barest blocking Winsock client, into a folder of its own.
    std::vector<std::string> Folders{"bare"};
    for (const auto& C : TransferCategories) { Folders.push_back(std::string("bare/") + C.Folder); }
    std::vector<TBareUpload> Files;
    for (int I = 0; I < Total; ++I) {
      const std::string F = ShopFile(Shop, I);
      Files.push_back({F, std::string("bare/") + CategoryOf(I).Folder + "/" + ExtractFileName(F)});
    }
    const auto BareStart = std::chrono::steady_clock::now();
    if (!BareFtpUpload(std::atoi(argv[0]), argv[1], argv[2], Folders, Files)) { return 1; }
    std::printf("bare_ftp_ms=%.1f\n", WallSeconds(BareStart) * 1000);
  }
  return 0;
}

size_t PeakWorkingSet() {
  PROCESS_MEMORY_COUNTERS Counters{};
  Counters.cb = sizeof(Counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &Counters, sizeof(Counters));
  return Counters.PeakWorkingSetSize;
}

int Memory(const std::string& Work, int Total) {
  const std::string Shop = ShopPath(Work, Total);
  DropStatusFiles(Shop);
  RemoveTree(Work + "\\out");
  WriteCopyIni(Work, Shop);
  const size_t Before = PeakWorkingSet();
  const TCycleTimes Times = RunCycles(1, 1, Shop);
  const size_t After = PeakWorkingSet();
  RemoveTree(Work + "\\out");
  if (Times.IdleCpu < 0) { return 1; }
  std::printf("files=%d\npeak_before_kb=%zu\npeak_kb=%zu\n", Total, Before / 1024, After / 1024);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: transport_bench make|cycles|memory WORKDIR N [FTPPORT FTPUSER FTPPASSWORD]\n");
    return 2;
  }
  InitSharedUnits();
  InitPipeSecurity();
  const std::string Mode = argv[1];
  const std::string Work = argv[2];
  const int Total = std::atoi(argv[3]);
  ForceDirectories(Work);
  AppDir = Work;
  if (Mode == "make") {
    MakeShop(ShopPath(Work, Total), Total);
    return 0;
  }
  if (Mode == "cycles") { return Cycles(Work, Total, argc - 4, argv + 4); }
  if (Mode == "memory") { return Memory(Work, Total); }
  if (Mode == "idle" && argc >= 5) {
    DropStatusFiles(ShopPath(Work, Total));
    WriteCopyIni(Work, ShopPath(Work, Total));
    const TCycleTimes Times = RunCycles(std::atoi(argv[4]), 3, ShopPath(Work, Total));
    std::printf("idle_cpu_ms=%.2f listing_cpu_ms=%.2f ratio=%.2f\n", Times.IdleCpu * 1000,
                Times.ReferenceCpu * 1000, Times.IdleCpu / Times.ReferenceCpu);
    return Times.IdleCpu < 0;
  }
  return 2;
}
