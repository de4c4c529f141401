#include "svcframework/serviceinstaller.h"

#include <windows.h>

#include "rtl/exceptions.h"
#include "rtl/handles.h"

namespace {

TServiceHandle Opened(SC_HANDLE Handle) {
  if (!Handle) { RaiseLastOSError(); }
  return TServiceHandle(Handle);
}

std::string QuotedProgramPath() {
  char Path[MAX_PATH];
  const DWORD Length = GetModuleFileNameA(nullptr, Path, MAX_PATH);
  std::string Quoted(1, '"');
  Quoted.append(Path, Length).push_back('"');
  return Quoted;
}

}  // namespace

// Started with the system: the service runs unattended.
void InstallService(const std::string& Name, const std::string& DisplayName) {
  const TServiceHandle Manager = Opened(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  const std::string Binary = QuotedProgramPath();
  const TServiceHandle Service =
      Opened(CreateServiceA(Manager.Get(), Name.c_str(), DisplayName.c_str(), SERVICE_ALL_ACCESS,
                            SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, Binary.c_str(),
                            nullptr, nullptr, nullptr, nullptr, nullptr));
}

void UninstallService(const std::string& Name) {
  const TServiceHandle Manager = Opened(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  const TServiceHandle Service = Opened(OpenServiceA(Manager.Get(), Name.c_str(), DELETE));
  if (!DeleteService(Service.Get())) { RaiseLastOSError(); }
}
