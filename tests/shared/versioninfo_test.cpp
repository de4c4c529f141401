#include "shared/versioninfo.h"

#include <gtest/gtest.h>

#include "support/scratchdir.h"

// This test program carries version 2.7.0.31 with the debug and pre-release
// flags set and a flags mask that clears them.
TEST(VersionInfo, ReadsTheRunningProgramsOwnResource) {
  TVersionInfo V("", "");
  EXPECT_EQ(V.Major, 2);
  EXPECT_EQ(V.Minor, 7);
  EXPECT_EQ(V.Release, 0);
  EXPECT_EQ(V.Build, 31);
  EXPECT_TRUE(V.IsDebug);
  EXPECT_TRUE(V.IsPreRelease);
  EXPECT_EQ(V.Translation, "040904E4");
  EXPECT_EQ(V.FileDescription, "Tests of the shared units");
  EXPECT_EQ(V.LegalCopyright, "Copyright \xA9 2026 Velmora");
  EXPECT_EQ(V.Comments, "Version resource under test");
  EXPECT_NE(V.FileName.find("shared_tests.exe"), std::string::npos);
}

TEST(VersionInfo, AGivenTranslationIsUsedUnchanged) {
  TVersionInfo V("", "040C04E4");
  EXPECT_EQ(V.Translation, "040C04E4");
  EXPECT_EQ(V.FileDescription, "");  // no strings in that language
  EXPECT_EQ(V.Major, 2);
}

TEST(VersionInfo, FilesWithoutAResourceLeaveEverythingEmpty) {
  TScratchDir Dir("version");
  const std::string Plain = Dir.Path() + "\\plain.txt";
  WriteTextFile(Plain, "no resource");
  for (const std::string& Name : {Plain, Dir.Path() + "\\missing.exe"}) {
    TVersionInfo V(Name, "");
    EXPECT_EQ(V.FileName, Name);
    EXPECT_EQ(V.Major + V.Minor + V.Release + V.Build, 0);
    EXPECT_FALSE(V.IsDebug || V.IsPreRelease);
    EXPECT_EQ(V.Translation + V.FileDescription + V.LegalCopyright + V.Comments, "");
  }
}
