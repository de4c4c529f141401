#include "svcctrl.h"

#include <algorithm>

#include "console/resource.h"
#include "forms/resstrings.h"
#include "rtl/exceptions.h"
#include "rtl/strings.h"
#include "shared/transportconfig.h"

uint32_t ServiceWaitLimitMs = 120000;

namespace {

const char LocalSystemAccount[] = ".\\LocalSystem";

void QueryStatus(SC_HANDLE Handle, SERVICE_STATUS& Status) {
  if (!QueryServiceStatus(Handle, &Status)) { RaiseLastOSError(); }
}

// The pause between two queries: a tenth of the wait hint, at least 1 s, at most 10 s.
DWORD QueryInterval(DWORD WaitHint) { return std::clamp<DWORD>(WaitHint / 10, 1000, 10000); }

// Waits, from Status (the state just after the request), until the service reaches
// Target, following the service control manager's documented protocol, so that a
// service busy for longer than a fixed pause (an upload, say) is not given up on:
// - between queries it sleeps QueryInterval(wait hint);
// - while the service is in the Pending state, it gives up when the check point has
//   not advanced (and the state not changed) within the latest wait hint, measured
//   from the last advance; a wait hint of 0 allows no time without progress, so a
//   service that reports 0 and does not advance fails after one query;
// - while the service still shows NotYetTakenUp it is waited for, its wait hint of 0
//   not applying: a service takes a stop request up on its own thread, so it shows
//   "running" until that thread is free (the transport service only after the file
//   it is sending). A start has no such state (0): the service manager shows "start
//   pending" once it has accepted the start;
// - any other state (a start that fell back to stopped, a stop that was refused)
//   ends the wait at once;
// - in all it waits at most ServiceWaitLimitMs, so a service that advances forever,
//   or never takes its stop request up, cannot hang the console.
// Returns true when the service reached Target.
bool WaitForServiceState(SC_HANDLE Handle, SERVICE_STATUS Status, DWORD NotYetTakenUp, DWORD Pending, DWORD Target) {
  const ULONGLONG Start = GetTickCount64();
  ULONGLONG LastAdvance = Start;
  bool SeenPending = false;
  for (;;) {
    if (Status.dwCurrentState == Target) { return true; }
    if (Status.dwCurrentState == Pending) {
      SeenPending = true;
    } else if (SeenPending || Status.dwCurrentState != NotYetTakenUp) {
      return false;
    }
    const ULONGLONG Elapsed = GetTickCount64() - Start;
    if (Elapsed >= ServiceWaitLimitMs) { return false; }
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(QueryInterval(Status.dwWaitHint), ServiceWaitLimitMs - Elapsed)));

    const SERVICE_STATUS Old = Status;
    QueryStatus(Handle, Status);
    const ULONGLONG Now = GetTickCount64();
    if (Status.dwCurrentState != Old.dwCurrentState || Status.dwCheckPoint > Old.dwCheckPoint) {
      LastAdvance = Now;
    } else if (Status.dwCurrentState == Pending && Now - LastAdvance >= Status.dwWaitHint) {
      return false;  // no progress within the wait hint
    }
  }
}

}  // namespace

TServiceHandle OpenServiceOrRaise(SC_HANDLE ServiceManager, const std::string& ServiceName, DWORD Access) {
  TServiceHandle Service(OpenServiceA(ServiceManager, ServiceName.c_str(), Access));
  if (!Service.Valid()) { RaiseLastOSError(); }
  return Service;
}

void StartServiceAndWait(SC_HANDLE ServiceManager, const std::string& ServiceName) {
  const TServiceHandle Service = OpenServiceOrRaise(ServiceManager, ServiceName, SERVICE_START | SERVICE_QUERY_STATUS);
  if (!StartServiceA(Service.Get(), 0, nullptr)) { RaiseLastOSError(); }
  SERVICE_STATUS Status{};
  QueryStatus(Service.Get(), Status);
  if (!WaitForServiceState(Service.Get(), Status, 0, SERVICE_START_PENDING, SERVICE_RUNNING)) {
    throw Exception(LoadStr(IDS_FAILED_TO_START));
  }
}

void StopServiceAndWait(SC_HANDLE ServiceManager, const std::string& ServiceName) {
  const TServiceHandle Service = OpenServiceOrRaise(ServiceManager, ServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS);
  SERVICE_STATUS Status{};
  if (!ControlService(Service.Get(), SERVICE_CONTROL_STOP, &Status)) { RaiseLastOSError(); }
  QueryStatus(Service.Get(), Status);
  if (!WaitForServiceState(Service.Get(), Status, SERVICE_RUNNING, SERVICE_STOP_PENDING, SERVICE_STOPPED)) {
    throw Exception(LoadStr(IDS_FAILED_TO_STOP));
  }
}

std::string ServiceStateText(uint32_t State) {
  static const UINT Texts[] = {IDS_STATE_STOPPED, IDS_STATE_START_PENDING, IDS_STATE_STOP_PENDING,
                               IDS_STATE_RUNNING, IDS_STATE_CONTINUE_PENDING, IDS_STATE_PAUSE_PENDING,
                               IDS_STATE_PAUSED};
  return LoadStr(State >= SERVICE_STOPPED && State <= SERVICE_PAUSED ? Texts[State - SERVICE_STOPPED]
                                                                     : IDS_STATE_UNKNOWN);
}

// The password is passed whole: cut short, a longer one that the connectivity
// test accepted would keep the service from logging on.
void ChooseServiceLogon(const TTransportConfig& Config, std::string& Account, std::string& Password) {
  if (Config.Transport == tkCopy && !Config.Username.empty() && !AnsiSameText(Config.Username, LocalSystemAccount)) {
    Account = Config.Username;
    Password = Config.Password;
  } else {
    Account = LocalSystemAccount;
    Password.clear();
  }
}

void SetServiceLogon(SC_HANDLE ServiceManager, const std::string& ServiceName, const std::string& Account,
                     const std::string& Password) {
  const TServiceHandle Service =
      OpenServiceOrRaise(ServiceManager, ServiceName, SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS);
  if (!ChangeServiceConfigA(Service.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, nullptr,
                            nullptr, nullptr, nullptr, Account.c_str(), Password.c_str(), nullptr)) {
    RaiseLastOSError();
  }
}
