// Scratch folders of files with chosen sizes and times, status files and their
// lines, for the directory-list tests.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "rtl/formatdatetime.h"
#include "service/dirlist.h"
#include "shared/commonhelpers.h"
#include "support/scratchdir.h"

const TDateTime T0 = EncodeDate(2024, 5, 31) + EncodeTime(6, 12, 3, 250);
constexpr double Second = 1.0 / SecsPerDay;

inline FILETIME ToFileTime(TDateTime Utc) {
  const SYSTEMTIME S = DateTimeToSystemTime(Utc);
  FILETIME F;
  SystemTimeToFileTime(&S, &F);
  return F;
}

// "2024/05/31 06:12:03.250" with the locale's date and time separators.
inline std::string Localised(std::string Text) {
  for (char& C : Text) {
    if (C == '/') { C = FormatSettings().DateSeparator; }
    if (C == ':') { C = FormatSettings().TimeSeparator; }
  }
  return Text;
}

inline std::string UtcText(TDateTime T) { return FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", T) + " UTC"; }

inline std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  for (size_t P = 0, E; (E = Text.find("\r\n", P)) != std::string::npos; P = E + 2) {
    Lines.push_back(Text.substr(P, E - P));
  }
  return Lines;
}

class DirectoryListTest : public ::testing::Test {
protected:
  TScratchDir Scratch{"dirlist"};
  std::string Dir = Scratch.Path();

  std::string PathOf(const std::string& Name) const { return Dir + "\\" + Name; }

  // The long-path prefix keeps the name as given: trailing blanks stay.
  HANDLE CreateTestFile(const std::string& Name) const {
    return CreateFileA(("\\\\?\\" + PathOf(Name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  void MakeFile(const std::string& Name, DWORD Size, TDateTime Utc) const {
    HANDLE H = CreateTestFile(Name);
    ASSERT_NE(H, INVALID_HANDLE_VALUE) << Name;
    const std::string Data(Size, 'x');
    DWORD Written;
    WriteFile(H, Data.data(), Size, &Written, nullptr);
    const FILETIME Time = ToFileTime(Utc);
    SetFileTime(H, nullptr, nullptr, &Time);
    CloseHandle(H);
  }

  void WriteText(const std::string& Name, const std::string& Text) const { WriteTextFile(PathOf(Name), Text); }
  std::string ReadText(const std::string& Name) const { return ReadTextFile(PathOf(Name)); }

  void WriteStatus(const std::string& Lines) const { WriteText("dirlist.dst", Lines); }

  static bool IsChanged(const TDirectoryList& List, const std::string& Name) {
    const int Index = List.Files().IndexOf(Name);
    EXPECT_GE(Index, 0) << Name;
    return Index < 0 || List.Entry(Index).Changed;
  }

  // Offers every changed file and accepts it, recording the bare names.
  static std::vector<std::string> AcceptAll(TDirectoryList& List, bool Ascending = true) {
    std::vector<std::string> Names;
    List.Process(Ascending, [&](const std::string& FileName, const std::string&, bool&) {
      Names.push_back(FileName.substr(List.Directory().size() + 1));
      return true;
    });
    return Names;
  }
};
