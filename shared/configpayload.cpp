#include "shared/configpayload.h"

#include "rtl/handles.h"

TPayloadRead ReadConfigPayload(const std::string& Path, uint8_t* Buffer, int32_t Size) {
  TPayloadRead Result;
  const THandle File(CreateFileA(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD Read = 0;
  if (!File.Valid() || !ReadFile(File.Get(), Buffer, static_cast<DWORD>(Size), &Read, nullptr)) {
    Result.Error = GetLastError();
    return Result;
  }
  // One byte more tells a file that does not fit.
  uint8_t Beyond;
  DWORD ReadBeyond = 0;
  Result.TooLong = ReadFile(File.Get(), &Beyond, 1, &ReadBeyond, nullptr) && ReadBeyond != 0;
  Result.Ok = true;
  Result.Count = static_cast<int32_t>(Read);
  return Result;
}
