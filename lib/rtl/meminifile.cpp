#include "rtl/meminifile.h"

#include "rtl/format.h"
#include "rtl/strings.h"
#include "rtl/textfile.h"

TMemIniFile::TMemIniFile(std::string FileName) : TCustomIniFile(std::move(FileName)) {
  TTextFileReader Reader(this->FileName());
  std::string Line;
  while (Reader.Opened() && Reader.ReadLine(Line)) {
    Line = Trim(Line);
    if (Line.size() >= 2 && Line.front() == '[' && Line.back() == ']') {
      FSections.push_back({Line.substr(1, Line.size() - 2), {}});
    } else if (const size_t Equals = Line.find('='); Equals != std::string::npos && !FSections.empty()) {
      FSections.back().Values.emplace_back(TrimRight(Line.substr(0, Equals)), TrimLeft(Line.substr(Equals + 1)));
    }
  }
}

TMemIniFile::TSection* TMemIniFile::FindSection(const std::string& Name) {
  for (TSection& Section : FSections) {
    if (AnsiSameText(Section.Name, Name)) { return &Section; }
  }
  return nullptr;
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
  if (TSection* Found = FindSection(Section)) {
    for (const auto& [Name, Value] : Found->Values) {
      if (AnsiSameText(Name, Ident)) { return Value; }
    }
  }
  return Default;
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  TSection* Found = FindSection(Section);
  if (!Found) {
    FSections.push_back({Section, {}});
    Found = &FSections.back();
  }
  for (auto& [Name, Old] : Found->Values) {
    if (AnsiSameText(Name, Ident)) {
      Old = Value;
      return;
    }
  }
  Found->Values.emplace_back(Ident, Value);
}

void TMemIniFile::UpdateFile() {
  try {
    TTextFileWriter Writer(FileName());
    for (const TSection& Section : FSections) {
      Writer.WriteLine("[" + Section.Name + "]");
      for (const auto& [Name, Value] : Section.Values) { Writer.WriteLine(Name + "=" + Value); }
      Writer.WriteLine("");
    }
    Writer.Close();
  } catch (const EOSError&) {
    throw EIniFileException(Format("Unable to write to %s", FileName()));
  }
}
