// Runs a service object's start and stop handlers in the calling thread, which
// stands in for the service thread, without the service control manager.
#pragma once

template <class TServiceClass>
class TInProcess : public TServiceClass {
public:
  using TServiceClass::TServiceClass;

  bool Start() {
    bool Started = true;
    this->ServiceStart(Started);
    return Started;
  }
  void Stop() {
    bool Stopped = true;
    this->ServiceStop(Stopped);
  }
};
