#include "tests/service/dirlistfixture.h"

#include <winioctl.h>

#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/format.h"

namespace {

TEST_F(DirectoryListTest, UnchangedNeedsEqualSizeAndLessThanThreeSeconds) {
  MakeFile("same.txt", 10, T0);
  MakeFile("late.txt", 10, T0 + 2.9 * Second);
  MakeFile("early.txt", 10, T0 - 2.9 * Second);
  MakeFile("later.txt", 10, T0 + 3 * Second);
  MakeFile("bigger.txt", 11, T0);
  MakeFile("new.txt", 10, T0);
  const std::string Line = "\t10\t" + UtcText(T0) + "\r\n";
  WriteStatus("# comment\r\n\r\nsame.txt" + Line + "late.txt" + Line + "early.txt" + Line + "later.txt" + Line +
              "bigger.txt" + Line + "gone.txt" + Line);

  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_EQ(List.Files().Count(), 6);
  EXPECT_FALSE(IsChanged(List, "same.txt"));
  EXPECT_FALSE(IsChanged(List, "late.txt"));
  EXPECT_FALSE(IsChanged(List, "early.txt"));
  EXPECT_TRUE(IsChanged(List, "later.txt"));
  EXPECT_TRUE(IsChanged(List, "bigger.txt"));
  EXPECT_TRUE(IsChanged(List, "new.txt"));
}

TEST_F(DirectoryListTest, SinceTimeMarksFilesWrittenAfterIt) {
  MakeFile("after.txt", 1, T0);
  MakeFile("close.txt", 1, T0);
  WriteStatus("after.txt\t1\t" + UtcText(T0) + "\r\nclose.txt\t1\t" + UtcText(T0) + "\r\n");
  TDirectoryList After(Dir, "txt", "", T0 - 3 * Second, "");
  EXPECT_TRUE(IsChanged(After, "after.txt"));
  TDirectoryList Close(Dir, "txt", "", T0 - 2.9 * Second, "");
  EXPECT_FALSE(IsChanged(Close, "close.txt"));
}

TEST_F(DirectoryListTest, TimeTextIsReadByCharacterPositions) {
  MakeFile("dashes.txt", 1, T0);
  MakeFile("nomsec.txt", 1, EncodeDate(2024, 5, 31) + EncodeTime(6, 12, 6, 0));  // 2.999 s after ms 1
  TIME_ZONE_INFORMATION Zone;
  GetTimeZoneInformation(&Zone);
  MakeFile("nameonly.txt", 0, EncodeDate(2000, 1, 1) + EncodeTime(0, 0, 0, 1) + Zone.Bias / 1440.0);
  WriteStatus("dashes.txt\t1\t2024-05-31T06-12-03,250 UTC\r\nnomsec.txt\t1\t" +
              Localised("2024/05/31 06:12:03 UTC") + "\r\nnameonly.txt\r\n");

  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_FALSE(IsChanged(List, "dashes.txt"));
  EXPECT_FALSE(IsChanged(List, "nomsec.txt"));
  EXPECT_FALSE(IsChanged(List, "nameonly.txt"));
}

TEST_F(DirectoryListTest, TimeWithoutUtcIsLocalStandardTimeAlsoInSummer) {
  TIME_ZONE_INFORMATION Zone;
  GetTimeZoneInformation(&Zone);
  ASSERT_TRUE(Zone.Bias != 0 && Zone.DaylightBias != 0) << "run in a zone with summer time (TZ=Europe/Paris)";
  const TDateTime Local = EncodeDate(2024, 7, 15) + EncodeTime(8, 0, 0, 0);
  MakeFile("standard.txt", 1, Local + Zone.Bias / 1440.0);
  MakeFile("daylight.txt", 1, Local + (Zone.Bias + Zone.DaylightBias) / 1440.0);
  const std::string Line = "\t1\t" + FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", Local) + "\r\n";
  WriteStatus("standard.txt" + Line + "daylight.txt" + Line);

  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_FALSE(IsChanged(List, "standard.txt"));
  EXPECT_TRUE(IsChanged(List, "daylight.txt"));
}

TEST_F(DirectoryListTest, MonthThirteenEndsTheReading) {
  for (const char* Name : {"a.txt", "b.txt", "c.txt"}) { MakeFile(Name, 1, T0); }
  WriteStatus("a.txt\t1\t" + UtcText(T0) + "\r\nzzz.txt\t1\t" + Localised("2024/13/01 00:00:00.000 UTC") +
              "\r\nc.txt\t1\t" + UtcText(T0) + "\r\n");
  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_FALSE(IsChanged(List, "a.txt"));
  EXPECT_TRUE(IsChanged(List, "b.txt"));
  EXPECT_TRUE(IsChanged(List, "c.txt"));
}

TEST_F(DirectoryListTest, NamesMatchIgnoringCaseAndTheLastLineDecides) {
  MakeFile("Report.TXT", 5, T0);
  MakeFile("twice.txt", 5, T0);
  WriteStatus("report.txt\t5\t" + UtcText(T0) + "\r\ntwice.txt\t5\t" + UtcText(T0) + "\r\nTWICE.TXT\t6\t" +
              UtcText(T0) + "\r\n");
  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_FALSE(IsChanged(List, "Report.TXT"));
  EXPECT_TRUE(IsChanged(List, "twice.txt"));
}

TEST_F(DirectoryListTest, StarListsEveryFileButStatusFilesHiddenFilesAndFolders) {
  MakeFile("a.txt", 1, T0);
  MakeFile("noext", 1, T0);
  MakeFile("trlist1.DST", 1, T0);
  MakeFile("hidden.txt", 1, T0);
  SetFileAttributesA(PathOf("hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  MakeFile("readonly.txt", 1, T0);
  SetFileAttributesA(PathOf("readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(PathOf("sub.txt").c_str(), nullptr);

  TDirectoryList List(Dir + "\\", "*", "", 0, "trlist0.dst");
  EXPECT_EQ(List.Directory(), Dir);
  EXPECT_EQ(List.Files().Text(), "a.txt\r\nnoext\r\nreadonly.txt\r\n");
  List.Save();
  const std::vector<std::string> Lines = SplitLines(ReadText("trlist0.dst"));
  ASSERT_GE(Lines.size(), 3u);
  EXPECT_EQ(Lines[1], "# directory: " + Dir);
  EXPECT_EQ(Lines[2], "# file mask: *.*");
}

TEST_F(DirectoryListTest, ProcessOffersChangedFilesInNameOrder) {
  for (const char* Name : {"b.txt", "a.txt", "C.txt", "d.txt"}) { MakeFile(Name, 1, T0); }
  WriteStatus("d.txt\t1\t" + UtcText(T0) + "\r\n");
  {
    TDirectoryList List(Dir, "txt", "entry;txt", 0, "");
    std::vector<std::string> Calls;
    List.Process(true, [&](const std::string& FileName, const std::string& EntryParam, bool& Continue) {
      Calls.push_back(FileName + "|" + EntryParam + "|" + (Continue ? "1" : "0"));
      return true;
    });
    EXPECT_EQ(Calls, (std::vector<std::string>{PathOf("a.txt") + "|entry;txt|1", PathOf("b.txt") + "|entry;txt|1",
                                               PathOf("C.txt") + "|entry;txt|1"}));
    EXPECT_EQ(List.OkCount(), 3);
  }
  TDirectoryList List(Dir, "txt", "", 0, "");
  EXPECT_EQ(AcceptAll(List, false), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));

  // Listed in byte order, which is not the name order: a "_" goes before the
  // letters and a "-" is passed over. The status file names two in name order.
  for (const char* Name : {"A-C.scb", "AB.scb", "A_B.scb", "A-D.scb"}) { MakeFile(Name, 1, T0); }
  WriteText("trlist1.dst", "A_B.scb\t1\t" + UtcText(T0) + "\r\nA-C.scb\t1\t" + UtcText(T0) + "\r\n");
  {
    TDirectoryList Scb(Dir, "scb", "", 0, "trlist1.dst");
    EXPECT_EQ(AcceptAll(Scb), (std::vector<std::string>{"AB.scb", "A-D.scb"}));
    Scb.Save();
  }
  TDirectoryList Scb(Dir, "scb", "", 0, "trlist1.dst");
  EXPECT_EQ(Scb.Files().Text(), "A_B.scb\r\nAB.scb\r\nA-C.scb\r\nA-D.scb\r\n");
  EXPECT_TRUE(AcceptAll(Scb).empty());
}

TEST_F(DirectoryListTest, ClearedContinueEndsThePassAndUnofferedFilesAreNotSaved) {
  for (const char* Name : {"a.txt", "b.txt", "c.txt", "d.txt"}) { MakeFile(Name, 1, T0); }
  TDirectoryList List(Dir, "txt", "", 0, "");
  std::vector<std::string> Offered;
  List.Process(true, [&](const std::string& FileName, const std::string&, bool& Continue) {
    Offered.push_back(FileName);
    Continue = Offered.size() < 3;
    return Offered.size() != 2;  // b fails
  });
  EXPECT_EQ(Offered.size(), 3u);
  EXPECT_EQ(List.OkCount(), 2);
  EXPECT_EQ(List.FailCount(), 1);
  List.Save();
  const std::vector<std::string> Lines = SplitLines(ReadText("dirlist.dst"));
  ASSERT_EQ(Lines.size(), 6u);
  EXPECT_EQ(Lines[4], "a.txt\t1\t" + UtcText(T0));
  EXPECT_EQ(Lines[5], "c.txt\t1\t" + UtcText(T0));
}

TEST_F(DirectoryListTest, CallbackExceptionLeavesTheFileChangedAndThePassGoesOn) {
  for (const char* Name : {"a.txt", "b.txt", "c.txt"}) { MakeFile(Name, 1, T0); }
  TDirectoryList List(Dir, "txt", "", 0, "");
  int Calls = 0;
  List.Process(true, [&](const std::string&, const std::string&, bool& Continue) -> bool {
    Continue = false;  // tested only after a normal return
    if (++Calls == 1) { throw Exception("refused"); }
    return true;
  });
  EXPECT_EQ(Calls, 2);
  EXPECT_EQ(List.OkCount(), 1);
  EXPECT_EQ(List.FailCount(), 0);
  EXPECT_TRUE(IsChanged(List, "a.txt"));
  EXPECT_FALSE(IsChanged(List, "b.txt"));
  EXPECT_TRUE(IsChanged(List, "c.txt"));
}

TEST_F(DirectoryListTest, SavedFileHasTheHeaderAndOneLinePerUnchangedFile) {
  MakeFile("b.txt", 1234, T0);
  MakeFile("A.txt", 0, EncodeDate(2023, 12, 1) + EncodeTime(23, 5, 9, 7));
  EXPECT_NE(FormatSettings().DateSeparator, '/') << "run under LC_ALL=fi_FI.UTF-8, as CTest does";
  TDirectoryList List(Dir, "txt", "", 0, "trlist1.dst");
  AcceptAll(List);
  const std::string Before = FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", Now());
  List.Save();
  const std::string After = FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", Now());

  const std::string Text = ReadText("trlist1.dst");
  const std::string Head = "# directory status file \r\n# directory: " + Dir + "\r\n# file mask: *.txt\r\n# last update: ";
  ASSERT_EQ(Text.substr(0, Head.size()), Head);
  TIME_ZONE_INFORMATION Zone;
  GetTimeZoneInformation(&Zone);
  const std::string Stamp = Text.substr(Head.size(), Before.size());
  EXPECT_TRUE(Before <= Stamp && Stamp <= After) << Stamp;
  EXPECT_EQ(Text.substr(Head.size() + Stamp.size()),
            " " + UtcOffsetText(Zone.Bias) + "\r\n" + "A.txt\t0\t" + Localised("2023/12/01 23:05:09.007 UTC") +
                "\r\n" + "b.txt\t1234\t" + Localised("2024/05/31 06:12:03.250 UTC") + "\r\n");

  // A read-only, hidden status file is made normal and replaced.
  SetFileAttributesA(PathOf("trlist1.dst").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  MakeFile("c.txt", 3, T0);
  TDirectoryList Next(Dir, "txt", "", 0, "trlist1.dst");
  AcceptAll(Next);
  Next.Save();
  EXPECT_EQ(SplitLines(ReadText("trlist1.dst")).size(), 7u);
  EXPECT_EQ(GetFileAttributesA(PathOf("trlist1.dst").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
}

// The new status file goes beside the old one and takes its place in one step.
TEST_F(DirectoryListTest, AStatusFileWriteThatFailsOrIsCutShortLeavesThePreviousOneWhole) {
  MakeFile("a.txt", 1, T0);
  MakeFile("b.txt", 1, T0);
  {
    TDirectoryList List(Dir, "txt", "", 0, "");
    AcceptAll(List);
    List.Save();
  }
  const std::string Saved = ReadText("dirlist.dst");
  MakeFile("c.txt", 1, T0);
  {
    // Held open by another program, the status file cannot be replaced.
    HANDLE Holder = CreateFileA(PathOf("dirlist.dst").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(Holder, INVALID_HANDLE_VALUE);
    TDirectoryList List(Dir, "txt", "", 0, "");
    AcceptAll(List);
    EXPECT_THROW(List.Save(), EOSError);
    CloseHandle(Holder);
  }
  EXPECT_EQ(ReadText("dirlist.dst"), Saved);
  EXPECT_FALSE(FileExists(PathOf("~dirlist.dst")));

  // What a crash in the middle of the write leaves: the old file and a cut new one.
  WriteText("~dirlist.dst", Saved.substr(0, Saved.size() / 2));
  {
    TDirectoryList List(Dir, "*", "", 0, "");
    EXPECT_EQ(List.Files().Text(), "a.txt\r\nb.txt\r\nc.txt\r\n");
    EXPECT_EQ(AcceptAll(List), std::vector<std::string>{"c.txt"});
    List.Save();
  }
  EXPECT_FALSE(FileExists(PathOf("~dirlist.dst")));
  EXPECT_EQ(SplitLines(ReadText("dirlist.dst")).size(), 7u);
}

TEST_F(DirectoryListTest, EmptyDirectoryOffersNothingAndSavesTheHeaderOnly) {
  MakeFile("old.dst", 1, T0);
  TDirectoryList List(Dir, "*", "", 0, "");
  EXPECT_TRUE(AcceptAll(List).empty());
  List.Save();
  EXPECT_EQ(SplitLines(ReadText("dirlist.dst")).size(), 4u);
}

// Each sent file is recorded with what it was when it was read for sending: a
// change after that is sent at the next round, one before it is not sent twice.
TEST_F(DirectoryListTest, SaveRecordsTheValuesEachFileWasSentWith) {
  MakeFile("early.txt", 1, T0);
  MakeFile("late.txt", 1, T0);
  MakeFile("gone.txt", 1, T0);
  {
    TDirectoryList List(Dir, "txt", "", 0, "");
    MakeFile("early.txt", 5, T0 + 30 * Second);  // rewritten after the listing, before its send
    List.Process(true, [&](const std::string& FileName, const std::string&, bool&) {
      if (FileName == PathOf("late.txt")) { MakeFile("late.txt", 7, T0 + 60 * Second); }  // after its send
      return true;
    });
    DeleteFileA(PathOf("gone.txt").c_str());
    List.Save();
  }
  std::vector<std::string> Lines = SplitLines(ReadText("dirlist.dst"));
  ASSERT_EQ(Lines.size(), 7u);
  EXPECT_EQ(Lines[4], "early.txt\t5\t" + UtcText(T0 + 30 * Second));
  EXPECT_EQ(Lines[5], "gone.txt\t1\t" + UtcText(T0));
  EXPECT_EQ(Lines[6], "late.txt\t1\t" + UtcText(T0));

  TDirectoryList Next(Dir, "txt", "", 0, "");
  EXPECT_EQ(AcceptAll(Next), std::vector<std::string>{"late.txt"});
  Next.Save();
  Lines = SplitLines(ReadText("dirlist.dst"));
  ASSERT_EQ(Lines.size(), 6u);  // the line of the file that has gone is dropped
  EXPECT_EQ(Lines[4], "early.txt\t5\t" + UtcText(T0 + 30 * Second));
  EXPECT_EQ(Lines[5], "late.txt\t7\t" + UtcText(T0 + 60 * Second));
}

TEST_F(DirectoryListTest, AFileChangedAfterTheListingButNotSentIsOfferedNextTime) {
  MakeFile("quiet.txt", 1, T0);
  {
    TDirectoryList First(Dir, "txt", "", 0, "");
    AcceptAll(First);
    First.Save();
  }
  {
    TDirectoryList List(Dir, "txt", "", 0, "");
    EXPECT_TRUE(AcceptAll(List).empty());
    MakeFile("quiet.txt", 9, T0 + 60 * Second);  // written while the cycle ran
    List.Save();
  }
  TDirectoryList Next(Dir, "txt", "", 0, "");
  EXPECT_TRUE(IsChanged(Next, "quiet.txt"));
}

TEST_F(DirectoryListTest, FileOfTwoGiBOrMoreIsUnchangedAtTheNextLoad) {
  HANDLE H = CreateTestFile("big.dat");
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  DWORD Returned;
  DeviceIoControl(H, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &Returned, nullptr);  // stays small on disk
  LARGE_INTEGER Size;
  Size.QuadPart = 0xA0000000;
  ASSERT_TRUE(SetFilePointerEx(H, Size, nullptr, FILE_BEGIN) && SetEndOfFile(H));
  const FILETIME Time = ToFileTime(T0);
  SetFileTime(H, nullptr, nullptr, &Time);
  CloseHandle(H);
  {
    TDirectoryList List(Dir, "dat", "", 0, "");
    EXPECT_EQ(AcceptAll(List).size(), 1u);
    List.Save();
  }
  EXPECT_EQ(SplitLines(ReadText("dirlist.dst"))[4], "big.dat\t2684354560\t" + UtcText(T0));
  TDirectoryList Next(Dir, "dat", "", 0, "");
  EXPECT_FALSE(IsChanged(Next, "big.dat"));
}

TEST(DirectoryList, MissingDirectoryRaisesWithItsPath) {
  try {
    TDirectoryList List("C:\\no such folder\\x\\", "txt", "", 0, "");
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Directory does not exist\"C:\\no such folder\\x\"");
  }
}

}  // namespace
