#include "tests/console/e2eservice.h"

#include <vector>

#include "rtl/files.h"

bool WaitFor(const std::function<bool()>& Condition, DWORD Ms) {
  for (DWORD Waited = 0; Waited < Ms; Waited += 200) {
    if (Condition()) { return true; }
    Sleep(200);
  }
  return Condition();
}

DWORD ServiceState() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = Manager ? OpenServiceA(Manager, "TransportSvc", SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS Status{};
  const bool Known = Service && QueryServiceStatus(Service, &Status);
  if (Service) { CloseServiceHandle(Service); }
  if (Manager) { CloseServiceHandle(Manager); }
  return Known ? Status.dwCurrentState : 0;
}

bool StartService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_START);
  const bool Started = Service && StartServiceA(Service, 0, nullptr);
  if (Service) { CloseServiceHandle(Service); }
  CloseServiceHandle(Manager);
  return Started && WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs);
}

bool StopService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_STOP);
  SERVICE_STATUS Status;
  if (Service) {
    ControlService(Service, SERVICE_CONTROL_STOP, &Status);
    CloseServiceHandle(Service);
  }
  CloseServiceHandle(Manager);
  return WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, ServiceWaitMs);
}

void RemoveLeftoverService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (SC_HANDLE Old = OpenServiceA(Manager, "TransportSvc", SERVICE_ALL_ACCESS)) {
    StopService();
    DeleteService(Old);
    CloseServiceHandle(Old);
  }
  CloseServiceHandle(Manager);
}

std::string LogonAccount() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_QUERY_CONFIG);
  std::string Account;
  std::vector<char> Buffer(8192);
  auto* Config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(Buffer.data());
  DWORD Needed = 0;
  if (QueryServiceConfigA(Service, Config, static_cast<DWORD>(Buffer.size()), &Needed) && Config->lpServiceStartName) {
    Account = Config->lpServiceStartName;
  }
  CloseServiceHandle(Service);
  CloseServiceHandle(Manager);
  return Account;
}

std::string ScreenshotPath(const std::string& Name) {
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  const std::string Folder = ExtractFileDir(ExtractFileDir(ExtractFileDir(Self))) + "\\screenshots";
  ForceDirectories(Folder);
  return Folder + "\\" + Name;
}
