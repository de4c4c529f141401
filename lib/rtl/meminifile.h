// An INI file held whole in memory: read completely when opened, written back
// completely by UpdateFile.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "rtl/inifiles.h"

class TMemIniFile : public TCustomIniFile {
public:
  // A missing or unreadable file gives an empty one.
  explicit TMemIniFile(std::string FileName);
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  // Raises EIniFileException "Unable to write to %s" when the file cannot be written.
  void UpdateFile() override;

private:
  struct TSection {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Values;
  };
  TSection* FindSection(const std::string& Name);
  std::vector<TSection> FSections;
};
