#include "forms/resstrings.h"

std::string LoadStr(UINT Id) {
  char Buffer[4096];
  const int Length = LoadStringA(GetModuleHandleA(nullptr), Id, Buffer, sizeof(Buffer));
  return std::string(Buffer, Length > 0 ? Length : 0);
}
