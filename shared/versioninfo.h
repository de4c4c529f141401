// The version numbers and strings of a program file's version resource.
#pragma once
#include <cstdint>
#include <string>

class TVersionInfo {
public:
  // An empty FileName reads the running program's own file; an empty
  // Translation takes the resource's first translation entry. Never fails.
  TVersionInfo(const std::string& FileName, const std::string& Translation);
  void Load();

  std::string FileName;
  std::string Translation;  // eight hexadecimal digits: language, code page
  std::string Comments;
  std::string LegalCopyright;
  bool IsDebug = false;
  std::string FileDescription;
  bool IsPreRelease = false;
  uint16_t Build = 0;
  uint16_t Release = 0;
  uint16_t Major = 0;
  uint16_t Minor = 0;
};
