// A service whose hooks record how the cycle calls them, with a clock the test
// sets, run in the test's own thread (which stands in for the service thread).
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rtl/files.h"
#include "rtl/strings.h"
#include "service/baseservice.h"
#include "support/inprocessservice.h"

class TFakeClock : public TSchedulerClock {
public:
  TDateTime Now() override {
    const TDateTime Result = Time;
    Time += Step;
    return Result;
  }
  void Advance(double Ms) { Time += Ms / MSecsPerDay; }
  TDateTime Time = 0;
  double Step = 0;  // added after every reading
};

class TRecordingService : public TInProcess<TBaseOrdanixService> {
public:
  explicit TRecordingService(const std::string& Name) : TInProcess(Name, Name + " display") {
    FInfoPipeName = Name + "Info";
    FControlPipeName = Name + "Control";
    FIniName = "test.ini";
    FLogName = "test.log";
    FConfig = &Config;
    SetClock(Clock);
  }

  void SystemShutdown() { ServiceShutdown(); }
  void Execute() { ServiceExecute(); }

  void SetStatusFiles(const std::vector<std::string>& Names) {
    FStatusFiles->Clear();
    for (const std::string& Name : Names) { FStatusFiles->Add(Name); }
  }
  void SetStarting(bool Value) { FStarting = Value; }
  bool Idle() const { return FIdle; }
  bool ServesControlPipe() const { return FControlServer != nullptr; }
  int32_t FilesOk() const { return FFilesOk; }
  int32_t FilesBad() const { return FFilesBad; }
  int32_t ElapsedMs() const { return FElapsedMs; }
  TDateTime NextRun() const { return FNextRun; }
  void SetNextRun(TDateTime Value) { FNextRun = Value; }
  bool Released() const { return !FEntries && !FStatusFiles && !FInfoServer && !FControlServer; }

  TBaseOdxConfig Config;
  TFakeClock Clock;
  std::vector<std::string> Calls;
  // Entries per tracked directory; a directory not named here gets the base's.
  std::map<std::string, std::vector<std::string>> EntriesOf;
  double FileMs = 0;              // clock advance per file
  double AfterDestinationMs = 0;  // clock advance per AfterDestination
  // Runs inside each hook, after it was recorded, with the recorded line.
  std::function<void(const std::string& Call)> OnCall;
  // When not empty, listing the monitored directories at start-up raises it.
  std::string DirectoriesFailure;

protected:
  void LogMonitoredDirectories() override {
    TBaseOrdanixService::LogMonitoredDirectories();
    if (!DirectoriesFailure.empty()) { throw Exception(DirectoriesFailure); }
  }
  void BuildDirectoryEntries(const std::string& Directory, TStringList& Entries) override {
    Record("Build " + Directory);
    const auto Found = EntriesOf.find(Directory);
    if (Found == EntriesOf.end()) {
      TBaseOrdanixService::BuildDirectoryEntries(Directory, Entries);
    } else {
      for (const std::string& Entry : Found->second) { Entries.Add(Entry); }
    }
  }
  void PrepareDestination() override { Record("Prepare " + IntToStr(FCurrentDestination)); }
  void AfterDestination() override {
    Clock.Advance(AfterDestinationMs);
    Record("AfterDestination " + IntToStr(FCurrentDestination));
  }
  void IsAscendingEntry(const std::string& Entry, bool& Ascending) override {
    TBaseOrdanixService::IsAscendingEntry(Entry, Ascending);
    Ascending = Entry.ends_with(";up");
    Record("Ascending " + Entry);
  }
  std::string MapStatusFileName(const std::string& Name, int32_t Index) override {
    Record("Map " + Name + " " + IntToStr(Index));
    return TBaseOrdanixService::MapStatusFileName(Name, Index);
  }
  bool ProcessFile(const std::string& FileName, const std::string& EntryParam, bool& Continue) override {
    Clock.Advance(FileMs);
    Record("File " + ExtractFileName(FileName) + " " + EntryParam);
    Continue = ExtractFileName(FileName).find("last") == std::string::npos;
    return ExtractFileName(FileName).find("bad") == std::string::npos;
  }
  void AfterDirectory() override { Record("AfterDirectory"); }

private:
  void Record(const std::string& Call) {
    Calls.push_back(Call);
    if (OnCall) { OnCall(Call); }
  }
};
