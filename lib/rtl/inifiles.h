// INI files through the platform's private-profile functions.
#pragma once
#include <cstdint>
#include <string>

#include "rtl/exceptions.h"

// A write that the platform refused: "Unable to write to %s" with the file name.
class EIniFileException : public Exception {
public:
  using Exception::Exception;
};

class TCustomIniFile {
public:
  explicit TCustomIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
  virtual ~TCustomIniFile() = default;
  TCustomIniFile(const TCustomIniFile&) = delete;
  TCustomIniFile& operator=(const TCustomIniFile&) = delete;

  const std::string& FileName() const { return FFileName; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;
  virtual void UpdateFile() = 0;

  // Decimal, or hexadecimal after "$" or "0x"; empty or not a number: Default.
  int32_t ReadInteger(const std::string& Section, const std::string& Ident, int32_t Default);
  void WriteInteger(const std::string& Section, const std::string& Ident, int32_t Value);
  // Read as an integer with 1 or 0 as default; any value but 0 is true. Written "1" or "0".
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);

private:
  std::string FFileName;
};

class TIniFile : public TCustomIniFile {
public:
  using TCustomIniFile::TCustomIniFile;
  ~TIniFile() override;
  // At most 2047 characters, as the profile reader returns them (blanks and
  // one pair of enclosing quotes dropped).
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  // Flushes the platform's cached writes to the file.
  void UpdateFile() override;
};
