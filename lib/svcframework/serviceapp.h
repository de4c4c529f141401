// The service program's entry: install or remove the service from the command
// line, or hand the main thread to the service control dispatcher.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "svcframework/service.h"

class TServiceApplication {
public:
  explicit TServiceApplication(TService& Service);

  // "INSTALL" or "UNINSTALL" (with or without a leading / or -, any case) register or
  // remove the service, "SILENT" keeps the outcome to itself; otherwise the dispatcher
  // runs the service. Args excludes the program name. Returns the process exit code.
  int Run(const std::vector<std::string>& Args);

  // Shows the outcome of an install or uninstall: a message box titled with the
  // display name, unless a test replaces it.
  std::function<void(const std::string& Text, bool Failed)> ShowMessage;

private:
  // Runs an install or uninstall and reports its outcome; 0 or 1 as the exit code.
  int Register(const std::function<void()>& Action, const std::string& Success, bool Silent);
  int Dispatch();

  TService& FService;
};

// The arguments of main after the program name.
std::vector<std::string> ProgramArgs(int argc, char** argv);
