// A service object run by the service control manager: its handlers run on the
// service thread, which also receives every control request as a thread message.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "rtl/sync.h"
#include "svcframework/eventlogger.h"

// The thread message that carries a control request; wParam is the control code.
constexpr UINT CM_SERVICE_CONTROL_CODE = WM_USER + 1;

class TService {
public:
  TService(std::string Name, std::string DisplayName);
  virtual ~TService() = default;
  TService(const TService&) = delete;
  TService& operator=(const TService&) = delete;

  const std::string& Name() const { return FName; }
  const std::string& DisplayName() const { return FDisplayName; }

  bool AllowPause = false;
  DWORD WaitHint = 10000;  // milliseconds, sent with every pending status

  // The SERVICE_* state last set.
  DWORD Status() const { return FStatus; }
  // The service thread has been told to end.
  bool Terminated() const { return FTerminated; }
  // Tells the service control manager the current status.
  void ReportStatus();
  // Dispatches the control requests queued for the calling (service) thread until
  // the service is terminated; with false it returns once the queue is empty.
  void ProcessRequests(bool WaitForMessage);
  // An entry of the event log, with the service's name as its source.
  void LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID);

  // Run by the service main routine on the service thread: start, execute, and
  // the stopped status at the end.
  void Run();
  // Run by the control handler, on the dispatcher's thread: queues the request
  // for the service thread. Once a stop or shutdown is queued, it is reported as
  // pending at once and StopRequested may end what the service thread waits on.
  // False when the request could not be queued: then nothing has changed.
  bool QueueControl(DWORD Code, DWORD ServiceThreadId);
  // Set by the service main routine once the manager knows the service.
  void SetStatusHandle(SERVICE_STATUS_HANDLE Handle) { FStatusHandle = Handle; }

protected:
  // Started comes in true; false refuses the start.
  virtual void ServiceStart(bool& Started);
  // Stopped comes in true; false keeps the service running.
  virtual void ServiceStop(bool& Stopped);
  virtual void ServiceShutdown();
  // The service's work; the service ends when it returns. By default it only
  // serves control requests.
  virtual void ServiceExecute();
  // A stop or shutdown (Code) has been queued for the service thread; runs on the
  // dispatcher's thread, so it must only signal (cancel a wait), never block.
  virtual void StopRequested(DWORD /*Code*/) {}

  void SetStatus(DWORD State);

private:
  void DispatchControl(DWORD Code);
  // Reports stop-pending, remembering the state a refused stop returns to.
  void EnterStopPending();
  void HandleStop();
  void HandleShutdown();

  std::string FName;
  std::string FDisplayName;
  TEventLogger FEventLog;
  SERVICE_STATUS_HANDLE FStatusHandle = nullptr;
  // Status reports come from the service thread and the dispatcher's thread.
  TCriticalSection FStatusLock;
  std::atomic<DWORD> FStatus{SERVICE_STOPPED};
  DWORD FStatusBeforeStop = SERVICE_STOPPED;
  DWORD FCheckPoint = 0;
  DWORD FExitCode = NO_ERROR;
  std::atomic<bool> FTerminated{false};
};
