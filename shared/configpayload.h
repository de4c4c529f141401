// The configuration payload as either end of the control pipe reads it from a
// file: at most one message's worth, and whether the file held more. A file
// that does not fit, sent or handed out cut, would replace the whole.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct TPayloadRead {
  bool Ok = false;              // the file was opened and read
  DWORD Error = ERROR_SUCCESS;  // the system's code when it was not
  int32_t Count = 0;            // bytes read
  bool TooLong = false;         // the file holds more than the bytes read
};

// Reads at most Size bytes of the file at Path into Buffer; others may read the
// file meanwhile, not write it.
TPayloadRead ReadConfigPayload(const std::string& Path, uint8_t* Buffer, int32_t Size);
