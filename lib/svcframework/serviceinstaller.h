// Registers the service with the local service control manager and removes it.
#pragma once
#include <string>

// Own process, auto start, LocalSystem, the running program as its binary.
// Both raise EOSError when the manager refuses.
void InstallService(const std::string& Name, const std::string& DisplayName);
void UninstallService(const std::string& Name);
