// transport_bench WORKDIR [FTPPORT FTPUSER FTPPASSWORD]
// A tracked folder whose 8 category folders hold 1,000, 10,000 and 50,000 files:
//  (a) an idle cycle (nothing changed) beside a bare listing of the same folders;
//  (b) the first cycle by COPY beside a plain CopyFileA of the same files;
//  (c) with an FTP port, the first cycle by FTP, in files per second.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "service/pipesecurity.h"
#include "service/transportsvc.h"
#include "shared/commonhelpers.h"
#include "shared/sharedunits.h"
#include "rtl/files.h"
#include "support/inprocessservice.h"
#include "support/scratchdir.h"

namespace {

struct TCategory {
  const char* Folder;
  const char* Ext;
};
const TCategory Categories[] = {{"comptage", "scb"}, {"caisse", "txt"},   {"filters", "fif"}, {"heatmap", "jpg"},
                                {"messages", "msg"}, {"meteo", "txt"},    {"events", "txt"},  {"footfall", "txt"}};

using TBenchSvc = TInProcess<TTransportSvc>;

double Seconds(const std::chrono::steady_clock::time_point& Start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// The shop's files, made once and kept for later runs.
std::vector<std::string> MakeShop(const std::string& Shop, int Total) {
  std::vector<std::string> Files;
  const bool Exists = FileExists(Shop + "\\complete");
  ForceDirectories(Shop);
  const std::string Data(4096, 'd');
  for (int I = 0; I < Total; ++I) {
    const TCategory& C = Categories[I % 8];
    const std::string Folder = Shop + "\\" + C.Folder;
    const std::string Name = Folder + "\\f" + std::to_string(100000 + I) + "." + C.Ext;
    if (!Exists) {
      CreateDirectoryA(Folder.c_str(), nullptr);
      HANDLE F = CreateFileA(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      DWORD W;
      WriteFile(F, Data.data(), static_cast<DWORD>(Data.size()), &W, nullptr);
      CloseHandle(F);
    }
    Files.push_back(Name);
  }
  if (!Exists) { WriteTextFile(Shop + "\\complete", ""); }
  return Files;
}

void DropStatusFiles(const std::string& Shop) {
  for (const TCategory& C : Categories) { DeleteFileA((Shop + "\\" + C.Folder + "\\trlist0.dst").c_str()); }
  DeleteFileA((Shop + "\\trlist0.dst").c_str());
}

double BareListing(const std::string& Shop) {
  auto Start = std::chrono::steady_clock::now();
  size_t Count = 0;
  auto List = [&](const std::string& Pattern) {
    WIN32_FIND_DATAA D;
    HANDLE H = FindFirstFileA(Pattern.c_str(), &D);
    if (H == INVALID_HANDLE_VALUE) { return; }
    do { ++Count; } while (FindNextFileA(H, &D));
    FindClose(H);
  };
  List(Shop + "\\*.arg");
  for (const TCategory& C : Categories) { List(Shop + "\\" + C.Folder + "\\*." + C.Ext); }
  return Seconds(Start);
}

void WriteIni(const std::string& Path, const std::string& Shop, const std::string& Transport) {
  const std::string Text = "[General]\r\nLogDetailed=0\r\n[Directory0]\r\nTrackDirectory=" + Shop +
                           "\r\n[Transfer]\r\nHeatmap=1\r\n[Transport]\r\n" + Transport +
                           "DestinationDirectory=bench\r\n";
  WriteTextFile(Path, Text);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path.c_str());
}

// Runs Cycles cycles of a freshly started service and returns the time of each.
std::vector<double> RunCycles(int Cycles) {
  TBenchSvc Svc;
  std::vector<double> Times;
  if (!Svc.Start()) { return Times; }
  for (int I = 0; I < Cycles; ++I) {
    auto Start = std::chrono::steady_clock::now();
    Svc.RunCycle();
    Times.push_back(Seconds(Start));
  }
  Svc.Stop();
  return Times;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: transport_bench WORKDIR [FTPPORT FTPUSER FTPPASSWORD]\n");
    return 2;
  }
  InitSharedUnits();
  InitPipeSecurity();
  const std::string Work = argv[1];
  ForceDirectories(Work);
  AppDir = Work;
  const std::string Ini = Work + "\\norvask.ini";

  std::printf("files   listing_ms idle_cycle_ms ratio | plain_copy_ms first_cycle_ms ratio\n");
  for (int Total : {1000, 10000, 50000}) {
    const std::string Shop = Work + "\\shop" + std::to_string(Total);
    const std::vector<std::string> Files = MakeShop(Shop, Total);

    // The plain copy makes the same folders as the service: one per category.
    const std::string Plain = Work + "\\plain";
    RemoveTree(Plain);
    CreateDirectoryA(Plain.c_str(), nullptr);
    auto CopyStart = std::chrono::steady_clock::now();
    for (const TCategory& C : Categories) { CreateDirectoryA((Plain + "\\" + C.Folder).c_str(), nullptr); }
    for (const std::string& F : Files) {
      const std::string Folder = ExtractFileName(ExtractFileDir(F));
      CopyFileA(F.c_str(), (Plain + "\\" + Folder + "\\" + ExtractFileName(F)).c_str(), FALSE);
    }
    const double PlainCopy = Seconds(CopyStart);

    const std::string Out = Work + "\\out";
    RemoveTree(Out);
    DropStatusFiles(Shop);
    WriteIni(Ini, Shop, "Transport=COPY\r\nDestination0=" + Out + "\r\n");
    const std::vector<double> Cycles = RunCycles(2);  // the first sends everything, the second nothing
    const double Listing = BareListing(Shop);
    if (Cycles.size() < 2) { return 1; }
    std::printf("%-7d %10.1f %13.1f %5.2f | %13.1f %14.1f %5.2f\n", Total, Listing * 1000, Cycles[1] * 1000,
                Cycles[1] / Listing, PlainCopy * 1000, Cycles[0] * 1000, Cycles[0] / PlainCopy);
    std::fflush(stdout);
  }

  if (argc >= 5) {
    std::printf("files   first_ftp_cycle_s files_per_s\n");
    for (int Total : {1000, 10000}) {
      const std::string Shop = Work + "\\shop" + std::to_string(Total);
      DropStatusFiles(Shop);
      WriteIni(Ini, Shop,
               std::string("Transport=FTP\r\nDestination0=127.0.0.1\r\nPassiveMode=1\r\nPort=") + argv[2] +
                   "\r\nUsername=" + argv[3] + "\r\nPassword=" + argv[4] + "\r\n");
      const std::vector<double> Cycles = RunCycles(1);
      if (Cycles.empty()) { return 1; }
      std::printf("%-7d %17.2f %11.0f\n", Total, Cycles[0], Total / Cycles[0]);
      std::fflush(stdout);
    }
  }
  return 0;
}
