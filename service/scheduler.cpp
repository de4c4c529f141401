// The scheduler of TBaseOrdanixService: when a cycle is due, and the loop that
// runs cycles and keeps the control requests flowing.
#include <algorithm>
#include <cmath>
#include <exception>

#include "service/baseservice.h"

namespace {

constexpr DWORD IdleSleepMs = 100;
constexpr double FirstRunDelay = 5.0 / SecsPerDay;

}  // namespace

void TBaseOrdanixService::ServiceExecute() {
  FSchedulerRunning = true;
  InitNextRun();
  PublishNextRun();
  while (!Terminated()) {
    if (TimeToRun()) {
      try {
        RunCycle();
      } catch (const std::exception& E) {
        Log(LogError, E.what());
      }
      ComputeNextRun();
      PublishNextRun();
    } else {
      Sleep(IdleSleepMs);
    }
    ProcessRequests(false);
  }
  // Nothing of the cycle runs any more: a stop that came meanwhile can release.
  FSchedulerRunning = false;
  if (!FDeferredStopText.empty()) { EndService(FDeferredStopText); }
}

bool TBaseOrdanixService::TimeToRun() { return FClock->Now() > FNextRun; }

void TBaseOrdanixService::InitNextRun() {
  const TDateTime Current = FClock->Now();
  const TDateTime First = Current + FirstRunDelay;
  FNextRun = First;
  if (FConfig->ExactTimeMode) {
    // An empty list gives a negative time of day, always earlier than First.
    const TDateTime Candidate = std::trunc(Current) + FConfig->ExactTime.Nearest(Current);
    if (Candidate > First) { FNextRun = Candidate; }
  }
}

void TBaseOrdanixService::ComputeNextRun() {
  const TDateTime Current = FClock->Now();
  const TDateTime Today = std::trunc(Current);
  const TTimeList& Times = FConfig->ExactTime;
  if (FConfig->ExactTimeMode && Times.Count() > 0) {
    const double Next = Times.NextAfter(Current);
    FNextRun = Next >= 0 ? Today + Next : Today + 1 + Times.Nearest(0);
  } else {
    // However small the interval (a hand-edited file may even hold a negative
    // one), the loop has its turn between two cycles instead of spinning.
    FNextRun = Current + std::max(FConfig->TimeBetweenActions / SecsPerDay, IdleSleepMs / MSecsPerDay);
  }
}

bool TBaseOrdanixService::CheckUrgentControl() {
  if (Terminated()) { return true; }
  MSG Msg;
  while (PeekMessageA(&Msg, nullptr, CM_SERVICE_CONTROL_CODE, CM_SERVICE_CONTROL_CODE, PM_NOREMOVE)) {
    if (Msg.wParam != SERVICE_CONTROL_INTERROGATE) { return true; }  // stays queued for ProcessRequests
    // Answered now and taken off the queue, so that a stop queued behind it is seen.
    ReportStatus();
    PeekMessageA(&Msg, nullptr, CM_SERVICE_CONTROL_CODE, CM_SERVICE_CONTROL_CODE, PM_REMOVE);
  }
  return false;
}
