// Owned synchronisation objects: a critical section and a manual-reset event.
#pragma once
#include <windows.h>

class TCriticalSection {
public:
  TCriticalSection() { InitializeCriticalSection(&FSection); }
  ~TCriticalSection() { DeleteCriticalSection(&FSection); }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&FSection); }
  void Leave() { LeaveCriticalSection(&FSection); }

private:
  CRITICAL_SECTION FSection;
};

// Holds a critical section for the length of a scope.
class TLockGuard {
public:
  explicit TLockGuard(TCriticalSection& Section) : FSection(Section) { FSection.Enter(); }
  ~TLockGuard() { FSection.Leave(); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

private:
  TCriticalSection& FSection;
};

class TEvent {
public:
  TEvent() : FHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~TEvent() { if (FHandle) { CloseHandle(FHandle); } }
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;
  void SetEvent() { ::SetEvent(FHandle); }
  void ResetEvent() { ::ResetEvent(FHandle); }
  bool IsSet() const { return WaitForSingleObject(FHandle, 0) == WAIT_OBJECT_0; }
  HANDLE Handle() const { return FHandle; }

private:
  HANDLE FHandle;
};
