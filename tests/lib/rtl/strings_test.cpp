#include <gtest/gtest.h>

#include <vector>

#include "rtl/exceptions.h"
#include "rtl/stringlist.h"
#include "rtl/strings.h"

TEST(Strings, TrimDropsEveryCharacterUpToCode32) {
  EXPECT_EQ(Trim(" \t\r\n\x01 abc d \x1f"), "abc d");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(Strings, CaseFollowsTheAnsiCodePage) {
  EXPECT_EQ(AnsiUpperCase("data.cor \xE9"), "DATA.COR \xC9");  // é -> É in Windows-1252
  EXPECT_EQ(AnsiLowerCase("DATA.COR \xC9"), "data.cor \xE9");
  EXPECT_TRUE(AnsiSameText("Comptage", "COMPTAGE"));
  EXPECT_TRUE(AnsiSameText("\xE9t\xE9", "\xC9T\xC9"));
  EXPECT_LT(AnsiCompareText("a.scb", "B.scb"), 0);
  EXPECT_GT(AnsiCompareText("b", "A"), 0);
}

TEST(Strings, IntegersInDecimalAndHexadecimal) {
  int32_t V = 0;
  EXPECT_TRUE(TryStrToInt("60", V) && V == 60);
  EXPECT_TRUE(TryStrToInt("-5", V) && V == -5);
  EXPECT_TRUE(TryStrToInt("+7", V) && V == 7);
  EXPECT_TRUE(TryStrToInt("$3C", V) && V == 60);
  EXPECT_TRUE(TryStrToInt("0x1F55", V) && V == 8021);
  EXPECT_TRUE(TryStrToInt("0X3c", V) && V == 60);
  EXPECT_TRUE(TryStrToInt("  12", V) && V == 12);
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", V) && V == -1);
  EXPECT_TRUE(TryStrToInt("-2147483648", V) && V == INT32_MIN);
  EXPECT_TRUE(TryStrToInt("2147483647", V) && V == INT32_MAX);
}

TEST(Strings, WhatIsNotAnIntegerGivesTheDefault) {
  for (const char* Bad : {"", " ", "abc", "yes", "12a", "12 ", "1.5", "$", "0x", "$G", "2147483648", "-2147483649",
                          "$100000000", "--1"}) {
    EXPECT_EQ(StrToIntDef(Bad, 99), 99) << Bad;
  }
  EXPECT_THROW(StrToInt("abc"), EConvertError);
  try {
    StrToInt("abc");
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "'abc' is not a valid integer value");
  }
}

TEST(Strings, ReplaceAllDoesNotRescanWhatItInserted) {
  EXPECT_EQ(ReplaceAll("a\r\nb\r\n", "\r\n", " "), "a b ");
  EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("x", "", "y"), "x");
}

TEST(StringList, SortsAndFindsIgnoringCase) {
  TStringList L;
  for (const char* S : {"b.scb", "A.scb", "c.SCB", "B2.scb"}) { L.Add(S); }
  L.Sort();
  EXPECT_EQ(L[0], "A.scb");
  EXPECT_EQ(L[1], "b.scb");
  EXPECT_EQ(L[2], "B2.scb");
  EXPECT_EQ(L[3], "c.SCB");
  int Index = -1;
  EXPECT_TRUE(L.Find("C.scb", Index));
  EXPECT_EQ(Index, 3);
  EXPECT_FALSE(L.Find("a0.scb", Index));
  EXPECT_EQ(L.IndexOf("B.SCB"), 1);
  EXPECT_EQ(L.IndexOf("none"), -1);
}

TEST(StringList, KeepsTheObjectOfEachItem) {
  TStringList L;
  int A = 1, B = 2;
  L.AddObject("second", &B);
  L.AddObject("first", &A);
  L.Sort();
  EXPECT_EQ(L.Objects(0), &A);
  EXPECT_EQ(L.Text(), "first\r\nsecond\r\n");
}

TEST(Strings, SortKeysOrderAsTheLocalesComparison) {
  const std::vector<std::string> Names{"a.scb", "A.SCB", "b.scb", "B2.scb", "co-op.txt", "coop.txt", "c\xE9.txt",
                                       "ce.txt", "CF.txt", "it's.txt", "its.txt", "10.txt", "9.txt", "_x.txt",
                                       "x_.txt", "\xC9t\xE9.txt", "ete.txt", "zz.txt", "", " ",
                                       // keys longer than the first try's buffer
                                       std::string(300, 'a') + "b", std::string(300, 'A') + "c",
                                       std::string(300, 'a')};
  for (const std::string& A : Names) {
    for (const std::string& B : Names) {
      const int ByText = AnsiCompareText(A, B);
      const int ByKey = AnsiSortKey(A).compare(AnsiSortKey(B));
      EXPECT_EQ(ByText < 0, ByKey < 0) << A << " / " << B;
      EXPECT_EQ(ByText == 0, ByKey == 0) << A << " / " << B;
    }
  }
}

TEST(StringList, FindStillWorksAfterItemsAreAddedToASortedList) {
  TStringList L;
  L.Add("b");
  L.Add("a");
  L.Sort();
  L.Add("c");  // no longer known to be in key order: compared as texts
  int Index = -1;
  EXPECT_TRUE(L.Find("B", Index));
  EXPECT_EQ(Index, 1);
}

// Keys of every length share one buffer: a list given in order, in reverse or
// shuffled sorts the same, finds each item, and sorts again after an addition.
TEST(StringList, SortsTheSameWhateverTheOrderItIsGiven) {
  std::vector<std::string> Names;
  for (int I = 0; I < 300; ++I) {
    Names.push_back("f" + std::to_string(I * 7919 % 1000) + (I % 3 ? ".scb" : ".SCB"));
  }
  Names.push_back(std::string(600, 'z'));  // a key longer than the first try's buffer
  TStringList Shuffled;
  for (const std::string& N : Names) { Shuffled.Add(N); }
  Shuffled.Sort();
  TStringList InOrder, Reversed;
  for (int I = 0; I < Shuffled.Count(); ++I) {
    InOrder.Add(Shuffled[I]);
    Reversed.Add(Shuffled[Shuffled.Count() - 1 - I]);
  }
  InOrder.Sort();
  Reversed.Sort();
  for (int I = 0; I < Shuffled.Count(); ++I) {
    EXPECT_EQ(InOrder[I], Shuffled[I]);
    EXPECT_EQ(Reversed[I], Shuffled[I]);
    if (I > 0) { EXPECT_LT(AnsiCompareText(Shuffled[I - 1], Shuffled[I]), 0) << I; }
    int Index = -1;
    EXPECT_TRUE(Reversed.Find(AnsiUpperCase(Shuffled[I]), Index)) << Shuffled[I];
    EXPECT_EQ(Index, I);
  }
  Reversed.Add("a");
  Reversed.Sort();
  EXPECT_EQ(Reversed[0], "a");
  int Index = -1;
  EXPECT_TRUE(Reversed.Find(std::string(600, 'Z'), Index));
  EXPECT_EQ(Index, Reversed.Count() - 1);
}
