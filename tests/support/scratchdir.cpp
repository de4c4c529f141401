#include "support/scratchdir.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "rtl/findfile.h"

namespace {
std::string TempRoot() {
  char Buffer[MAX_PATH];
  DWORD Len = GetTempPathA(sizeof Buffer, Buffer);
  return std::string(Buffer, Len);
}

// The long-path form reaches names that end in blanks or dots as they are.
std::string Verbatim(const std::string& Path) {
  return Path.size() > 2 && Path[1] == ':' ? "\\\\?\\" + Path : Path;
}

// A helper that cannot make what a test stands on stops the test where the cause is.
void Require(bool Done, const std::string& What) {
  if (!Done) { throw std::runtime_error(What + " failed, error " + std::to_string(GetLastError())); }
}
}  // namespace

TScratchDir::TScratchDir(const std::string& Name)
    : FPath(TempRoot() + "norvask_" + Name + "_" + std::to_string(GetCurrentProcessId())) {
  RemoveTree(FPath);
  Require(CreateDirectoryA(FPath.c_str(), nullptr), "creating " + FPath);
}

std::string MakeTestFolder(const std::string& Name) {
  static int Counter = 0;
  const std::string Folder = TempRoot() + Name + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(GetTickCount()) + "_" + std::to_string(++Counter);
  Require(CreateDirectoryA(Folder.c_str(), nullptr), "creating " + Folder);
  return Folder;
}

TScratchDir::~TScratchDir() { RemoveTree(FPath); }

void RemoveTree(const std::string& Path) {
  for (TFindFile Find(Path + "\\*"); Find.Found(); Find.Next()) {
    const WIN32_FIND_DATAA& Data = Find.Data();
    const std::string Name = Data.cFileName;
    if (Name == "." || Name == "..") { continue; }
    const std::string Full = Path + "\\" + Name;
    if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(Full);
    } else {
      SetFileAttributesA(Verbatim(Full).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(Verbatim(Full).c_str());
    }
  }
  RemoveDirectoryA(Path.c_str());
}

std::vector<std::string> FileNamesIn(const std::string& Folder) {
  std::vector<std::string> Names;
  for (TFindFile Find(Folder + "\\*"); Find.Found(); Find.Next()) {
    if (!(Find.Data().dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) { Names.push_back(Find.Data().cFileName); }
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

void WriteTextFile(const std::string& FileName, const std::string& Text) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out << Text;
  Out.close();
  if (!Out) { throw std::runtime_error("writing " + FileName + " failed"); }
}

std::vector<std::string> ReadLines(const std::string& FileName) {
  std::vector<std::string> Lines;
  std::istringstream Text(ReadTextFile(FileName));
  for (std::string Line; std::getline(Text, Line);) {
    if (!Line.empty() && Line.back() == '\r') { Line.pop_back(); }
    Lines.push_back(Line);
  }
  return Lines;
}

std::vector<std::string> LogTexts(const std::string& FileName) {
  std::vector<std::string> Texts;
  for (const std::string& Line : ReadLines(FileName)) {
    const size_t Tab = Line.find('\t');
    Texts.push_back(Tab == std::string::npos ? Line : Line.substr(Tab + 1));
  }
  return Texts;
}

std::string ReadTextFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}
