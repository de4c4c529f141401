#include "svcframework/servicemain.h"

#include <atomic>

namespace {

TService* FService = nullptr;
std::atomic<DWORD> FServiceThreadId{0};

// Runs on the dispatcher's thread: the request goes to the service thread's queue,
// and the service hears of a stop at once.
DWORD WINAPI ControlHandler(DWORD Control, DWORD, LPVOID, LPVOID) {
  const DWORD Thread = FServiceThreadId;
  if (Thread == 0 || !FService->QueueControl(Control, Thread)) {
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
