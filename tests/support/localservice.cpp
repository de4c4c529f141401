#include "support/localservice.h"

TLocalService OpenLocalService(const std::string& Name, DWORD Access, DWORD ManagerAccess) {
  TLocalService Opened;
  Opened.Manager.Reset(OpenSCManagerA(nullptr, nullptr, ManagerAccess));
  if (Opened.Manager.Valid()) { Opened.Service.Reset(OpenServiceA(Opened.Manager.Get(), Name.c_str(), Access)); }
  return Opened;
}

SERVICE_STATUS_PROCESS ServiceStatus(const std::string& Name) {
  const TLocalService Service = OpenLocalService(Name, SERVICE_QUERY_STATUS);
  SERVICE_STATUS_PROCESS Status{};
  DWORD Needed = 0;
  if (!Service.Valid() || !QueryServiceStatusEx(Service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&Status),
                                                sizeof Status, &Needed)) {
    Status = {};
  }
  return Status;
}

DWORD ServiceState(const std::string& Name) { return ServiceStatus(Name).dwCurrentState; }

void RemoveService(const std::string& Name) {
  const TLocalService Old = OpenLocalService(Name, SERVICE_ALL_ACCESS, SC_MANAGER_ALL_ACCESS);
  if (!Old.Valid()) { return; }
  SERVICE_STATUS Status;
  ControlService(Old.Get(), SERVICE_CONTROL_STOP, &Status);
  DeleteService(Old.Get());
}
