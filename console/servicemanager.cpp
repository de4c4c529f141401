#include "console/servicemanager.h"

TOpenServiceManagerHook OpenServiceManagerHook;

SC_HANDLE OpenServiceManager(const std::string& Machine, DWORD Access) {
  if (OpenServiceManagerHook) { return OpenServiceManagerHook(Machine, Access); }
  return OpenSCManagerA(Machine.empty() ? nullptr : Machine.c_str(), nullptr, Access);
}
