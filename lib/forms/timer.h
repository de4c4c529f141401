// A window timer of a form: its ticks come as messages, so they go on in every
// modal loop and message box of the thread and never interrupt a handler.
#pragma once
#include <windows.h>

#include <functional>

class TForm;

class TTimer {
public:
  TTimer(TForm& Form, UINT Interval);
  ~TTimer() { SetEnabled(false); }
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  UINT Interval() const { return FInterval; }
  UINT_PTR Id() const { return FId; }

  std::function<void()> OnTimer;

private:
  TForm& FForm;
  UINT FInterval;
  UINT_PTR FId;
  bool FEnabled = false;
};
