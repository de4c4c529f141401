// Security of the service's pipes, built once at program start by InitPipeSecurity,
// before any pipe server is created, and only read afterwards.
#pragma once
#include <windows.h>

#include <string>

#include "rtl/exceptions.h"

// A NULL DACL: every client, also from another PC, may open the pipe (information pipe).
extern SECURITY_DESCRIPTOR PipeSecurityDescriptor;
extern SECURITY_ATTRIBUTES PipeSecurityAttributes;

// The control pipe hands out and replaces a file that holds passwords: only the
// local Administrators group and LocalSystem may open it, locally or from another PC.
extern SECURITY_DESCRIPTOR ControlPipeSecurityDescriptor;
extern SECURITY_ATTRIBUTES ControlPipeSecurityAttributes;
// Why the control descriptor could not be built (the system's text); empty once it was.
extern std::string ControlPipeSecurityError;

class EPipeSecurityError : public Exception {
public:
  using Exception::Exception;
};

// The control pipe's attributes; raises EPipeSecurityError with
// ControlPipeSecurityError when they could not be built, so that the pipe is
// never created with the process's default security instead.
const SECURITY_ATTRIBUTES& ControlPipeSecurity();

// The open descriptor logs a failure with the system's text, and the information
// pipe then gets the process's default security; the control descriptor keeps
// its failure in ControlPipeSecurityError for the service to log at its start.
void InitPipeSecurity();
