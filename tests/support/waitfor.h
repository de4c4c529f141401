// The one bounded wait of the tests: asks again and again until the answer
// counts as true, for a limited time and a limited number of times.
#pragma once
#include <windows.h>

// How long a test waits for what it expects unless it says otherwise.
inline constexpr DWORD WaitLimitMs = 40000;

// Calls Probe every StepMs until what it gives counts as true or TimeoutMs have
// passed (it is asked once more at the end); gives what it gave last: a bool, a
// window, a pointer.
template <class TProbe>
auto WaitFor(TProbe Probe, DWORD TimeoutMs = WaitLimitMs, DWORD StepMs = 100) -> decltype(Probe()) {
  const ULONGLONG Deadline = GetTickCount64() + TimeoutMs;
  const DWORD MaxTurns = TimeoutMs / (StepMs > 0 ? StepMs : 1);
  for (DWORD Turn = 0; Turn < MaxTurns && GetTickCount64() < Deadline; ++Turn) {
    if (auto Result = Probe()) { return Result; }
    Sleep(StepMs);
  }
  return Probe();
}
