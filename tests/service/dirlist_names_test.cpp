// Names beyond plain letters, in a program of their own: the Linux side needs a
// UTF-8 locale for them, which the other directory-list tests do not run under.
#include <algorithm>

#include "tests/service/dirlistfixture.h"

namespace {

TEST_F(DirectoryListTest, NamesWithBlanksAccentsAndEuroAreSentOnceAndFoundAgain) {
  const std::vector<std::string> Names{"  lead.txt", "  both  ", "trail  ", "Déjà vu 5€.txt"};
  for (const std::string& Name : Names) { MakeFile(Name, 4, T0); }
  // A status line of the name without its blanks must not stand for it.
  WriteStatus("lead.txt\t4\t" + UtcText(T0) + "\r\nboth\t4\t" + UtcText(T0) + "\r\n");
  {
    TDirectoryList First(Dir, "*", "", 0, "");
    std::vector<std::string> Offered = AcceptAll(First);
    std::sort(Offered.begin(), Offered.end());
    std::vector<std::string> Expected = Names;
    std::sort(Expected.begin(), Expected.end());
    EXPECT_EQ(Offered, Expected);
    First.Save();
  }
  TDirectoryList Again(Dir, "*", "", 0, "");
  EXPECT_EQ(Again.Files().Count(), 4);
  EXPECT_TRUE(AcceptAll(Again).empty());
}

}  // namespace
