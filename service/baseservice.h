// The base of the service program's service object: start, stop, the one lock,
// the log with the last messages, the statistics bookkeeping, the scheduler and
// the processing cycle over the tracked directories. Descendants say what the
// entries of a tracked directory are, what a destination is and how one file is
// handled.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "rtl/stringlist.h"
#include "rtl/sync.h"
#include "service/schedulerclock.h"
#include "svcframework/service.h"
#include "shared/debuglog.h"
#include "shared/odxconfig.h"
#include "shared/pipemessages.h"
#include "shared/versioninfo.h"

class TOrdanixSrvInfo;
class TOrdanixSrvControl;

class TBaseOrdanixService : public TService, public TLogEventSink {
public:
  TBaseOrdanixService(const std::string& Name, const std::string& DisplayName);
  ~TBaseOrdanixService() override;

  // Level 0 information, 3 error; remembered for the statistics, then written.
  void Log(uint32_t Level, const std::string& Text);
  void Lock();
  void Unlock();
  // Depth < 0 keeps the full path; otherwise the name keeps Depth parent folders.
  void SetLastFile(const std::string& FileName, bool Ok, int32_t Depth);
  void SetLastStats(int32_t Ok, int32_t Bad, int32_t Ms);
  void PublishNextRun();
  // The information pipe's statistics request (pipe thread).
  void FillStatsRecord(TOrdanixSrvInfo& Sender, TServiceStatsRecord& Record);
  // The control pipe's configuration requests (pipe thread).
  void OnConfigRetrieved(TOrdanixSrvControl& Sender);
  void OnConfigUpdated(TOrdanixSrvControl& Sender);

  // The event log, for the log writer.
  void LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) override;

  // The scheduler (service thread).
  bool TimeToRun();
  void InitNextRun();
  void ComputeNextRun();
  void RunCycle();
  // True when a pending control request other than interrogate (or the end of
  // the service) wants the running cycle to give way.
  bool CheckUrgentControl();

  // The scheduler's clock: the local time unless a test hands in its own.
  void SetClock(TSchedulerClock& Clock) { FClock = &Clock; }

protected:
  void ServiceStart(bool& Started) override;
  void ServiceStop(bool& Stopped) override;
  void ServiceShutdown() override;
  void ServiceExecute() override;

  // The hooks, in this order.
  virtual void LogMonitoredDirectories();
  // True when every step succeeded.
  virtual bool Startup();
  virtual bool Shutdown();
  virtual void AfterDirectory();
  virtual void AfterDestination() = 0;
  virtual void IsAscendingEntry(const std::string& Entry, bool& Ascending);
  virtual void PrepareDestination() = 0;
  virtual void BuildDirectoryEntries(const std::string& Directory, TStringList& Entries);
  virtual std::string MapStatusFileName(const std::string& Name, int32_t Index);
  virtual bool ProcessFile(const std::string& FileName, const std::string& EntryParam, bool& Continue);

  std::string FInfoPipeName;
  std::string FControlPipeName;
  std::string FIniName;  // relative to AppDir
  std::string FLogName;  // relative to AppDir
  TBaseOdxConfig* FConfig = nullptr;  // owned by the descendant
  int32_t FCurrentChain = 0;
  std::unique_ptr<TStringList> FEntries;
  std::unique_ptr<TStringList> FStatusFiles;  // one status-file name per destination
  int32_t FCurrentDestination = 0;
  // Lives exactly as long as the object; declared before the pipe servers, whose
  // threads take it, so that it outlives them.
  TCriticalSection FLock;
  std::unique_ptr<TOrdanixSrvInfo> FInfoServer;
  std::unique_ptr<TOrdanixSrvControl> FControlServer;
  TDateTime FNextRun = 0;
  std::unique_ptr<TVersionInfo> FVersionInfo;
  bool FStarting = false;
  bool FIdle = false;
  int32_t FFilesOk = 0;
  int32_t FFilesBad = 0;
  int32_t FElapsedMs = 0;
  std::string FLastOkFile;
  SYSTEMTIME FLastOkTime{};
  std::string FLastBadFile;
  SYSTEMTIME FLastBadTime{};
  int32_t FStatsOk = 0;
  int32_t FStatsBad = 0;
  int32_t FStatsMs = 0;
  SYSTEMTIME FStatsTime{};
  SYSTEMTIME FNextRunTime{};
  SYSTEMTIME FLastInfoTime{};
  SYSTEMTIME FLastErrorTime{};
  std::string FLastInfoText;
  std::string FLastErrorText;

private:
  // Runs one start-up or shutdown step; an exception is logged and gives false.
  template <class F>
  bool RunStep(F&& Step);
  void StartControlServer();
  // Stops and frees both pipe servers; LogStops names each stopped one in the log.
  void StopPipeServers(bool LogStops);
  // Stop and system shutdown: release everything, log Text after the name.
  void EndService(const std::string& Text);

  void ProcessChain(const std::string& Directory, TDateTime CycleStart);
  void ProcessDestination(TDateTime CycleStart);
  void ProcessEntry(const std::string& Entry, TDateTime CycleStart);
  void FinishDestination();

  TLocalClock FLocalClock;
  TSchedulerClock* FClock = &FLocalClock;
  bool FSchedulerRunning = false;
  std::string FDeferredStopText;  // set when a stop came while the scheduler ran
};
