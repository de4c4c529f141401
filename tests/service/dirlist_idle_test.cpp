// Every cycle rewrites the status file, whether it sent something or not, and
// every written time reads as FormatDateTime writes it.
#include "tests/service/dirlistfixture.h"

#include "rtl/files.h"

namespace {

class DirectoryListCycleTest : public DirectoryListTest {
protected:
  // One cycle of the service over the folder: list, send what changed, save.
  std::vector<std::string> RunCycle() const {
    TDirectoryList List(Dir, "txt", "", 0, "trlist0.dst");
    std::vector<std::string> Sent = AcceptAll(List);
    List.Save();
    return Sent;
  }
};

// Every cycle rewrites the status file: its time of the last update shows
// that the service still looks at the folder.
TEST_F(DirectoryListCycleTest, IdleCyclesRewriteTheStatusFileWithANewLastUpdateAndEveryEntry) {
  MakeFile("a.txt", 10, T0);
  MakeFile("B.txt", 20, T0 + 1.5);
  MakeFile("c.txt", 0, EncodeDate(2023, 12, 31) + EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(RunCycle().size(), 3u);
  std::vector<std::string> Previous = SplitLines(ReadText("trlist0.dst"));
  ASSERT_EQ(Previous.size(), 7u);
  // A read-only, hidden status file is made normal before it is replaced.
  SetFileAttributesA(PathOf("trlist0.dst").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

  for (int Idle = 0; Idle < 2; ++Idle) {
    Sleep(20);  // the time of the last update is written to the millisecond
    EXPECT_TRUE(RunCycle().empty());
    const std::vector<std::string> Lines = SplitLines(ReadText("trlist0.dst"));
    ASSERT_EQ(Lines.size(), Previous.size());
    EXPECT_EQ(Lines[3].substr(0, 15), "# last update: ");
    EXPECT_GT(Lines[3], Previous[3]) << "cycle " << Idle;
    Previous[3] = Lines[3];
    EXPECT_EQ(Lines, Previous);
    EXPECT_EQ(GetFileAttributesA(PathOf("trlist0.dst").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              0u);
  }

  // A changed file is sent once, and the status file records it.
  MakeFile("B.txt", 21, T0 + 1.5);
  EXPECT_EQ(RunCycle(), std::vector<std::string>{"B.txt"});
  EXPECT_EQ(SplitLines(ReadText("trlist0.dst"))[5], "B.txt\t21\t" + UtcText(T0 + 1.5));
  EXPECT_TRUE(RunCycle().empty());
}

TEST_F(DirectoryListCycleTest, AStatusFileThatDiffersFromWhatWouldBeWrittenIsRewritten) {
  MakeFile("a.txt", 10, T0);
  MakeFile("b.txt", 10, T0);
  const std::string Line = "\t10\t" + UtcText(T0) + "\r\n";
  const std::string Header = "# directory status file \r\n# directory: " + Dir +
                             "\r\n# file mask: *.txt\r\n# last update: 2000/01/01\r\n";
  // Each is read as "nothing to send", yet each differs from a fresh save.
  const std::string Stale[] = {
      Header + "b.txt" + Line + "a.txt" + Line,                  // out of order
      Header + "A.TXT" + Line + "b.txt" + Line,                  // another letter case
      Header + "a.txt" + Line + "b.txt" + Line + "gone.txt" + Line,  // a file that has gone
      Header + "a.txt" + Line + "# note\r\nb.txt" + Line,        // a comment among the lines
      "# directory status file \r\n# directory: " + Dir + "\r\n# file mask: *.txt\r\na.txt" + Line + "b.txt" + Line,
  };
  for (const std::string& Text : Stale) {
    WriteText("trlist0.dst", Text);
    EXPECT_TRUE(RunCycle().empty());
    const std::vector<std::string> Lines = SplitLines(ReadText("trlist0.dst"));
    ASSERT_EQ(Lines.size(), 6u) << Text;
    EXPECT_EQ(Lines[3].substr(0, 15), "# last update: ");
    EXPECT_NE(Lines[3], "# last update: 2000/01/01");
    EXPECT_EQ(Lines[4] + "\r\n", "a.txt" + Line);
    EXPECT_EQ(Lines[5] + "\r\n", "b.txt" + Line);
  }
}

// The status time is written by a fixed layout: it must read as the pattern does,
// at every rounding edge of the milliseconds.
TEST_F(DirectoryListCycleTest, EntryTimesAreWrittenAsThePatternWritesThem) {
  const TDateTime Times[] = {
      EncodeDate(2024, 5, 31) + EncodeTime(6, 12, 3, 250), EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999),
      EncodeDate(2000, 1, 1),                              EncodeDate(2038, 1, 19) + EncodeTime(3, 14, 7, 1),
      EncodeDate(1980, 2, 29) + EncodeTime(12, 0, 0, 500), EncodeDate(2107, 12, 31) + EncodeTime(1, 2, 3, 4),
  };
  for (int I = 0; I < static_cast<int>(std::size(Times)); ++I) {
    MakeFile("t" + std::to_string(I) + ".txt", 1, Times[I]);
  }
  RunCycle();
  const std::vector<std::string> Lines = SplitLines(ReadText("trlist0.dst"));
  const TDirectoryList Listed(Dir, "txt", "", 0, "trlist0.dst");
  ASSERT_EQ(Lines.size(), 4u + Listed.Files().Count());
  for (int I = 0; I < Listed.Files().Count(); ++I) {
    EXPECT_EQ(Lines[4 + I], Listed.Files()[I] + "\t1\t" + UtcText(Listed.Entry(I).Time));
  }
}

}  // namespace
