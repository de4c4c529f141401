// A fresh folder under the temporary directory for one test, and small file helpers.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "rtl/files.h"
#include "support/scratchdir.h"

inline std::string MakeTestFolder(const std::string& Name) {
  char Temp[MAX_PATH];
  GetTempPathA(MAX_PATH, Temp);
  static int Counter = 0;
  const std::string Folder = std::string(Temp) + Name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(GetTickCount()) + "_" + std::to_string(++Counter);
  ForceDirectories(Folder);
  return Folder;
}
