#include "shared/commonhelpers.h"

#include <algorithm>

#include "rtl/files.h"
#include "rtl/findfile.h"
#include "rtl/format.h"

std::string AppDir;

std::string GetAppDir() {
  char Path[MAX_PATH + 1];
  DWORD Len = GetModuleFileNameA(nullptr, Path, sizeof Path);
  return ExtractFileDir(std::string(Path, Len));
}

void InitProgramPaths() {
  AppDir = GetAppDir();
  SetEnvironmentVariableA("TEMP", AppDir.c_str());
  SetEnvironmentVariableA("TMP", AppDir.c_str());
}

std::string GetField(const std::string& S, char Sep, int32_t Index) {
  return std::string(GetFieldView(S, Sep, Index));
}

std::string_view GetFieldView(std::string_view S, char Sep, int32_t Index) {
  if (Index < 0) { return {}; }
  size_t Start = 0;
  for (; Index > 0; --Index) {
    Start = S.find(Sep, Start);
    if (Start == std::string_view::npos) { return {}; }
    ++Start;
  }
  const size_t End = std::min(S.find(Sep, Start), S.size());
  return S.substr(Start, std::min<size_t>(End - Start, 255));
}

uint64_t GetFileSize64(const std::string& FileName) {
  const TFindFile Find(FileName);
  if (!Find.Found()) { return 0; }
  const WIN32_FIND_DATAA& Data = Find.Data();
  if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) { return 0; }
  return (static_cast<uint64_t>(Data.nFileSizeHigh) << 32) | Data.nFileSizeLow;
}

TDateTime FileTimeToDateTime(const FILETIME& Time) {
  SYSTEMTIME S;
  FileTimeToSystemTime(&Time, &S);
  return SystemTimeToDateTime(S);
}

std::string UtcOffsetText(int32_t Bias) {
  const int32_t Magnitude = Bias < 0 ? -Bias : Bias;
  return Format("(UTC %s%2.2d:%2.2d)", Bias > 0 ? "-" : "+", Magnitude / 60, Magnitude % 60);
}

std::string SystemTimeToStr(const SYSTEMTIME& T) {
  return Format("%2.2u.%2.2u.%4.4u %2.2u:%2.2u:%2.2u", T.wDay, T.wMonth, T.wYear, T.wHour, T.wMinute, T.wSecond);
}

void SplitDomainUser(const std::string& Account, std::string& Domain, std::string& User) {
  Domain.clear();
  User.clear();
  size_t Slash = Account.find('\\');
  if (Slash == std::string::npos) {
    User = Account;
  } else {
    Domain = Account.substr(0, Slash);
    User = Account.substr(Slash + 1);
  }
}
