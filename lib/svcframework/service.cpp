#include "svcframework/service.h"

#include <exception>

TService::TService(std::string Name, std::string DisplayName)
    : FName(std::move(Name)), FDisplayName(std::move(DisplayName)), FEventLog(FName) {}

void TService::ReportStatus() {
  if (!FStatusHandle) { return; }  // not run by the service control manager
  TLockGuard Guard(FStatusLock);
  const DWORD State = FStatus;
  const bool Pending =
      State == SERVICE_START_PENDING || State == SERVICE_STOP_PENDING || State == SERVICE_CONTINUE_PENDING ||
      State == SERVICE_PAUSE_PENDING;
  SERVICE_STATUS S{};
  S.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  S.dwCurrentState = State;
  if (!Pending && State != SERVICE_STOPPED) {
    S.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
    if (AllowPause) { S.dwControlsAccepted |= SERVICE_ACCEPT_PAUSE_CONTINUE; }
  }
  S.dwWin32ExitCode = FExitCode;
  if (FExitCode == ERROR_SERVICE_SPECIFIC_ERROR) { S.dwServiceSpecificExitCode = 1; }
  S.dwCheckPoint = Pending ? ++FCheckPoint : 0;
  S.dwWaitHint = Pending ? WaitHint : 0;
  SetServiceStatus(FStatusHandle, &S);
}

void TService::SetStatus(DWORD State) {
  TLockGuard Guard(FStatusLock);
  if (FStatus != State) { FCheckPoint = 0; }
  FStatus = State;
  ReportStatus();
}

void TService::ProcessRequests(bool WaitForMessage) {
  MSG Msg;
  while (!Terminated()) {
    if (WaitForMessage) {
      if (GetMessageA(&Msg, nullptr, 0, 0) <= 0) { return; }
    } else if (!PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      return;
    }
    if (Msg.hwnd == nullptr && Msg.message == CM_SERVICE_CONTROL_CODE) {
      DispatchControl(static_cast<DWORD>(Msg.wParam));
    } else {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
  }
}

void TService::DispatchControl(DWORD Code) {
  switch (Code) {
    case SERVICE_CONTROL_STOP: HandleStop(); break;
    case SERVICE_CONTROL_SHUTDOWN: HandleShutdown(); break;
    default: ReportStatus(); break;  // interrogate, and requests this service does not take
  }
}

bool TService::QueueControl(DWORD Code, DWORD ServiceThreadId) {
  // Held across the post: the service thread cannot end the stop (and report
  // it stopped) before it has been reported pending here. A service that has
  // already ended hears of nothing more.
  TLockGuard Guard(FStatusLock);
  if (!PostThreadMessageA(ServiceThreadId, CM_SERVICE_CONTROL_CODE, Code, 0)) { return false; }
  if ((Code == SERVICE_CONTROL_STOP || Code == SERVICE_CONTROL_SHUTDOWN) && !Terminated()) {
    EnterStopPending();
    StopRequested(Code);
  }
  return true;
}

void TService::EnterStopPending() {
  TLockGuard Guard(FStatusLock);
  if (FStatus != SERVICE_STOP_PENDING) { FStatusBeforeStop = FStatus; }
  SetStatus(SERVICE_STOP_PENDING);  // a second report advances the check point
}

void TService::HandleStop() {
  EnterStopPending();
  bool Stopped = true;
  try {
    ServiceStop(Stopped);
  } catch (const std::exception& E) {
    LogMessage(E.what(), EVENTLOG_ERROR_TYPE, 0, 0);
  }
  if (Stopped) {
    FTerminated = true;
  } else {
    SetStatus(FStatusBeforeStop);
  }
}

void TService::HandleShutdown() {
  EnterStopPending();
  try {
    ServiceShutdown();
  } catch (const std::exception& E) {
    LogMessage(E.what(), EVENTLOG_ERROR_TYPE, 0, 0);
  }
  FTerminated = true;  // the system goes down whatever the handler said
}

void TService::LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) {
  FEventLog.Write(Message, EventType, Category, ID);
}

void TService::Run() {
  SetStatus(SERVICE_START_PENDING);
  bool Started = true;
  try {
    ServiceStart(Started);
  } catch (const std::exception& E) {
    LogMessage(E.what(), EVENTLOG_ERROR_TYPE, 0, 0);
    Started = false;
  }
  if (!Started) {
    FExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    SetStatus(SERVICE_STOPPED);
    return;
  }
  SetStatus(SERVICE_RUNNING);
  try {
    ServiceExecute();
  } catch (const std::exception& E) {
    LogMessage(E.what(), EVENTLOG_ERROR_TYPE, 0, 0);
  }
  SetStatus(SERVICE_STOPPED);
}

void TService::ServiceStart(bool&) {}
void TService::ServiceStop(bool&) {}
void TService::ServiceShutdown() {}
void TService::ServiceExecute() { ProcessRequests(true); }
