// Service control through the service control manager of the chosen PC:
// start and stop with a wait for the service, the state texts, and the logon
// account that the main window sets before a restart.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "rtl/handles.h"

class TTransportConfig;

// The service opened with Access, owned, so that it is closed also when the caller
// raises. Raises the OS error when it cannot be opened.
TServiceHandle OpenServiceOrRaise(SC_HANDLE ServiceManager, const std::string& ServiceName, DWORD Access);

// Starts the service and waits until it runs. Raises the OS error when the
// service cannot be opened (0x14), started or queried, and "Failed to start
// service" when it does not reach the running state (see svcctrl.cpp for the wait).
void StartServiceAndWait(SC_HANDLE ServiceManager, const std::string& ServiceName);
// Stops the service and waits until it is stopped. Raises the OS error when the
// service cannot be opened (0x24), stopped or queried, and "Failed to stop service"
// when it does not reach the stopped state.
void StopServiceAndWait(SC_HANDLE ServiceManager, const std::string& ServiceName);
// The French text of a service state (1 to 7); "Etat du service inconnu" for any other.
std::string ServiceStateText(uint32_t State);

// The logon account for the transport service from its configuration: ".\LocalSystem"
// and an empty password for every kind but COPY, and for COPY without a named account
// (empty, or ".\LocalSystem" in any case); else Username and the whole Password.
void ChooseServiceLogon(const TTransportConfig& Config, std::string& Account, std::string& Password);
// Sets the service's logon account and password (opened with access 6); type,
// start type, error control, program path and display name stay. Raises the OS error.
void SetServiceLogon(SC_HANDLE ServiceManager, const std::string& ServiceName, const std::string& Account,
                     const std::string& Password);

// The longest a start or stop waits in all, in milliseconds (2 minutes), however the
// service advances. Tests may lower it; nothing else changes it.
extern uint32_t ServiceWaitLimitMs;
