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

// One request to a local pipe and its answer; empty when the call failed. A pipe
// that its server thread has not created yet is tried again for up to 2 s.
inline std::string CallPipe(const std::string& PipeName, const std::string& Request) {
  std::string Answer(16384, '\0');
  DWORD Read = 0;
  const std::string Path = "\\\\.\\pipe\\" + PipeName;
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    if (CallNamedPipeA(Path.c_str(), const_cast<char*>(Request.data()), static_cast<DWORD>(Request.size()),
                       Answer.data(), static_cast<DWORD>(Answer.size()), &Read, NMPWAIT_NOWAIT)) {
      Answer.resize(Read);
      return Answer;
    }
    Sleep(20);
  }
  return {};
}

// A 28-byte request header with no data.
inline std::string PipeRequest(const std::string& Keyword) {
  std::string Request(28, '\0');
  Request.replace(0, Keyword.size(), Keyword);
  return Request;
}
