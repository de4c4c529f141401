#include "transporttestsvc.h"

#include <windows.h>

#include "rtl/files.h"

void TTransportFolders::WriteIni(const std::string& Lines) const {
  const std::string Ini = Dir.Path() + "\\norvask.ini";
  WriteTextFile(Ini, Lines);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, Ini.c_str());
}

void TTransportFolders::ShopFile(const std::string& Relative, const std::string& Text) const {
  std::string Path = Shop + "\\" + Relative;
  for (char& C : Path) {
    if (C == '/') { C = '\\'; }
  }
  ForceDirectories(ExtractFileDir(Path));
  WriteTextFile(Path, Text);
}

std::string TTransportFolders::Log() const {
  const std::string Name = Dir.Path() + "\\norvask.log";
  return FileExists(Name) ? ReadTextFile(Name) : "";
}

std::string TTransportFolders::LogTexts() const {
  std::string Result;
  for (const std::string& Text : ::LogTexts(Dir.Path() + "\\norvask.log")) { Result += Text + "\n"; }
  return Result;
}
