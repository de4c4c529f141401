#include "service/baseservice.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "rtl/files.h"
#include "service/srvcontrol.h"
#include "service/srvinfo.h"
#include "shared/commonhelpers.h"

namespace {

constexpr int32_t InfoPipeInstances = 4;
constexpr int32_t ControlPipeInstances = 1;

// Copies at most Limit characters and the terminator.
template <size_t N>
void CopyText(char (&Dest)[N], const std::string& Text, size_t Limit) {
  const size_t Count = std::min(Text.size(), Limit);
  std::memcpy(Dest, Text.data(), Count);
  Dest[Count] = '\0';
}

}  // namespace

TBaseOrdanixService::TBaseOrdanixService(const std::string& Name, const std::string& DisplayName)
    : TService(Name, DisplayName) {}

// A start that was refused leaves its pipe servers running and the log attached:
// neither may reach a half-destroyed object. Nothing is logged: the descendant's
// configuration is already gone.
TBaseOrdanixService::~TBaseOrdanixService() {
  ClearLogTarget();
  StopPipeServers(false);
}

template <class F>
bool TBaseOrdanixService::RunStep(F&& Step) {
  try {
    Step();
    return true;
  } catch (const std::exception& E) {
    Log(LogError, E.what());
    return false;
  }
}

void TBaseOrdanixService::ServiceStart(bool& Started) {
  SetLogTarget(this, AppDir + "\\" + FLogName);
  TrimLogFile();
  Log(LogInformation, Name() + " service started");
  Started = Startup();
}

bool TBaseOrdanixService::Startup() {
  bool Result = true;
  {
    TLockGuard Guard(FLock);
    FStarting = true;
    FIdle = false;
    FFilesOk = FFilesBad = FElapsedMs = 0;
    FLastOkFile.clear();
    FLastBadFile.clear();
    FLastInfoText.clear();
    FLastErrorText.clear();
    FLastOkTime = FLastBadTime = FLastInfoTime = FLastErrorTime = SYSTEMTIME{};
  }
  // A failure of the first step (the log line and the version information) skips
  // every later one; a failure of a later step lets the others run. Either way
  // the start-up reports the failure.
  const bool Completed = RunStep([&] {
    // The configuration is read below: this is the switch's value before loading.
    if (FConfig->LogDetailed) { Log(LogInformation, "Starting service..."); }
    FVersionInfo = std::make_unique<TVersionInfo>("", "");

    Result &= RunStep([&] {
      FEntries = std::make_unique<TStringList>();
      FStatusFiles = std::make_unique<TStringList>();
      FStatusFiles->Add("dirlist.dst");
      FCurrentDestination = 0;
    });
    Result &= RunStep([&] {
      FConfig->LoadFromFile(AppDir + "\\" + FIniName);
      if (FConfig->LogDetailed) { Log(LogInformation, "Configuration loaded from \"" + FIniName + "\""); }
      LogMonitoredDirectories();
    });
    Result &= RunStep([&] {
      FInfoServer = std::make_unique<TOrdanixSrvInfo>(FInfoPipeName, InfoPipeInstances);
      FInfoServer->OnGetStats.Set(
          [this](TOrdanixSrvInfo& Sender, TServiceStatsRecord& Record) { FillStatsRecord(Sender, Record); });
      FInfoServer->Start();
      if (FConfig->LogDetailed) { Log(LogInformation, "Pipe server \"" + FInfoPipeName + "\" started"); }
    });
    Result &= RunStep([&] { StartControlServer(); });

    TLockGuard Guard(FLock);
    FStarting = false;
    FIdle = true;
    FFilesOk = FFilesBad = FElapsedMs = 0;
  });
  return Completed && Result;
}

// Without its own security descriptor the control pipe would be open to every
// client, and the file it serves holds passwords: it is then not served at all,
// and the rest of the service starts as usual.
void TBaseOrdanixService::StartControlServer() {
  try {
    FControlServer = std::make_unique<TOrdanixSrvControl>(FControlPipeName, ControlPipeInstances, FIniName);
  } catch (const EPipeSecurityError& E) {
    Log(LogError, "Pipe server \"" + FControlPipeName + "\" not started: " + E.what());
    return;
  }
  FControlServer->OnGetConfig.Set([this](TOrdanixSrvControl& Sender) { OnConfigRetrieved(Sender); });
  FControlServer->OnSetConfig.Set([this](TOrdanixSrvControl& Sender) { OnConfigUpdated(Sender); });
  FControlServer->Start();
  if (FConfig->LogDetailed) { Log(LogInformation, "Pipe server \"" + FControlPipeName + "\" started"); }
}

void TBaseOrdanixService::LogMonitoredDirectories() {
  for (int32_t I = 0; I < MaxTrackDirectories; ++I) {
    const std::string& Directory = FConfig->GetTrackDirectory(I);
    if (!Directory.empty()) { Log(LogInformation, "Monitor directory " + Directory); }
  }
}

// A stop or shutdown dispatched while the scheduler runs (from a descendant's
// per-file handler or wait inside a cycle) only marks the service: the cycle
// unwinds still using the log, the lists and the pipe servers, and
// ServiceExecute releases them once its loop has returned. Stopped stays true,
// so the service is terminated at once and the cycle gives way at its next
// check point.
void TBaseOrdanixService::ServiceStop(bool&) { EndService(" service stopped"); }

