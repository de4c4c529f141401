#include "rtl/inifiles.h"

#include <windows.h>

#include "rtl/format.h"
#include "rtl/strings.h"

int32_t TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default) {
  std::string Value = ReadString(Section, Ident, "");
  if (Value.size() > 2 && Value[0] == '0' && (Value[1] == 'x' || Value[1] == 'X')) { Value = "$" + Value.substr(2); }
  return StrToIntDef(Value, Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

TIniFile::~TIniFile() {
  // Wine and Windows cache profile writes; make them reach the disk.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str());
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
  char Buffer[2048];
  DWORD Len = GetPrivateProfileStringA(Section.c_str(), Ident.c_str(), Default.c_str(), Buffer, sizeof Buffer,
                                       FileName().c_str());
  return std::string(Buffer, Len);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!WritePrivateProfileStringA(Section.c_str(), Ident.c_str(), Value.c_str(), FileName().c_str())) {
    throw EIniFileException(Format("Unable to write to %s", FileName()));
  }
}

void TIniFile::UpdateFile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, FileName().c_str()); }
