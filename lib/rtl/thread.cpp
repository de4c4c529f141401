#include "rtl/thread.h"

#include "rtl/exceptions.h"

TThread::~TThread() {
  Terminate();
  WaitFor();
  if (FHandle) { CloseHandle(FHandle); }
}

void TThread::Start() {
  FHandle = CreateThread(nullptr, 0, &TThread::ThreadProc, this, 0, &FThreadId);
  if (!FHandle) { RaiseLastOSError(); }
}

void TThread::WaitFor() {
  if (FHandle) { WaitForSingleObject(FHandle, INFINITE); }
}

DWORD WINAPI TThread::ThreadProc(LPVOID Self) {
  try {
    static_cast<TThread*>(Self)->Execute();
  } catch (...) {
    // An exception must not cross the thread's boundary; Execute reports its own.
  }
  return 0;
}
