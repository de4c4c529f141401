// Times TDirectoryList (Create, Process, Save) over folders of 1,000, 10,000 and
// 100,000 files that a matching status file describes, beside a bare
// FindFirstFileA/FindNextFileA listing of the same folder in the same run.
// Usage: dirlist_bench [work folder]  (default: the current folder). The file
// folders are made there once and reused while they hold the right count.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "rtl/files.h"
#include "service/dirlist.h"

namespace {

constexpr int Rounds = 3;
const char* const StatusFile = "bench.dst";

double Seconds() {
  LARGE_INTEGER Count, Frequency;
  QueryPerformanceCounter(&Count);
  QueryPerformanceFrequency(&Frequency);
  return static_cast<double>(Count.QuadPart) / Frequency.QuadPart;
}

int BareListing(const std::string& Folder) {
  WIN32_FIND_DATAA Data;
  HANDLE Search = FindFirstFileA((Folder + "\\*.txt").c_str(), &Data);
  if (Search == INVALID_HANDLE_VALUE) { return 0; }
  int Count = 0;
  do { ++Count; } while (FindNextFileA(Search, &Data));
  FindClose(Search);
  return Count;
}

void RemoveFiles(const std::string& Folder) {
  WIN32_FIND_DATAA Data;
  HANDLE Search = FindFirstFileA((Folder + "\\*").c_str(), &Data);
  if (Search == INVALID_HANDLE_VALUE) { return; }
  do {
    if ((Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) { DeleteFileA((Folder + "\\" + Data.cFileName).c_str()); }
  } while (FindNextFileA(Search, &Data));
  FindClose(Search);
}

// Files of a few bytes each, and a status file that matches them all.
bool PrepareFolder(const std::string& Folder, int Count) {
  if (BareListing(Folder) == Count && FileExists(Folder + "\\" + StatusFile)) { return true; }
  std::printf("creating %d files in %s ...\n", Count, Folder.c_str());
  std::fflush(stdout);
  ForceDirectories(Folder);
  RemoveFiles(Folder);
  char Name[32];
  for (int I = 0; I < Count; ++I) {
    std::snprintf(Name, sizeof Name, "\\file%06d.txt", I);
    HANDLE H = CreateFileA((Folder + Name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (H == INVALID_HANDLE_VALUE) { return false; }
    DWORD Written;
    WriteFile(H, Name, static_cast<DWORD>(I % 20), &Written, nullptr);
    CloseHandle(H);
  }
  TDirectoryList List(Folder, "txt", "", 0, StatusFile);
  List.Process(true, [](const std::string&, const std::string&, bool&) { return true; });
  List.Save();
  return true;
}

struct TRoundTimes {
  double Bare, Create, Process, Save;
  double Total() const { return Create + Process + Save; }
};

TRoundTimes TimeRound(const std::string& Folder, int Count, int& Offered) {
  TRoundTimes T{};
  double Start = Seconds();
  if (BareListing(Folder) != Count) { std::printf("listing count differs\n"); }
  T.Bare = Seconds() - Start;

  Start = Seconds();
  TDirectoryList List(Folder, "txt", "", 0, StatusFile);
  T.Create = Seconds() - Start;
  Offered = 0;
  Start = Seconds();
  List.Process(true, [&](const std::string&, const std::string&, bool&) {
    ++Offered;
    return true;
  });
  T.Process = Seconds() - Start;
  Start = Seconds();
  List.Save();
  T.Save = Seconds() - Start;
  return T;
}

double Median(std::vector<double> V) {
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  char Current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, Current);
  const std::string Work = ExcludeTrailingPathDelimiter(argc > 1 ? argv[1] : Current);
  std::printf("median of %d rounds, milliseconds\n", Rounds);
  std::printf("%8s %9s %9s %9s %9s %9s %7s %9s %8s\n", "files", "bare", "create", "process", "save", "total",
              "ratio", "us/file", "offered");
  for (int Count : {1000, 10000, 100000}) {
    const std::string Folder = Work + "\\dirlist_" + std::to_string(Count);
    if (!PrepareFolder(Folder, Count)) {
      std::printf("cannot create the files in %s\n", Folder.c_str());
      return 1;
    }
    std::vector<double> Bare, Create, Process, Save, Total;
    int Offered = 0;
    for (int R = 0; R < Rounds; ++R) {
      const TRoundTimes T = TimeRound(Folder, Count, Offered);
      Bare.push_back(T.Bare);
      Create.push_back(T.Create);
      Process.push_back(T.Process);
      Save.push_back(T.Save);
      Total.push_back(T.Total());
    }
    const double B = Median(Bare), Sum = Median(Total);
    std::printf("%8d %9.1f %9.1f %9.1f %9.1f %9.1f %7.2f %9.2f %8d\n", Count, B * 1e3, Median(Create) * 1e3,
                Median(Process) * 1e3, Median(Save) * 1e3, Sum * 1e3, Sum / B, Sum / Count * 1e6, Offered);
    std::fflush(stdout);
  }
  return 0;
}
