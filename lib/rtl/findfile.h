// The entries of a folder that match a pattern, one at a time:
//   for (TFindFile Find(Folder + "\\*.txt"); Find.Found(); Find.Next()) { ... Find.Data() ... }
#pragma once
#include <windows.h>

#include <string>

#include "rtl/handles.h"

class TFindFile {
public:
  explicit TFindFile(const std::string& Pattern);

  // False once the entries are used up, or when none matched.
  bool Found() const { return FFound; }
  const WIN32_FIND_DATAA& Data() const { return FData; }
  void Next();

private:
  WIN32_FIND_DATAA FData;
  TOwnedHandle<HANDLE, TFindHandleCloser> FSearch;
  bool FFound;
};
