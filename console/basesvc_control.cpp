// Start, stop and restart of the watched service from the main window.
#include "console/basesvc_acess.h"
#include "console/resource.h"
#include "console/svcctrl.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"
#include "forms/waitcursor.h"

namespace {
DWORD QueryState(SC_HANDLE Service) {
  SERVICE_STATUS Status{};
  if (!QueryServiceStatus(Service, &Status)) { RaiseLastOSError(); }
  return Status.dwCurrentState;
}
}  // namespace

void TSvcWndBase::BtnSrvStartClick() {
  if (!IsServiceOpen()) { return; }
  if (QueryState(FService.Get()) == SERVICE_RUNNING) {
    ShowMessageBox(Handle(), LoadStr(IDS_ALREADY_RUNNING) + GetPcDisplayName(), mkInformation);
    return;
  }
  THourglass Wait;
  SetBusy(false);
  ShowProgress(ServiceStateText(SERVICE_START_PENDING));
  StartServiceAndWait(FScm.Get(), FServiceName);
  SetStatusText(ServiceStateText(SERVICE_RUNNING));
  ClearStateLabels();
}

void TSvcWndBase::BtnSrvStopClick() {
  if (!IsServiceOpen()) { return; }
  if (QueryState(FService.Get()) == SERVICE_STOPPED) {
    ShowMessageBox(Handle(), LoadStr(IDS_ALREADY_STOPPED) + GetPcDisplayName(), mkInformation);
    return;
  }
  THourglass Wait;
  SetBusy(false);
  ShowProgress(ServiceStateText(SERVICE_STOP_PENDING));
  StopServiceAndWait(FScm.Get(), FServiceName);
  SetStatusText(ServiceStateText(SERVICE_STOPPED));
  LabNextFileCheckAtVal.SetCaption("");
}

// The service reads its configuration only when it starts.
void TSvcWndBase::RestartService() {
  if (!IsServiceOpen()) { return; }
  // An access check only: the handle is closed again at once.
  OpenServiceOrRaise(FScm.Get(), FServiceName,
                     SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START |
                         SERVICE_STOP);
  const bool Stopped = QueryState(FService.Get()) == SERVICE_STOPPED;
  if (Stopped && ShowMessageBox(Handle(), LoadStr(IDS_RESTART_CONFIRM), mkConfirmation) != IDYES) { return; }
  THourglass Wait;
  if (!Stopped) {
    ShowProgress(ServiceStateText(SERVICE_STOP_PENDING));
    StopServiceAndWait(FScm.Get(), FServiceName);
  }
  ShowProgress(LoadStr(IDS_CHANGING_CONFIG));
  ChangeServiceLogon(FScm.Get());
  ShowProgress(ServiceStateText(SERVICE_START_PENDING));
  StartServiceAndWait(FScm.Get(), FServiceName);
  SetStatusText(ServiceStateText(SERVICE_RUNNING));
}

void TSvcWndBase::ChangeServiceLogon(SC_HANDLE) {}
