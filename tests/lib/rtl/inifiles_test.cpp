#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "rtl/files.h"
#include "rtl/inifiles.h"
#include "rtl/meminifile.h"
#include "support/scratchdir.h"

class IniFileTest : public testing::Test {
protected:
  TScratchDir Dir{"inifiles"};
  std::string Path = Dir.Path() + "\\test.ini";

  void WriteFile(const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Path.c_str());  // drop the platform's cache
  }
};

TEST_F(IniFileTest, TextsAsTheProfileReaderReturnsThem) {
  WriteFile("[S]\r\nPlain=  a b  \r\nDouble=\"quoted \"\r\nSingle=' x '\r\nHalf=\"open\r\nEmpty=\r\n");
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadString("S", "Plain", "d"), "a b");
  EXPECT_EQ(Ini.ReadString("S", "Double", "d"), "quoted ");
  EXPECT_EQ(Ini.ReadString("S", "Single", "d"), " x ");
  EXPECT_EQ(Ini.ReadString("S", "Half", "d"), "\"open");
  EXPECT_EQ(Ini.ReadString("S", "Empty", "d"), "");
  EXPECT_EQ(Ini.ReadString("s", "PLAIN", "d"), "a b");  // names ignore case
  EXPECT_EQ(Ini.ReadString("S", "Missing", "d"), "d");
  EXPECT_EQ(Ini.ReadString("Other", "Plain", "d"), "d");
}

TEST_F(IniFileTest, LongValuesAreCutAt2047Characters) {
  WriteFile("[S]\r\nLong=" + std::string(3000, 'x') + "\r\n");
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadString("S", "Long", ""), std::string(2047, 'x'));
}

TEST_F(IniFileTest, IntegersAndBooleans) {
  WriteFile("[S]\r\nHex1=0x3C\r\nHex2=$3C\r\nNeg=-5\r\nBad=abc\r\nEmpty=\r\nTwo=2\r\nMinus=-1\r\nYes=yes\r\nZero=0\r\n");
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadInteger("S", "Hex1", 0), 60);
  EXPECT_EQ(Ini.ReadInteger("S", "Hex2", 0), 60);
  EXPECT_EQ(Ini.ReadInteger("S", "Neg", 0), -5);
  EXPECT_EQ(Ini.ReadInteger("S", "Bad", 60), 60);
  EXPECT_EQ(Ini.ReadInteger("S", "Empty", 60), 60);
  EXPECT_EQ(Ini.ReadInteger("S", "Missing", 21), 21);
  EXPECT_TRUE(Ini.ReadBool("S", "Two", false));
  EXPECT_TRUE(Ini.ReadBool("S", "Minus", false));
  EXPECT_FALSE(Ini.ReadBool("S", "Yes", false));
  EXPECT_TRUE(Ini.ReadBool("S", "Yes", true));
  EXPECT_FALSE(Ini.ReadBool("S", "Zero", true));
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreated) {
  {
    TIniFile Ini(Path);
    EXPECT_EQ(Ini.ReadInteger("S", "K", 7), 7);
  }
  EXPECT_FALSE(FileExists(Path));
}

TEST_F(IniFileTest, WritesReplaceInPlaceAndKeepUnknownKeys) {
  WriteFile("[S]\r\nUnknown=keep\r\nK=old\r\n[Other]\r\nX=1\r\n");
  {
    TIniFile Ini(Path);
    Ini.WriteString("S", "K", "new");
    Ini.WriteInteger("S", "N", -12);
    Ini.WriteBool("New", "B", true);
    Ini.UpdateFile();
  }
  TIniFile Ini(Path);
  EXPECT_EQ(Ini.ReadString("S", "Unknown", ""), "keep");
  EXPECT_EQ(Ini.ReadString("S", "K", ""), "new");
  EXPECT_EQ(Ini.ReadString("S", "N", ""), "-12");
  EXPECT_EQ(Ini.ReadString("New", "B", ""), "1");
  EXPECT_EQ(Ini.ReadString("Other", "X", ""), "1");
}

TEST_F(IniFileTest, RefusedWriteRaisesWithTheFileName) {
  const std::string Bad = Dir.Path() + "\\missing\\folder\\x.ini";
  TIniFile Ini(Bad);
  try {
    Ini.WriteString("S", "K", "v");
    Ini.UpdateFile();
    FAIL() << "no exception";
  } catch (const EIniFileException& E) {
    EXPECT_EQ(E.Message(), "Unable to write to " + Bad);
  }
}

// The console keeps its settings in a file read whole into memory; its names
// ignore case as the profile functions' do, so a hand-edited "[general]" still
// gives the remembered PC, and a write lands in that section, not a new one.
TEST_F(IniFileTest, InMemoryFileNamesIgnoreCaseToo) {
  WriteFile("[general]\r\nremotepc=OTHERPC\r\n");
  {
    TMemIniFile Ini(Path);
    EXPECT_EQ(Ini.ReadString("General", "RemotePC", ""), "OTHERPC");
    Ini.WriteString("GENERAL", "RemotePc", "THIRD");
    Ini.UpdateFile();
  }
  EXPECT_EQ(ReadTextFile(Path), "[general]\r\nremotepc=THIRD\r\n\r\n");
}
