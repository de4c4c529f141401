#include <gtest/gtest.h>

#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/inifiles.h"
#include "shared/debuglog.h"
#include "shared/transportconfig.h"
#include "support/categoryswitches.h"
#include "support/scratchdir.h"

namespace {

// Lines of one INI section, in file order.
std::vector<std::string> SectionKeys(const std::string& Text, const std::string& Section) {
  std::vector<std::string> Keys;
  bool In = false;
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t End = Text.find('\n', Pos);
    std::string Line = Text.substr(Pos, End == std::string::npos ? std::string::npos : End - Pos);
    if (!Line.empty() && Line.back() == '\r') { Line.pop_back(); }
    if (!Line.empty() && Line[0] == '[') {
      In = Line == "[" + Section + "]";
    } else if (In && !Line.empty()) {
      Keys.push_back(Line.substr(0, Line.find('=')));
    }
    if (End == std::string::npos) { break; }
    Pos = End + 1;
  }
  return Keys;
}

}  // namespace

class ConfigTest : public testing::Test {
protected:
  TScratchDir Dir{"config"};
  std::string Ini = Dir.Path() + "\\norvask.ini";
  std::string Log = Dir.Path() + "\\norvask.log";
  void SetUp() override { SetLogTarget(nullptr, Log); }
  void Write(const std::string& Text) {
    WriteTextFile(Ini, Text);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, Ini.c_str());
  }
  std::string LogText() { return FileExists(Log) ? ReadTextFile(Log) : ""; }
};

TEST_F(ConfigTest, MissingFileGivesEveryDefaultAndNoLogLine) {
  TTransportConfig C;
  C.LoadFromFile(Ini);
  EXPECT_FALSE(C.LogDetailed);
  EXPECT_EQ(C.TimeBetweenActions, 60);
  EXPECT_FALSE(C.ExactTimeMode);
  EXPECT_EQ(C.ExactTime.GetText(), "18:00");
  for (int I = 0; I < MaxTrackDirectories; ++I) { EXPECT_EQ(C.GetTrackDirectory(I), ""); }
  EXPECT_EQ(C.Transport, tkCopy);
  EXPECT_EQ(C.ProxyType, pkNone);
  EXPECT_EQ(C.ProxyHost, DefaultProxyHost);
  EXPECT_EQ(C.ProxyPort, 8021);
  EXPECT_EQ(C.Port, 21);
  EXPECT_EQ(C.RegionName, "France");
  EXPECT_TRUE(C.Scb && C.Caisse && C.Filters && C.Messages && C.Meteo && C.Events && C.Footfall);
  EXPECT_FALSE(C.Heatmap || C.PassiveMode || C.RegionSend);
  EXPECT_EQ(LogText(), "");
}

TEST_F(ConfigTest, ConstructorDefaultsEqualTheDefaultsOfAnEmptyFile) {
  Write("[Other]\r\nX=1\r\n");
  TTransportConfig Fresh, Loaded;
  Loaded.LoadFromFile(Ini);
  TScratchDir Out("config_out");
  Fresh.SaveToFile(Out.Path() + "\\a.ini");
  Loaded.SaveToFile(Out.Path() + "\\b.ini");
  EXPECT_EQ(ReadTextFile(Out.Path() + "\\a.ini"), ReadTextFile(Out.Path() + "\\b.ini"));
}

