#include "rtl/exceptions.h"

#include <windows.h>

#include "rtl/format.h"

std::string SysErrorMessage(uint32_t ErrorCode) {
  char Buffer[1024];
  DWORD Len = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_ARGUMENT_ARRAY,
                             nullptr, ErrorCode, 0, Buffer, sizeof Buffer, nullptr);
  // Drop the trailing line break and full stop the system puts after its text.
  while (Len > 0 && (static_cast<unsigned char>(Buffer[Len - 1]) <= ' ' || Buffer[Len - 1] == '.')) {
    --Len;
  }
  return std::string(Buffer, Len);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(uint32_t ErrorCode) {
  if (ErrorCode == 0) { throw EOSError(0, "A call to an OS function failed"); }
  throw EOSError(ErrorCode, Format("System Error.  Code: %d.", ErrorCode) + "\r\n" +
                                SysErrorMessage(ErrorCode));
}
