#include "svcframework/serviceinstaller.h"

#include <windows.h>

#include "rtl/exceptions.h"

namespace {

// A service-manager handle, closed once.
class TScHandle {
public:
  explicit TScHandle(SC_HANDLE Handle) : FHandle(Handle) { if (!FHandle) { RaiseLastOSError(); } }
  ~TScHandle() { CloseServiceHandle(FHandle); }
  TScHandle(const TScHandle&) = delete;
  TScHandle& operator=(const TScHandle&) = delete;
  SC_HANDLE Get() const { return FHandle; }

private:
  SC_HANDLE FHandle;
};

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
  TScHandle Manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  const std::string Binary = QuotedProgramPath();
  TScHandle Service(CreateServiceA(Manager.Get(), Name.c_str(), DisplayName.c_str(), SERVICE_ALL_ACCESS,
                                   SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                   Binary.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
}

void UninstallService(const std::string& Name) {
  TScHandle Manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  TScHandle Service(OpenServiceA(Manager.Get(), Name.c_str(), DELETE));
  if (!DeleteService(Service.Get())) { RaiseLastOSError(); }
}
