#include "svcframework/servicemain.h"

#include <atomic>

namespace {

TService* FService = nullptr;
std::atomic<DWORD> FServiceThreadId{0};

// Runs on the dispatcher's thread: the service hears of the request at once, and
// the request goes to the service thread's queue.
DWORD WINAPI ControlHandler(DWORD Control, DWORD, LPVOID, LPVOID) {
  const DWORD Thread = FServiceThreadId;
  if (Thread != 0) { FService->ControlRequested(Control); }
  if (Thread == 0 || !PostThreadMessageA(Thread, CM_SERVICE_CONTROL_CODE, Control, 0)) {
    return Control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_SERVICE_CANNOT_ACCEPT_CTRL;
  }
  return NO_ERROR;
}

}  // namespace

void SetDispatchedService(TService* Service) { FService = Service; }

void WINAPI ServiceMain(DWORD, LPSTR*) {
  MSG Msg;
  PeekMessageA(&Msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists before the first request
  SERVICE_STATUS_HANDLE Handle = RegisterServiceCtrlHandlerExA(FService->Name().c_str(), ControlHandler, nullptr);
  if (!Handle) { return; }
  FService->SetStatusHandle(Handle);
  FServiceThreadId = GetCurrentThreadId();
  FService->Run();
  FServiceThreadId = 0;
}
