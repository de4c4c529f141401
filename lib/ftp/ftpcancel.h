// The cancel of one FTP client, shared by its sockets: requested from any thread,
// never withdrawn. At once, every wait ends. With a stall limit, a wait that the
// client marks as finishing (a file the server has begun to store, or the
// goodbye) goes on for as long as something moves and ends after the limit
// without movement; every other wait ends at once. What the line has been handed
// but not carried yet is no stall: the limit counts from when it should be
// through, or from when it is known to be.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>

#include "rtl/sync.h"

class TFtpCancel {
public:
  // StallMs 0 cancels at once, also after a request with a stall limit; the
  // first stall limit stays.
  void Request(DWORD StallMs) {
    if (StallMs == 0) {
      FAtOnce = true;
      FAtOnceEvent.SetEvent();
      return;
    }
    DWORD None = 0;
    if (FStallMs.compare_exchange_strong(None, StallMs)) { FStalledEvent.SetEvent(); }
  }
  bool AtOnce() const { return FAtOnce; }
  bool Requested() const { return FAtOnce || FStallMs != 0; }
  DWORD StallMs() const { return FStallMs; }
  HANDLE AtOnceEvent() const { return FAtOnceEvent.Handle(); }
  HANDLE StalledEvent() const { return FStalledEvent.Handle(); }

  // Set by the client's thread around the waits that may outlive a cancel
  // with a stall limit.
  bool Finishing() const { return FFinishing; }
  void SetFinishing(bool Value) { FFinishing = Value; }

  // Set and read on the client's thread: until Tick the line is still carrying
  // what the client handed it, though nothing can be seen to move.
  void SetLineBusyUntil(DWORD Tick) {
    FLineBusy = true;
    FLineBusyUntil = Tick;
  }
  void ClearLineBusy() {
    FLineBusy = false;
    FLineEndEvent = nullptr;
  }
  // How long from Now the line is still busy; 0 when it is not.
  DWORD LineBusyFor(DWORD Now) const {
    const LONG Left = static_cast<LONG>(FLineBusyUntil - Now);
    return FLineBusy && Left > 0 ? static_cast<DWORD>(Left) : 0;
  }
  // Set on the client's thread once the line has been handed all: an event that
  // may tell, before the busy time is up, that the line is through (the data
  // connection's). A finishing wait for the busy line after a cancel then also
  // wakes on it and calls OnLineEndEvent, which clears the busy line when it is
  // through.
  void WatchLineEnd(HANDLE Event) { FLineEndEvent = Event; }
  HANDLE LineEndEvent() const { return FLineBusy ? FLineEndEvent : nullptr; }
  std::function<void()> OnLineEndEvent;
  // Called on the waiting thread about once a second while a finishing wait
  // waits for a busy line after a cancel: whoever waits for the cancel hears that
  // it goes on.
  std::function<void()> OnLineBusy;

private:
  std::atomic<bool> FAtOnce{false};
  std::atomic<DWORD> FStallMs{0};
  std::atomic<bool> FFinishing{false};
  bool FLineBusy = false;
  DWORD FLineBusyUntil = 0;
  HANDLE FLineEndEvent = nullptr;
  TEvent FAtOnceEvent;
  TEvent FStalledEvent;
};
