#include "shared/commonhelpers.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include "rtl/files.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"

TEST(GetField, EverySeparatorCounts) {
  EXPECT_EQ(GetField("a;b;;d", ';', 0), "a");
  EXPECT_EQ(GetField("a;b;;d", ';', 1), "b");
  EXPECT_EQ(GetField("a;b;;d", ';', 2), "");
  EXPECT_EQ(GetField("a;b;;d", ';', 3), "d");
  EXPECT_EQ(GetField("a;b;;d", ';', 4), "");
  EXPECT_EQ(GetField(";x", ';', 0), "");
  EXPECT_EQ(GetField("a;b", ';', -1), "");
  for (int I = 0; I < 3; ++I) { EXPECT_EQ(GetField("", ';', I), ""); }
  EXPECT_EQ(GetField(" a ;b", ';', 0), " a ");  // nothing is trimmed
}

TEST(GetField, FieldsAreCutAt255CharactersButTheLineIsNot) {
  const std::string Long(300, 'n');
  const std::string Line = Long + "\t1234\t2024/05/31 06:12:03.250 UTC";
  EXPECT_EQ(GetField(Line, '\t', 0), std::string(255, 'n'));
  EXPECT_EQ(GetField(Line, '\t', 1), "1234");
  EXPECT_EQ(GetField(Line, '\t', 2), "2024/05/31 06:12:03.250 UTC");
}

TEST(GetFileSize64, DirectoriesAndMissingNamesAreZero) {
  TScratchDir Dir("size");
  EXPECT_EQ(GetFileSize64(Dir.Path()), 0u);
  EXPECT_EQ(GetFileSize64(Dir.Path() + "\\none.txt"), 0u);
  WriteTextFile(Dir.Path() + "\\five.txt", "12345");
  EXPECT_EQ(GetFileSize64(Dir.Path() + "\\five.txt"), 5u);
}

TEST(GetFileSize64, SizesBeyond32Bits) {
  TScratchDir Dir("bigsize");
  const std::string Name = Dir.Path() + "\\big.bin";
  HANDLE F = CreateFileA(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(F, INVALID_HANDLE_VALUE);
  DWORD Returned;
  DeviceIoControl(F, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &Returned, nullptr);  // best effort
  LARGE_INTEGER Size;
  Size.QuadPart = 5LL << 30;  // 5 GiB, sparse on the disk
  ASSERT_TRUE(SetFilePointerEx(F, Size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(F));
  CloseHandle(F);
  EXPECT_EQ(GetFileSize64(Name), 5ull << 30);
}

TEST(FileTimeToDateTime, KeepsTheInstantAndItsMilliseconds) {
  SYSTEMTIME S{2024, 5, 5, 31, 6, 12, 3, 250};
  FILETIME F;
  SystemTimeToFileTime(&S, &F);
  TDateParts P = DecodeDateTime(FileTimeToDateTime(F));
  EXPECT_EQ(P.Year, 2024);
  EXPECT_EQ(P.Day, 31);
  EXPECT_EQ(P.Hour, 6);  // no time-zone conversion
  EXPECT_EQ(P.MSec, 250);
}

TEST(UtcOffsetText, SignIsTheOppositeOfTheBias) {
  EXPECT_EQ(UtcOffsetText(-60), "(UTC +01:00)");
  EXPECT_EQ(UtcOffsetText(60), "(UTC -01:00)");
  EXPECT_EQ(UtcOffsetText(300), "(UTC -05:00)");
  EXPECT_EQ(UtcOffsetText(0), "(UTC +00:00)");
  EXPECT_EQ(UtcOffsetText(-330), "(UTC +05:30)");
}

TEST(SystemTimeToStr, DayFirstWithoutMilliseconds) {
  SYSTEMTIME S{2024, 5, 5, 31, 6, 12, 3, 250};
  EXPECT_EQ(SystemTimeToStr(S), "31.05.2024 06:12:03");
}

TEST(SplitDomainUser, AtTheFirstBackslash) {
  std::string Domain = "old", User = "old";
  SplitDomainUser(".\\user", Domain, User);
  EXPECT_EQ(Domain, ".");
  EXPECT_EQ(User, "user");
  SplitDomainUser("user", Domain, User);
  EXPECT_EQ(Domain, "");
  EXPECT_EQ(User, "user");
  SplitDomainUser("DOM\\a\\b", Domain, User);
  EXPECT_EQ(Domain, "DOM");
  EXPECT_EQ(User, "a\\b");
}

TEST(InitProgramPaths, RecordsTheProgramFolderAndPointsTempAtIt) {
  InitProgramPaths();
  EXPECT_EQ(AppDir, TestProgramFolder());
  EXPECT_NE(AppDir.back(), '\\');
  char Temp[MAX_PATH];
  GetEnvironmentVariableA("TEMP", Temp, sizeof Temp);
  EXPECT_EQ(std::string(Temp), AppDir);
  GetEnvironmentVariableA("TMP", Temp, sizeof Temp);
  EXPECT_EQ(std::string(Temp), AppDir);
}
