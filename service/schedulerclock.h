// Where the scheduler takes the current local date-time from; tests set their own.
#pragma once
#include "rtl/datetime.h"

class TSchedulerClock {
public:
  virtual ~TSchedulerClock() = default;
  virtual TDateTime Now() = 0;
};

class TLocalClock : public TSchedulerClock {
public:
  TDateTime Now() override { return ::Now(); }
};
