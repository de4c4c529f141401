// The routines the service control manager calls: the service main routine and
// the control handler, for the one service of the process.
#pragma once
#include <windows.h>

#include "svcframework/service.h"

// The service that ServiceMain runs; set before the dispatcher starts.
void SetDispatchedService(TService* Service);

// Runs the service on the thread the dispatcher made for it (the service thread).
void WINAPI ServiceMain(DWORD ArgCount, LPSTR* Args);