void TBaseOrdanixService::ServiceShutdown() { EndService(" stopped at system shutdown"); }

void TBaseOrdanixService::EndService(const std::string& Text) {
  if (FSchedulerRunning) {
    FDeferredStopText = Text;
    return;
  }
  Shutdown();
  Log(LogInformation, Name() + Text);
  ClearLogTarget();
}

bool TBaseOrdanixService::Shutdown() {
  if (FConfig->LogDetailed) { Log(LogInformation, "Stopping service..."); }
  RunStep([&] {
    StopPipeServers(FConfig->LogDetailed);
    FStatusFiles.reset();
    FEntries.reset();
    FVersionInfo.reset();
  });
  return true;
}

// Callbacks go first, so that a request still being served no longer reaches us;
// a server's thread has ended once it is freed.
void TBaseOrdanixService::StopPipeServers(bool LogStops) {
  if (FControlServer) {
    FControlServer->OnSetConfig.Set(nullptr);
    FControlServer->OnGetConfig.Set(nullptr);
    FControlServer.reset();
    if (LogStops) { Log(LogInformation, "Pipe server \"" + FControlPipeName + "\" stopped"); }
  }
  if (FInfoServer) {
    FInfoServer->OnGetStats.Set(nullptr);
    FInfoServer.reset();
    if (LogStops) { Log(LogInformation, "Pipe server \"" + FInfoPipeName + "\" stopped"); }
  }
}

void TBaseOrdanixService::Lock() { FLock.Enter(); }

void TBaseOrdanixService::Unlock() { FLock.Leave(); }

void TBaseOrdanixService::Log(uint32_t Level, const std::string& Text) {
  const SYSTEMTIME Time = LocalSystemTime();
  {
    TLockGuard Guard(FLock);
    if (Level >= LogError) {
      FLastErrorTime = Time;
      FLastErrorText = Text;
    } else {
      FLastInfoTime = Time;
      FLastInfoText = Text;
    }
  }
  DebugLog(static_cast<int32_t>(Level), Text);
}

void TBaseOrdanixService::LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) {
  TService::LogMessage(Message, EventType, Category, ID);
}

void TBaseOrdanixService::SetLastFile(const std::string& FileName, bool Ok, int32_t Depth) {
  std::string Name = FileName;
  if (Depth >= 0) {
    Name = ExtractFileName(FileName);
    std::string Folder = ExtractFileDir(FileName);
    for (int32_t I = 0; I < Depth; ++I) {
      Name = ExtractFileName(Folder) + "\\" + Name;
      Folder = ExtractFileDir(Folder);
    }
  }
  const SYSTEMTIME Time = LocalSystemTime();
  TLockGuard Guard(FLock);
  if (Ok) {
    FLastOkFile = Name;
    FLastOkTime = Time;
  } else {
    FLastBadFile = Name;
    FLastBadTime = Time;
  }
}

void TBaseOrdanixService::SetLastStats(int32_t Ok, int32_t Bad, int32_t Ms) {
  const SYSTEMTIME Time = LocalSystemTime();
  TLockGuard Guard(FLock);
  FStatsOk = Ok;
  FStatsBad = Bad;
  FStatsMs = Ms;
  FStatsTime = Time;
}

void TBaseOrdanixService::PublishNextRun() {
  const SYSTEMTIME Time = DateTimeToSystemTime(FNextRun);
  TLockGuard Guard(FLock);
  FNextRunTime = Time;
}

void TBaseOrdanixService::FillStatsRecord(TOrdanixSrvInfo&, TServiceStatsRecord& Record) {
  TLockGuard Guard(FLock);
  Record.RecordSize = sizeof(TServiceStatsRecord);
  Record.VersionMajor = FVersionInfo ? FVersionInfo->Major : 0;
  Record.VersionMinor = FVersionInfo ? FVersionInfo->Minor : 0;
  Record.VersionRelease = FVersionInfo ? FVersionInfo->Release : 0;
  Record.Busy = FIdle ? 0 : 1;
  Record.LastEventTime = FLastInfoTime;
  Record.Reserved1 = 0;
  Record.LastErrorTime = FLastErrorTime;
  Record.Reserved2 = 0;
  CopyText(Record.LastEventText, FLastInfoText, 127);
  CopyText(Record.LastErrorText, FLastErrorText, 127);
  CopyText(Record.LastFileOk, FLastOkFile, 64);
  Record.LastFileOkAt = FLastOkTime;
  CopyText(Record.LastFileBad, FLastBadFile, 64);
  Record.LastFileBadAt = FLastBadTime;
  Record.LastGroupOk = FStatsOk;
  Record.LastGroupBad = FStatsBad;
  Record.LastGroupMs = FStatsMs;
  Record.LastGroupAt = FStatsTime;
  Record.NextFileCheckAt = FNextRunTime;
}

void TBaseOrdanixService::OnConfigRetrieved(TOrdanixSrvControl&) {
  Log(LogInformation, "Service configuration file retrieved by client");
}

// The configuration is read at start-up only: the new file counts from the next start.
void TBaseOrdanixService::OnConfigUpdated(TOrdanixSrvControl&) { Log(LogInformation, "Service configuration file updated by client"); }
