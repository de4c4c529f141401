#include "rtl/files.h"

#include <windows.h>

namespace {

size_t LastDelimiter(const std::string& FileName) {
  size_t P = FileName.find_last_of("\\/:");
  return P == std::string::npos ? 0 : P + 1;  // length of the folder part
}

bool IsDelimiter(char C) { return C == '\\' || C == '/'; }

}  // namespace

std::string ExtractFilePath(const std::string& FileName) { return FileName.substr(0, LastDelimiter(FileName)); }

std::string ExtractFileDir(const std::string& FileName) {
  size_t N = LastDelimiter(FileName);
  if (N > 1 && IsDelimiter(FileName[N - 1]) && FileName[N - 2] != ':' && !IsDelimiter(FileName[N - 2])) { --N; }
  return FileName.substr(0, N);
}

std::string ExtractFileName(const std::string& FileName) { return FileName.substr(LastDelimiter(FileName)); }

std::string ExtractFileExt(const std::string& FileName) {
  size_t Dot = FileName.find_last_of(".\\/:");
  return Dot != std::string::npos && FileName[Dot] == '.' ? FileName.substr(Dot) : std::string();
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Ext) {
  size_t Dot = FileName.find_last_of(".\\/:");
  if (Dot == std::string::npos || FileName[Dot] != '.') { return FileName + Ext; }
  return FileName.substr(0, Dot) + Ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& Path) {
  return !Path.empty() && Path.back() == '\\' ? Path : Path + "\\";
}

std::string ExcludeTrailingPathDelimiter(const std::string& Path) {
  return !Path.empty() && Path.back() == '\\' ? Path.substr(0, Path.size() - 1) : Path;
}

bool FileExists(const std::string& FileName) {
  DWORD A = GetFileAttributesA(FileName.c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& Path) {
  DWORD A = GetFileAttributesA(Path.c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& Path) {
  std::string Dir = ExcludeTrailingPathDelimiter(Path);
  if (Dir.empty()) { return false; }
  if (DirectoryExists(Dir) || (Dir.size() == 2 && Dir[1] == ':')) { return true; }
  std::string Parent = ExtractFileDir(Dir);
  if (Parent != Dir && !Parent.empty() && !ForceDirectories(Parent)) { return false; }
  if (CreateDirectoryA(Dir.c_str(), nullptr)) { return true; }
  const DWORD Error = GetLastError();  // kept for the caller's message
  if (DirectoryExists(Dir)) { return true; }  // made meanwhile by someone else
  SetLastError(Error);
  return false;
}
