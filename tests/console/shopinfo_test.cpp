// The shop registration request byte for byte, its failures, and the shop-name check.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "console/shopinfo.h"
#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/formatdatetime.h"
#include "support/scratchdir.h"
#include "tests/console/guitest.h"

namespace {

std::string CreationLine(TDateTime Moment) {
  return "#  This file has been created at " + FormatDateTime("ddddd", Moment) + " " + FormatDateTime("tt", Moment);
}

// The file as the request's layout gives it; the creation line is matched
// against the moments just before and after the writing.
void ExpectRequest(const std::string& Written, std::vector<std::string> Lines, TDateTime Before, TDateTime After) {
  std::string Expected, Other;
  for (const std::string& Line : Lines) {
    Expected += (Line == "@created" ? CreationLine(Before) : Line) + "\r\n";
    Other += (Line == "@created" ? CreationLine(After) : Line) + "\r\n";
  }
  if (Written != Other) { EXPECT_EQ(Written, Expected); }
}

class RegistrationRequest : public ::testing::Test {
protected:
  TScratchDir Dir{"shopinfo"};
  std::string File = Dir.Path() + "\\shopinfo.arg";
};

TEST_F(RegistrationRequest, AsTheParametersDialogWritesIt) {
  const TDateTime Before = Now();
  WriteRegistrationRequest(File, "SHOP01", "(par Talviren Transport Service)", "", "", "France", "", "", "", "");
  const TDateTime After = Now();
  ExpectRequest(ReadTextFile(File),
                {"#", "#  It is the registration request from the shop specified below:", "#    Shop   :  (SHOP01)",
                 "#    Region : France", "@created", "#  (par Talviren Transport Service)", "#", "displayname=",
                 "shopnum=", "region=France", "address=", "email=", "phones=", "contactperson="},
                Before, After);
  EXPECT_EQ(FileNamesIn(Dir.Path()), std::vector<std::string>{"shopinfo.arg"});
}

TEST_F(RegistrationRequest, EveryFieldWithoutCommentReplacingAnOldFile) {
  WriteTextFile(File, std::string(5000, 'x'));
  const TDateTime Before = Now();
  WriteRegistrationRequest(File, "SHOP12", "", "Café de la Gare", "0042", "Île-de-France", "3 rue Haute, Paris",
                           "gare@example.fr", "01 23 45 67 89", "Zoé Martin");
  const TDateTime After = Now();
  ExpectRequest(ReadTextFile(File),
                {"#", "#  It is the registration request from the shop specified below:",
                 "#    Shop   : Café de la Gare (SHOP12)", "#    Region : Île-de-France", "@created", "#",
                 "displayname=Café de la Gare", "shopnum=0042", "region=Île-de-France", "address=3 rue Haute, Paris",
                 "email=gare@example.fr", "phones=01 23 45 67 89", "contactperson=Zoé Martin"},
                Before, After);
  EXPECT_EQ(FileNamesIn(Dir.Path()), std::vector<std::string>{"shopinfo.arg"});
}

TEST_F(RegistrationRequest, RefusedWriteRaisesAndLeavesNothingPartial) {
  // A folder that is not there.
  EXPECT_THROW(WriteRegistrationRequest(Dir.Path() + "\\absent\\shopinfo.arg", "S", "", "", "", "R", "", "", "", ""),
               Exception);
  EXPECT_EQ(FileNamesIn(Dir.Path()), std::vector<std::string>{});

  // A request held open by another program: the old one stays whole and no
  // half-written file is left for the service to send.
  WriteTextFile(File, "ancienne demande\r\n");
  TWriteRefused Hold(File);
  ASSERT_TRUE(Hold.Held());
  try {
    WriteRegistrationRequest(File, "SHOP01", "", "", "", "France", "", "", "", "");
    ADD_FAILURE() << "the held request was replaced";
  } catch (const Exception& Error) {
    EXPECT_FALSE(Error.Message().empty());
  }
  Hold.Release();
  EXPECT_EQ(ReadTextFile(File), "ancienne demande\r\n");
  EXPECT_EQ(FileNamesIn(Dir.Path()), std::vector<std::string>{"shopinfo.arg"});
}

TEST(ShopName, BlanksGoLettersAreUpperCasedOnlyPrintableAsciiPasses) {
  EXPECT_EQ(CheckShopName("shop 12"), "SHOP12");
  EXPECT_EQ(CheckShopName(" .\\chain one "), ".\\CHAINONE");
  EXPECT_EQ(CheckShopName("!~az"), "!~AZ");
  const char Empty[] = "Nom du magasin non spécifié! Vous devez indiquer le nom du magasin.";
  for (const char* Name : {"", "   "}) {
    SCOPED_TRACE(Name);
    try {
      CheckShopName(Name);
      ADD_FAILURE() << "no error";
    } catch (const Exception& Error) {
      EXPECT_EQ(Error.Message(), Empty);
    }
  }
  const struct {
    const char* Name;
    const char* Message;
  } Bad[] = {{"sh op\t1", "Mauvais charactère '\t' dans le nom du magasin shop\t1"},
             {"caf é", "Mauvais charactère 'é' dans le nom du magasin café"},
             {"a\x7f", "Mauvais charactère '\x7f' dans le nom du magasin a\x7f"}};
  for (const auto& Case : Bad) {
    SCOPED_TRACE(Case.Name);
    try {
      CheckShopName(Case.Name);
      ADD_FAILURE() << "no error";
    } catch (const Exception& Error) {
      EXPECT_EQ(Error.Message(), Case.Message);
    }
  }
}

}  // namespace
