#include "forms/timer.h"

#include "forms/form.h"

namespace {
UINT_PTR NextTimerId = 1;
}

TTimer::TTimer(TForm& Form, UINT Interval) : FForm(Form), FInterval(Interval), FId(NextTimerId++) {}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) { return; }
  FEnabled = Value;
  if (Value) {
    SetTimer(FForm.Handle(), FId, FInterval, nullptr);
  } else {
    KillTimer(FForm.Handle(), FId);
  }
}
