// Services of this machine's service control manager as the tests reach them,
// each opened together with its manager and closed by lib/rtl's owners.
#pragma once
#include <windows.h>

#include <string>

#include "rtl/handles.h"

// The name norvask.exe registers its service under.
inline const char TransportServiceName[] = "TransportSvc";

// A service and the manager it was opened through; both close when it goes.
struct TLocalService {
  TServiceHandle Manager;
  TServiceHandle Service;
  SC_HANDLE Get() const { return Service.Get(); }
  bool Valid() const { return Service.Valid(); }
};

// The service opened with Access; not Valid() when the manager or the service
// cannot be opened (GetLastError says why).
TLocalService OpenLocalService(const std::string& Name, DWORD Access, DWORD ManagerAccess = SC_MANAGER_CONNECT);

// The service's status as the manager reports it; all zero when it is not installed.
SERVICE_STATUS_PROCESS ServiceStatus(const std::string& Name = TransportServiceName);
// Its current state; 0 when it is not installed.
DWORD ServiceState(const std::string& Name = TransportServiceName);
// Asks the service to stop and removes its registration, if there is one.
void RemoveService(const std::string& Name);
