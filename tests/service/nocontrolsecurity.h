// Stands in, for one scope, for a control pipe descriptor that could not be built.
#pragma once
#include <string>

#include "service/pipesecurity.h"

class TNoControlSecurity {
public:
  explicit TNoControlSecurity(const std::string& Error)
      : FAttributes(ControlPipeSecurityAttributes), FError(ControlPipeSecurityError) {
    ControlPipeSecurityAttributes = {};
    ControlPipeSecurityError = Error;
  }
  ~TNoControlSecurity() {
    ControlPipeSecurityAttributes = FAttributes;
    ControlPipeSecurityError = FError;
  }
  TNoControlSecurity(const TNoControlSecurity&) = delete;
  TNoControlSecurity& operator=(const TNoControlSecurity&) = delete;

private:
  SECURITY_ATTRIBUTES FAttributes;
  std::string FError;
};
