// The processing cycle of TBaseOrdanixService: every tracked directory, every
// destination, every directory entry, one directory list; and the hooks' base
// behaviour.
#include <exception>

#include "rtl/exceptions.h"
#include "rtl/format.h"
#include "rtl/formatdatetime.h"
#include "service/baseservice.h"
#include "service/dirlist.h"
#include "shared/commonhelpers.h"

namespace {

constexpr char ElapsedPattern[] = "h:nn:ss:zzz";

[[noreturn]] void RaiseCancelled() {
  throw Exception("Current service task canceled due to urgent control request.");
}

// A log text followed by a span of time as "h:nn:ss:zzz".
std::string WithElapsed(std::string Text, TDateTime Span) {
  Text += FormatDateTime(ElapsedPattern, Span);
  return Text;
}

int32_t MilliSecondsSince(TDateTime Start, TDateTime Current) {
  return static_cast<int32_t>(MilliSecondsBetween(Current, Start));
}

}  // namespace

void TBaseOrdanixService::RunCycle() {
  const TDateTime CycleStart = FClock->Now();
  if (FStarting) { return; }
  if (CheckUrgentControl()) { RaiseCancelled(); }
  for (int32_t I = 0; I < MaxTrackDirectories; ++I) {
    FCurrentChain = I;
    const std::string Directory = FConfig->GetTrackDirectory(I);
    if (Directory.empty()) { continue; }
    try {
      ProcessChain(Directory, CycleStart);
    } catch (const std::exception& E) {
      Log(LogError, E.what());
    }
  }
  TrimLogFile();
}

void TBaseOrdanixService::ProcessChain(const std::string& Directory, TDateTime CycleStart) {
  if (FConfig->LogDetailed) { Log(LogInformation, "Processing chain " + Directory); }
  {
    TLockGuard Guard(FLock);
    FIdle = false;
    FFilesOk = FFilesBad = FElapsedMs = 0;
  }
  int32_t Ok = 0, Bad = 0, Ms = 0;
  auto EndChain = [&] {
    TLockGuard Guard(FLock);
    FIdle = true;
    FElapsedMs = MilliSecondsSince(CycleStart, FClock->Now());
    Ok = FFilesOk;
    Bad = FFilesBad;
    Ms = FElapsedMs;
  };
  // Not a scope exit: the summary below needs EndChain's counts before the
  // function ends.
  try {
    FEntries->Clear();
    BuildDirectoryEntries(Directory, *FEntries);
    for (int32_t D = 0; D < FStatusFiles->Count(); ++D) {
      FCurrentDestination = D;
      if (CheckUrgentControl()) { RaiseCancelled(); }
      try {
        ProcessDestination(CycleStart);
      } catch (const std::exception& E) {
        Log(LogError, E.what());
        if (CheckUrgentControl()) { break; }
      }
    }
  } catch (...) {
    EndChain();
    throw;
  }
  EndChain();
  if (Ok != 0 || Bad != 0) {
    Log(LogInformation, WithElapsed(Format("processed %d files OK, %d files bad, elapsed ", Ok, Bad), Ms / MSecsPerDay));
    SetLastStats(Ok, Bad, Ms);
  }
}

void TBaseOrdanixService::ProcessDestination(TDateTime CycleStart) {
  // Not a scope exit, whose action must not throw: FinishDestination's
  // disconnect can raise.
  try {
    PrepareDestination();
    for (int32_t E = 0; E < FEntries->Count(); ++E) {
      if (CheckUrgentControl()) { RaiseCancelled(); }
      ProcessEntry((*FEntries)[E], CycleStart);
      if (Terminated()) { break; }
    }
  } catch (...) {
    FinishDestination();
    throw;
  }
  FinishDestination();
}

void TBaseOrdanixService::FinishDestination() {
  const TDateTime PostStart = FClock->Now();
  AfterDestination();
  if (FFilesOk > 0 && FConfig->LogDetailed) {  // only this thread writes FFilesOk
    Log(LogInformation, WithElapsed(Format("postprocessing after %d source files finished, elapsed ", FFilesOk),
                       FClock->Now() - PostStart));
  }
}

void TBaseOrdanixService::ProcessEntry(const std::string& Entry, TDateTime CycleStart) {
  const std::string Directory = GetField(Entry, ';', 0);
  std::string Mask = GetField(Entry, ';', 1);
  if (Mask.empty()) { Mask = "*"; }
  const std::string StatusFile = MapStatusFileName((*FStatusFiles)[FCurrentDestination], -1);
  const TDateTime EntryStart = FClock->Now();
  TDirectoryList List(Directory, Mask, Entry, 0, StatusFile);
  // Not a scope exit, whose action must not throw: the AfterDirectory hook can
  // raise, as the disconnect after a destination does.
  try {
    bool Ascending = false;
    IsAscendingEntry(Entry, Ascending);
    List.Process(Ascending, [this](const std::string& FileName, const std::string& EntryParam, bool& Continue) {
      return ProcessFile(FileName, EntryParam, Continue);
    });
    List.Save();
    int32_t Ok, Bad, Ms;
    {
      TLockGuard Guard(FLock);
      FFilesOk += List.OkCount();
      FFilesBad += List.FailCount();
      FElapsedMs = MilliSecondsSince(CycleStart, FClock->Now());
      Ok = FFilesOk;
      Bad = FFilesBad;
      Ms = FElapsedMs;
    }
    if (FConfig->LogDetailed && (List.OkCount() != 0 || List.FailCount() != 0)) {
      Log(LogInformation, WithElapsed(Format("processed directory %s, elasped ", Directory), FClock->Now() - EntryStart));
    }
    if (Ok != 0 || Bad != 0) { SetLastStats(Ok, Bad, Ms); }
  } catch (...) {
    AfterDirectory();
    throw;
  }
  AfterDirectory();
}

void TBaseOrdanixService::AfterDirectory() {}

void TBaseOrdanixService::IsAscendingEntry(const std::string&, bool& Ascending) { Ascending = false; }

void TBaseOrdanixService::BuildDirectoryEntries(const std::string& Directory, TStringList& Entries) {
  Entries.Add(Directory + ";*");
}

std::string TBaseOrdanixService::MapStatusFileName(const std::string& Name, int32_t) { return Name; }

bool TBaseOrdanixService::ProcessFile(const std::string&, const std::string&, bool&) { return true; }
