#include "svcframework/serviceapp.h"

#include <windows.h>

#include "rtl/exceptions.h"
#include "rtl/strings.h"
#include "svcframework/servicemain.h"
#include "svcframework/serviceinstaller.h"

namespace {

bool HasSwitch(const std::vector<std::string>& Args, const std::string& Switch) {
  for (const std::string& Arg : Args) {
    const bool Prefixed = !Arg.empty() && (Arg[0] == '/' || Arg[0] == '-');
    if (AnsiSameText(Prefixed ? Arg.substr(1) : Arg, Switch)) { return true; }
  }
  return false;
}

}  // namespace

TServiceApplication::TServiceApplication(TService& Service) : FService(Service) {
  ShowMessage = [this](const std::string& Text, bool Failed) {
    MessageBoxA(nullptr, Text.c_str(), FService.DisplayName().c_str(),
                MB_OK | (Failed ? MB_ICONERROR : MB_ICONINFORMATION));
  };
}

int TServiceApplication::Run(const std::vector<std::string>& Args) {
  const bool Silent = HasSwitch(Args, "SILENT");
  if (HasSwitch(Args, "INSTALL")) {
    return Register([this] { InstallService(FService.Name(), FService.DisplayName()); },
                    "Service installed successfully", Silent);
  }
  if (HasSwitch(Args, "UNINSTALL")) {
    return Register([this] { UninstallService(FService.Name()); }, "Service uninstalled successfully", Silent);
  }
  return Dispatch();
}

int TServiceApplication::Register(const std::function<void()>& Action, const std::string& Success, bool Silent) {
  try {
    Action();
  } catch (const Exception& E) {
    if (!Silent) { ShowMessage(E.Message(), true); }
    return 1;
  }
  if (!Silent) { ShowMessage(Success, false); }
  return 0;
}

int TServiceApplication::Dispatch() {
  SetDispatchedService(&FService);
  std::string Name = FService.Name();
  SERVICE_TABLE_ENTRYA Table[] = {{Name.data(), ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(Table)) { return static_cast<int>(GetLastError()); }
  return 0;
}

std::vector<std::string> ProgramArgs(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}
