// A thread object: the descendant's Execute runs on its own thread.
#pragma once
#include <windows.h>

#include <atomic>

class TThread {
public:
  TThread() = default;
  // The descendant's destructor must call Terminate and WaitFor before its own
  // fields go, since Execute may still use them.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Starts the thread; called once, after the descendant is fully built.
  void Start();
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  // Waits until Execute has returned (at once when the thread never started).
  void WaitFor();
  DWORD ThreadId() const { return FThreadId; }
  // The thread's handle, null before Start (for an APC that wakes its wait).
  HANDLE Handle() const { return FHandle; }

protected:
  virtual void Execute() = 0;

private:
  static DWORD WINAPI ThreadProc(LPVOID Self);
  HANDLE FHandle = nullptr;
  DWORD FThreadId = 0;
  std::atomic<bool> FTerminated{false};
};
