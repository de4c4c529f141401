#include "support/installedservice.h"

#include "support/localservice.h"
#include "support/runprogram.h"
#include "support/waitfor.h"

TInstalledService::TInstalledService(std::string Program, std::string Name, DWORD WaitMs)
    : FProgram(std::move(Program)), FName(std::move(Name)), FWaitMs(WaitMs) {
  if (ServiceState(FName) == 0) { return; }
  Stop();
  RemoveService(FName);
}

TInstalledService::~TInstalledService() {
  if (!FInstalled) { return; }
  if (ServiceState(FName) == SERVICE_RUNNING) { Stop(); }
  Uninstall();
}

// The manager lets a removed registration go only once the process of its
// service has let go of it; until then the same name cannot be registered again,
// so the install is tried until it succeeds or the wait runs out.
bool TInstalledService::Install() {
  FInstalled = WaitFor([&] { return RunProgram("\"" + FProgram + "\" INSTALL SILENT", FWaitMs) == 0; }, FWaitMs, 200);
  return FInstalled;
}

bool TInstalledService::Uninstall() {
  const bool Removed = RunProgram("\"" + FProgram + "\" UNINSTALL SILENT", FWaitMs) == 0;
  FInstalled = FInstalled && !Removed;
  return Removed;
}

bool TInstalledService::Start() {
  const TLocalService Service = OpenLocalService(FName, SERVICE_START);
  return Service.Valid() && StartServiceA(Service.Get(), 0, nullptr) && WaitForState(SERVICE_RUNNING);
}

bool TInstalledService::Stop() {
  const TLocalService Service = OpenLocalService(FName, SERVICE_STOP);
  SERVICE_STATUS Status;
  return Service.Valid() && ControlService(Service.Get(), SERVICE_CONTROL_STOP, &Status) &&
         WaitForState(SERVICE_STOPPED);
}

bool TInstalledService::WaitForState(DWORD State) const {
  return WaitFor([&] { return ServiceState(FName) == State; }, FWaitMs);
}
