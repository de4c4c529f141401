// Security of the service's pipes, built once at program start by InitPipeSecurity,
// before any pipe server is created, and only read afterwards.
#pragma once
#include <windows.h>

// A NULL DACL: every client, also from another PC, may open the pipe (information pipe).
extern SECURITY_DESCRIPTOR PipeSecurityDescriptor;
extern SECURITY_ATTRIBUTES PipeSecurityAttributes;

// The control pipe hands out and replaces a file that holds passwords: only the
// local Administrators group and LocalSystem may open it, locally or from another PC.
extern SECURITY_DESCRIPTOR ControlPipeSecurityDescriptor;
extern SECURITY_ATTRIBUTES ControlPipeSecurityAttributes;

// A failed step logs the system's text; its attributes then stay all zero, and the
// pipe gets the process's default security.
void InitPipeSecurity();
