// Helpers of the in-process window tests: finding this thread's windows,
// pumping messages for a bounded time, and a watchdog so that a modal loop
// nobody answers cannot hang the run.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "forms/application.h"
#include "support/quietfailures.h"
#include "support/waitfor.h"

inline BOOL CALLBACK CollectWindow(HWND Window, LPARAM Windows) {
  reinterpret_cast<std::vector<HWND>*>(Windows)->push_back(Window);
  return TRUE;
}

// The visible top-level windows of a thread.
inline std::vector<HWND> ThreadWindows(DWORD ThreadId) {
  std::vector<HWND> All, Visible;
  EnumThreadWindows(ThreadId, CollectWindow, reinterpret_cast<LPARAM>(&All));
  for (HWND Window : All) {
    if (IsWindowVisible(Window)) { Visible.push_back(Window); }
  }
  return Visible;
}

// A visible top-level window of the calling thread with this caption; nullptr when none.
inline HWND FindThreadWindow(const std::string& Caption) {
  for (HWND Window : ThreadWindows(GetCurrentThreadId())) {
    char Text[256] = "";
    GetWindowTextA(Window, Text, sizeof Text);
    if (Caption == Text) { return Window; }
  }
  return nullptr;
}

// A visible message box of the given thread; nullptr when none.
inline HWND FindMessageBox(DWORD ThreadId) {
  for (HWND Window : ThreadWindows(ThreadId)) {
    char Class[64] = "";
    GetClassNameA(Window, Class, sizeof Class);
    if (std::string(Class) == "#32770") { return Window; }
  }
  return nullptr;
}

// Dispatches this thread's messages until Done() holds, at most TimeoutMs.
inline bool PumpUntil(const std::function<bool()>& Done, DWORD TimeoutMs = 20000) {
  return WaitFor([&] {
    Application.ProcessMessages();
    return Done();
  }, TimeoutMs, 5);
}

// Closes every visible top-level window of the watched thread (modal forms and
// message boxes alike) when the time runs out before Stop; Fired() tells.
class TWatchdog {
public:
  explicit TWatchdog(DWORD TimeoutMs = 60000) : FThreadId(GetCurrentThreadId()) {
    FThread = std::thread([this, TimeoutMs] {
      std::unique_lock<std::mutex> Lock(FMutex);
      if (FWake.wait_for(Lock, std::chrono::milliseconds(TimeoutMs), [this] { return FStopped; })) { return; }
      FFired = true;
      for (HWND Window : ThreadWindows(FThreadId)) { PostMessageA(Window, WM_CLOSE, 0, 0); }
    });
  }
  ~TWatchdog() { Stop(); }
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;
  void Stop() {
    {
      std::lock_guard<std::mutex> Lock(FMutex);
      FStopped = true;
    }
    FWake.notify_all();
    if (FThread.joinable()) { FThread.join(); }
  }
  bool Fired() const { return FFired; }

private:
  DWORD FThreadId;
  std::mutex FMutex;
  std::condition_variable FWake;
  bool FStopped = false;
  std::atomic<bool> FFired{false};
  std::thread FThread;
};

// A thread timer that runs Tick every Ms milliseconds while this thread
// dispatches messages (also inside modal loops and handlers); one at a time.
class TThreadTicker {
public:
  TThreadTicker(UINT Ms, std::function<void()> Tick) : FTick(std::move(Tick)) {
    Current() = this;
    FId = SetTimer(nullptr, 0, Ms, &TThreadTicker::Proc);
  }
  ~TThreadTicker() {
    KillTimer(nullptr, FId);
    Current() = nullptr;
  }
  TThreadTicker(const TThreadTicker&) = delete;
  TThreadTicker& operator=(const TThreadTicker&) = delete;

private:
  static TThreadTicker*& Current() {
    static TThreadTicker* Ticker = nullptr;
    return Ticker;
  }
  static void CALLBACK Proc(HWND, UINT, UINT_PTR, DWORD) {
    if (Current()) { Current()->FTick(); }
  }
  std::function<void()> FTick;
  UINT_PTR FId;
};

// Acts on a modal window of this thread from inside its modal loop: a thread
// ticker looks for a visible window with that caption and hands it to Act until
// Act says it acted; a window still open about 20 s later is closed.
class TModalDriver {
public:
  TModalDriver(std::string Caption, std::function<bool(HWND)> Act)
      : FCaption(std::move(Caption)), FAct(std::move(Act)) {}
  bool Acted() const { return FActed; }
  bool GaveUp() const { return FGaveUp; }

private:
  void Tick() {
    ++FTicks;
    HWND Window = FindThreadWindow(FCaption);
    if (!Window) { return; }
    if (!FActed) {
      FActed = FAct(Window);
    } else if (FTicks > 400 && !FGaveUp) {
      FGaveUp = true;
      PostMessageA(Window, WM_CLOSE, 0, 0);
    }
  }

  std::string FCaption;
  std::function<bool(HWND)> FAct;
  int FTicks = 0;
  bool FActed = false;
  bool FGaveUp = false;
  TThreadTicker FTicker{50, [this] { Tick(); }};  // last: it ticks once the rest is set
};

// A file held open by another program for reading only: it can be read, and
// every attempt to write it is refused (a read-only attribute is not, for root).
class TWriteRefused {
public:
  explicit TWriteRefused(const std::string& FileName)
      : FHandle(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~TWriteRefused() { Release(); }
  TWriteRefused(const TWriteRefused&) = delete;
  TWriteRefused& operator=(const TWriteRefused&) = delete;
  bool Held() const { return FHandle != INVALID_HANDLE_VALUE; }
  void Release() {
    if (FHandle != INVALID_HANDLE_VALUE) { CloseHandle(FHandle); }
    FHandle = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE FHandle;
};

// Whether the file can be opened for writing now.
inline bool Writable(const std::string& FileName) {
  HANDLE File = CreateFileA(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (File == INVALID_HANDLE_VALUE) { return false; }
  CloseHandle(File);
  return true;
}