TEST_F(ConfigTest, NumbersAndBooleansFollowTheIniRules) {
  Write("[General]\r\nTimeBetweenActions=0x3C\r\nLogDetailed=2\r\nExactTimeMode=yes\r\n"
        "[Transport]\r\nPort=abc\r\nProxyPort=0x1F55\r\nDisconnDelay=$F\r\n");
  TTransportConfig C;
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.TimeBetweenActions, 60);
  EXPECT_TRUE(C.LogDetailed);
  EXPECT_FALSE(C.ExactTimeMode);
  EXPECT_EQ(C.Port, 21);
  EXPECT_EQ(C.ProxyPort, 8021);
  EXPECT_EQ(C.DisconnDelay, 15);
  Write("[General]\r\nTimeBetweenActions=$3C\r\nLogDetailed=-1\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.TimeBetweenActions, 60);
  EXPECT_TRUE(C.LogDetailed);
  Write("[General]\r\nTimeBetweenActions=abc\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.TimeBetweenActions, 60);
  Write("[General]\r\nTimeBetweenActions=-5\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.TimeBetweenActions, -5);
}

TEST_F(ConfigTest, ExactTimeValues) {
  TBaseOdxConfig C;
  Write("[General]\r\nExactTime=\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.ExactTime.GetText(), "18:00");
  Write("[General]\r\nExactTime=18:00:30 07:15\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.ExactTime.Item(0), 7 * 3600 + 15 * 60);
  EXPECT_EQ(C.ExactTime.Item(1), 18 * 3600 + 30);
  C.SaveToFile(Ini);
  TIniFile Reader(Ini);
  EXPECT_EQ(Reader.ReadString("General", "ExactTime", ""), "07:15 18:00");
}

TEST_F(ConfigTest, BadExactTimeStopsTheLoadRightThere) {
  TTransportConfig C;
  C.SetTrackDirectory(3, "C:\\before");
  C.Connection = "previous";
  Write("[General]\r\nLogDetailed=1\r\nTimeBetweenActions=30\r\nExactTimeMode=1\r\nExactTime=06:00 25:00\r\n"
        "[Directory3]\r\nTrackDirectory=C:\\shop\r\n[Transport]\r\nConnection=modem\r\n");
  C.LoadFromFile(Ini);
  EXPECT_TRUE(C.LogDetailed);
  EXPECT_EQ(C.TimeBetweenActions, 30);
  EXPECT_TRUE(C.ExactTimeMode);
  EXPECT_EQ(C.ExactTime.Count(), 1);  // the valid time before the bad one
  EXPECT_EQ(C.GetTrackDirectory(3), "C:\\before");
  EXPECT_EQ(C.Connection, "previous");
  const std::string Text = LogText();
  EXPECT_EQ(Text.substr(20), "Error reading data from " + Ini + " : Wrong time value \"25:00\"\r\n");
}

TEST_F(ConfigTest, SavedFileHoldsEveryKeyInItsFixedOrder) {
  TTransportConfig C;
  C.SetTrackDirectory(12, "D:\\data\\shop");
  C.SaveToFile(Ini);
  const std::string Text = ReadTextFile(Ini);
  EXPECT_EQ(SectionKeys(Text, "General"),
            (std::vector<std::string>{"LogDetailed", "TimeBetweenActions", "ExactTimeMode", "ExactTime"}));
  for (int I = 0; I < MaxTrackDirectories; ++I) {
    EXPECT_EQ(SectionKeys(Text, "Directory" + std::to_string(I)), std::vector<std::string>{"TrackDirectory"});
  }
  EXPECT_EQ(SectionKeys(Text, "Transport"),
            (std::vector<std::string>{"Connection", "DisconnDelay", "Destination0", "Destination1",
                                      "DestinationDirectory", "Username", "Password", "Transport", "Port",
                                      "PassiveMode", "ProxyType", "ProxyHost", "ProxyPort", "ProxyUser",
                                      "ProxyPassword", "CurlProxy", "RegionSend", "RegionName"}));
  EXPECT_EQ(SectionKeys(Text, "Transfer"), (std::vector<std::string>{"Scb", "Caisse", "Filters", "Heatmap", "Messages",
                                                                     "Meteo", "Events", "Footfall"}));
  EXPECT_EQ(Text.find("[FTP]"), std::string::npos);
  EXPECT_NE(Text.find("TrackDirectory=D:\\data\\shop"), std::string::npos);
  EXPECT_NE(Text.find("LogDetailed=0"), std::string::npos);
  EXPECT_NE(Text.find("Scb=1"), std::string::npos);
}

TEST_F(ConfigTest, EachTransferKeyHoldsItsOwnSwitch) {
  const TTransportConfig Fresh;
  for (const auto& [Folder, Key, Switch] : ExpectedCategories) {
    Write(std::string("[Transfer]\r\n") + Key + (Fresh.*Switch ? "=0" : "=1") + "\r\n");
    TTransportConfig C;
    C.LoadFromFile(Ini);
    for (const TExpectedCategory& Other : ExpectedCategories) {
      const bool Flipped = Other.Switch == Switch;
      EXPECT_EQ(C.*Other.Switch, Fresh.*Other.Switch != Flipped) << Key << " " << Other.Key;
    }
    C.SaveToFile(Ini);
    EXPECT_EQ(TIniFile(Ini).ReadString("Transfer", Key, ""), Fresh.*Switch ? "0" : "1") << Key;
  }
}

TEST_F(ConfigTest, KindTextsAndTheirFallbacks) {
  EXPECT_EQ(TextToTransport(""), tkFtp);
  EXPECT_EQ(TextToTransport("ftps"), tkFtps);
  EXPECT_EQ(TextToTransport("Copy"), tkCopy);
  EXPECT_EQ(TextToTransport("SCP"), tkFtp);
  EXPECT_EQ(TransportToText(static_cast<TTransportKind>(9)), "FTP");
  EXPECT_EQ(TextToProxyType("user-pass"), pkUserPass);
  EXPECT_EQ(TextToProxyType("None"), pkNone);
  EXPECT_EQ(TextToProxyType(""), pkNone);
  EXPECT_EQ(ProxyTypeToText(static_cast<TFtpProxyKind>(7)), "None");
  for (int K = 0; K <= 6; ++K) {
    EXPECT_EQ(TextToProxyType(ProxyTypeToText(static_cast<TFtpProxyKind>(K))), K);
  }
  for (int K = 0; K <= 3; ++K) { EXPECT_EQ(TextToTransport(TransportToText(static_cast<TTransportKind>(K))), K); }
}

TEST_F(ConfigTest, KindsSurviveAFileRoundTrip) {
  Write("[Transport]\r\nTransport=SCP\r\nProxyType=user-pass\r\n");
  TTransportConfig C;
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.Transport, tkFtp);
  C.SaveToFile(Ini);
  TIniFile Reader(Ini);
  EXPECT_EQ(Reader.ReadString("Transport", "Transport", ""), "FTP");
  EXPECT_EQ(Reader.ReadString("Transport", "ProxyType", ""), "USER-PASS");
  Write("[Transport]\r\nTransport=\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.Transport, tkFtp);
  Write("[Other]\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.Transport, tkCopy);
}

TEST_F(ConfigTest, LegacyFtpHostAndTrimming) {
  Write("[FTP]\r\nHost=  ftp.example  \r\n[Transport]\r\nDestinationDirectory= shop1 \r\nUsername=\" u \"\r\n"
        "RegionName=\r\nDestination1=\"  E:\\out  \"\r\n");
  TTransportConfig C;
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.GetDestination(0), "ftp.example");
  EXPECT_EQ(C.GetDestination(1), "  E:\\out  ");  // destinations are kept as read
  EXPECT_EQ(C.DestinationDirectory, "shop1");
  EXPECT_EQ(C.Username, "u");
  EXPECT_EQ(C.RegionName, "");

  C.SetDestination(0, "");
  C.SaveToFile(Ini);  // [FTP] Host stays, so the cleared destination comes back
  TTransportConfig Again;
  Again.LoadFromFile(Ini);
  EXPECT_EQ(Again.GetDestination(0), "ftp.example");

  Write("[FTP]\r\nHost=old\r\n[Transport]\r\nDestination0=new\r\n");
  C.LoadFromFile(Ini);
  EXPECT_EQ(C.GetDestination(0), "new");
}

TEST_F(ConfigTest, CopyGoesThroughTheTimeText) {
  TTransportConfig A, B;
  A.ExactTime.SetText("18:00:30");
  A.SetTrackDirectory(63, "X");
  A.ProxyType = pkHttpFtp;
  A.SetDestination(1, "second");
  B.CopyFrom(A);
  EXPECT_EQ(B.ExactTime.Item(0), 18 * 3600);
  EXPECT_EQ(B.GetTrackDirectory(63), "X");
  EXPECT_EQ(B.ProxyType, pkHttpFtp);
  EXPECT_EQ(B.GetDestination(1), "second");
}

TEST_F(ConfigTest, AssignRefusesAnotherClassAndCopiesNothing) {
  TTransportConfig T;
  TBaseOdxConfig Base;
  Base.TimeBetweenActions = 5;
  try {
    T.Assign(Base);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Attemp to assign wront object to TBaseOdxConfig.");
  }
  EXPECT_EQ(T.TimeBetweenActions, 60);

  TTransportConfig Source;
  Source.Username = "u";
  T.Assign(Source);
  EXPECT_EQ(T.Username, "u");
  Base.Assign(Source);  // the base takes the base part of any configuration
  EXPECT_EQ(Base.TimeBetweenActions, 60);

  class TOther : public TPersistent {} Other;
  EXPECT_THROW(Base.Assign(Other), EConvertError);
}

TEST_F(ConfigTest, RefusedWriteIsLogged) {
  const std::string Bad = Dir.Path() + "\\missing\\x.ini";
  TTransportConfig C;
  C.SaveToFile(Bad);
  EXPECT_EQ(LogText().substr(20), "Error writing data to " + Bad + " : Unable to write to " + Bad + "\r\n");
}
