// The transport parameters dialog in this process: what it shows of a file,
// the enabling rules as a person clicks, the shaping and checking of a
// configuration, the registration request, and what OK writes (read back).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "console/norvask_conntest_nocurl.h"
#include "console/norvaskconfigdlg.h"
#include "forms/msgbox.h"
#include "forms/pagecontrol.h"
#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "support/categoryswitches.h"
#include "support/fakeras.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"
#include "support/winprobe.h"
#include "tests/console/guitest.h"

namespace {

const char FtpIni[] =
    "[General]\r\nTimeBetweenActions=300\r\nExactTimeMode=0\r\nExactTime=08:00 18:30\r\n"
    "[Directory0]\r\nTrackDirectory=C:\\velmora\r\n"
    "[Transport]\r\nTransport=FTP\r\nDestination0=ftp.talviren.fr\r\nDestinationDirectory=SHOP01\r\n"
    "Username=CHAIN\r\nPassword=pw\r\nPort=2121\r\nPassiveMode=1\r\nProxyType=None\r\n";

// The INI text with repeated sections and keys merged, the later value winning,
// so that a test can write a base file followed by its own changes.
std::string MergedIni(const std::string& Text) {
  std::vector<std::pair<std::string, std::vector<std::string>>> Sections;
  std::istringstream Lines(Text);
  std::string Line;
  std::vector<std::string>* Current = nullptr;
  while (std::getline(Lines, Line)) {
    if (!Line.empty() && Line.back() == '\r') { Line.pop_back(); }
    if (Line.empty()) { continue; }
    if (Line.front() == '[') {
      auto Found = std::find_if(Sections.begin(), Sections.end(), [&](const auto& S) { return S.first == Line; });
      Current = Found != Sections.end() ? &Found->second : &Sections.emplace_back(Line, std::vector<std::string>{}).second;
      continue;
    }
    const std::string Key = Line.substr(0, Line.find('=') + 1);
    auto Same = std::find_if(Current->begin(), Current->end(), [&](const std::string& L) { return L.rfind(Key, 0) == 0; });
    if (Same != Current->end()) {
      *Same = Line;
    } else {
      Current->push_back(Line);
    }
  }
  std::string Result;
  for (const auto& [Name, Keys] : Sections) {
    Result += Name + "\r\n";
    for (const std::string& Key : Keys) { Result += Key + "\r\n"; }
  }
  return Result;
}

class TransportDialog : public ::testing::Test {
protected:
  void SetUp() override {
    Ras.Entries = {"Orange", "Wanadoo"};
    MessageBoxHook = [this](HWND, const std::string& Text, UINT Flags) {
      Boxes.push_back(Text);
      BoxFlags.push_back(Flags);
      return IDOK;
    };
  }
  void TearDown() override { MessageBoxHook = nullptr; }

  TFormPtr<TNorvaskConfigDlg> Open(const std::string& Text, const std::string& RemotePc = "") {
    WriteTextFile(Ini, MergedIni(Text));
    return NewForm<TNorvaskConfigDlg>(nullptr, RemotePc, Ini, &ConfigClassOf<TTransportConfig>);
  }
  TTransportConfig Saved() const {
    TTransportConfig Config;
    Config.LoadFromFile(Ini);
    return Config;
  }
  // OK as a person presses it; true when the dialog closed with OK.
  bool PressOK(TNorvaskConfigDlg& Dialog) {
    Dialog.BtnOKClick();
    return Dialog.ModalResult() == mrOK;
  }
  template <class T = TControl>
  static T& Get(TNorvaskConfigDlg& Dialog, const char* Name) { return Dialog.Find<T>(Name); }
  static void ClickOn(TNorvaskConfigDlg& Dialog, const char* Name) {
    SendMessageA(Get(Dialog, Name).Handle(), BM_CLICK, 0, 0);
  }
  static void Choose(TNorvaskConfigDlg& Dialog, const char* Name, const std::string& Item) {
    auto& Box = Get<TComboBox>(Dialog, Name);
    Box.SetItemIndex(Box.IndexOf(Item));
    Box.Command(CBN_SELCHANGE);
  }
  static std::string Text(TNorvaskConfigDlg& Dialog, const char* Name) { return Get(Dialog, Name).Text(); }
  static void Type(TNorvaskConfigDlg& Dialog, const char* Name, const std::string& Value) {
    Get(Dialog, Name).SetText(Value);
  }
  static bool Checked(TNorvaskConfigDlg& Dialog, const char* Name) {
    return Get<TButtonControl>(Dialog, Name).Checked();
  }
  static bool Enabled(TNorvaskConfigDlg& Dialog, const char* Name) { return Get(Dialog, Name).Enabled(); }
  static bool Visible(TNorvaskConfigDlg& Dialog, const char* Name) { return Get(Dialog, Name).Visible(); }
  static std::vector<std::string> Items(TNorvaskConfigDlg& Dialog, const char* Name) {
    auto& Box = Get<TComboBox>(Dialog, Name);
    std::vector<std::string> Result;
    for (int Index = 0; Index < Box.ItemCount(); ++Index) { Result.push_back(Box.Item(Index)); }
    return Result;
  }
  static std::string Selected(TNorvaskConfigDlg& Dialog, const char* Name) {
    auto& Box = Get<TComboBox>(Dialog, Name);
    return Box.Item(Box.ItemIndex());
  }

  TFakeRas Ras;
  TScratchDir Dir{"transportdlg"};
  std::string Ini = Dir.Path() + "\\norvask_local.ini";
  std::vector<std::string> Boxes;
  std::vector<UINT> BoxFlags;
};

const char* const Categories[] = {"CbScb", "CbCss", "CbFlt", "CbHmp", "CbMsg", "CbMet", "CbEvt", "CbFot"};

TEST_F(TransportDialog, ShowsAnFtpFileWithTheTextsOfTheStringTableAndSavesItUnchanged) {
  auto Dialog = Open(FtpIni);
  auto& D = *Dialog;
  EXPECT_EQ(D.Caption(), "Configuration du service");
  auto& Pages = Get<TPageControl>(D, "PgcParams");
  ASSERT_EQ(Pages.PageCount(), 3);
  EXPECT_EQ(Pages.Page(0).Text(), "General");
  EXPECT_EQ(Pages.Page(1).Text(), "Transfert de données");
  EXPECT_EQ(Pages.Page(2).Text(), "Additionnel");
  EXPECT_EQ(Text(D, "LabVelmoraDir"), "Talviren est le dossier de données suivi par le service");
  EXPECT_EQ(Text(D, "LabFreq"), "Contrôler l'état des fichiers chaque");
  EXPECT_EQ(Text(D, "RbRegular"), "");
  EXPECT_EQ(Text(D, "RbExactTime"), "Contrôler l'état des fichiers à");
  EXPECT_EQ(Text(D, "CbAll"), "Transfer all files");
  EXPECT_EQ(Text(D, "CbLogDetailed"), "Suivi d’activité");
  EXPECT_EQ(Text(D, "LabDest"), "Copie des nouveaux fichiers du dossier vers ");
  EXPECT_EQ(Text(D, "CbDestination1"), "2ième copie vers");
  EXPECT_EQ(Text(D, "LabUser"), "Pour la chaîne");
  EXPECT_EQ(Text(D, "LabInetDisconnDelay"), "Pause avant le déconnexion");
  EXPECT_EQ(Text(D, "CbRegion"), "Transférez des informations sur la région à laquelle le magasin appartient");
  EXPECT_EQ(Text(D, "LabRegion"), "Nom de la région");
  EXPECT_EQ(Text(D, "BtnTest"), "Test");

  EXPECT_EQ(Text(D, "SeFreq"), "300");
  EXPECT_EQ(Text(D, "EdExactTimes"), "08:00 18:30");
  EXPECT_EQ(Text(D, "EdDestination"), "ftp.talviren.fr");
  EXPECT_EQ(Text(D, "EdDestDir"), "SHOP01");
  EXPECT_EQ(Text(D, "EdUser"), "CHAIN");
  EXPECT_EQ(Text(D, "EdPassword"), "pw");
  EXPECT_EQ(Text(D, "EdPort"), "2121");
  EXPECT_EQ(Text(D, "EdProxyPort"), "8021");
  EXPECT_TRUE(Checked(D, "CbPassive"));
  EXPECT_TRUE(Checked(D, "RbModeFTP"));
  EXPECT_FALSE(Checked(D, "RbModeCopy"));
  EXPECT_EQ(Items(D, "CbInetConn"), (std::vector<std::string>{"par défaut", "Orange", "Wanadoo"}));
  EXPECT_EQ(Selected(D, "CbInetConn"), "par défaut");
  EXPECT_EQ(Items(D, "CbDisconnDelay"), (std::vector<std::string>{"0", "5", "15", "30", "45"}));
  EXPECT_EQ(Items(D, "CbProxyType"), (std::vector<std::string>{"None", "User@Site", "SITE", "OPEN", "USER-PASS",
                                                                "USER-PASS-USER-PASS", "HTTPFTP"}));
  EXPECT_EQ(Selected(D, "CbProxyType"), "None");
  EXPECT_FALSE(Visible(D, "PnProxy"));
  EXPECT_FALSE(Enabled(D, "CbDisconnDelay"));
  EXPECT_FALSE(Enabled(D, "EdDestination1"));
  EXPECT_FALSE(Checked(D, "CbRegion"));
  EXPECT_FALSE(Enabled(D, "EdRegion"));
  // Interval mode: the rule holds from the start.
  EXPECT_TRUE(Enabled(D, "SeFreq"));
  EXPECT_FALSE(Enabled(D, "EdExactTimes"));

  ASSERT_TRUE(PressOK(D)) << (Boxes.empty() ? "" : Boxes[0]);
  const TTransportConfig S = Saved();
  EXPECT_EQ(S.Transport, tkFtp);
  EXPECT_EQ(S.GetDestination(0), "ftp.talviren.fr");
  EXPECT_EQ(S.GetDestination(1), "");
  EXPECT_EQ(S.DestinationDirectory, "SHOP01");
  EXPECT_EQ(S.Username, "CHAIN");
  EXPECT_EQ(S.Password, "pw");
  EXPECT_EQ(S.Port, 2121);
  EXPECT_TRUE(S.PassiveMode);
  EXPECT_EQ(S.Connection, "");
  EXPECT_EQ(S.DisconnDelay, 0);
  EXPECT_EQ(S.TimeBetweenActions, 300);
  EXPECT_FALSE(S.ExactTimeMode);
  EXPECT_EQ(S.ExactTime.GetText(), "08:00 18:30");
  EXPECT_FALSE(S.Heatmap);
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(TransportDialog, CategoryBoxesAndTransferAllFollowEachOther) {
  auto Dialog = Open(FtpIni);  // Heatmap off by default
  auto& D = *Dialog;
  EXPECT_FALSE(Checked(D, "CbAll"));
  EXPECT_FALSE(Checked(D, "CbHmp"));
  for (const char* Box : Categories) {
    EXPECT_TRUE(Enabled(D, Box)) << Box;
    EXPECT_EQ(Checked(D, Box), std::string(Box) != "CbHmp") << Box;
  }
  // Checking the last unchecked box switches to all categories.
  ClickOn(D, "CbHmp");
  EXPECT_TRUE(Checked(D, "CbAll"));
  for (const char* Box : Categories) { EXPECT_FALSE(Enabled(D, Box)) << Box; }
  // Unchecking "all" gives the boxes back, still checked.
  ClickOn(D, "CbAll");
  for (const char* Box : Categories) {
    EXPECT_TRUE(Enabled(D, Box)) << Box;
    EXPECT_TRUE(Checked(D, Box)) << Box;
  }
  ClickOn(D, "CbMsg");
  ClickOn(D, "CbFot");
  EXPECT_FALSE(Checked(D, "CbAll"));
  ASSERT_TRUE(PressOK(D));
  TTransportConfig S = Saved();
  EXPECT_TRUE(S.Scb && S.Caisse && S.Filters && S.Heatmap && S.Meteo && S.Events);
  EXPECT_FALSE(S.Messages);
  EXPECT_FALSE(S.Footfall);

  // All eight on: "all" checked, boxes disabled; checking "all" checks every box.
  auto Again = Open(ReadTextFile(Ini) + "[Transfer]\r\nMessages=1\r\nFootfall=1\r\n");
  EXPECT_TRUE(Checked(*Again, "CbAll"));
  for (const char* Box : Categories) { EXPECT_FALSE(Enabled(*Again, Box)) << Box; }
  ClickOn(*Again, "CbAll");
  ClickOn(*Again, "CbScb");
  ClickOn(*Again, "CbAll");
  EXPECT_TRUE(Checked(*Again, "CbScb"));
  EXPECT_FALSE(Enabled(*Again, "CbScb"));

  // Each box shows and saves its own switch: one switch off, the others on.
  for (size_t Row = 0; Row < std::size(ExpectedCategories); ++Row) {
    const auto& [Folder, Key, Switch] = ExpectedCategories[Row];
    auto One = Open(std::string(FtpIni) + "[Transfer]\r\nHeatmap=1\r\n" + Key + "=0\r\n");
    for (size_t Box = 0; Box < std::size(Categories); ++Box) {
      EXPECT_EQ(Checked(*One, Categories[Box]), Box != Row) << Key << " " << Categories[Box];
    }
    ASSERT_TRUE(PressOK(*One));
    const TTransportConfig S = Saved();
    for (const TExpectedCategory& Other : ExpectedCategories) {
      EXPECT_EQ(S.*Other.Switch, Other.Switch != Switch) << Key << " " << Other.Key;
    }
  }
}

TEST_F(TransportDialog, TimeModesEnableTheirOwnEditAndExactTimesMustBeGiven) {
  auto Dialog = Open(std::string(FtpIni) + "[General]\r\nExactTimeMode=1\r\n");
  auto& D = *Dialog;
  EXPECT_TRUE(Checked(D, "RbExactTime"));
  EXPECT_FALSE(Checked(D, "RbRegular"));
  EXPECT_FALSE(Enabled(D, "SeFreq"));
  EXPECT_FALSE(Enabled(D, "LabMin"));
  EXPECT_TRUE(Enabled(D, "EdExactTimes"));

  const std::string Before = ReadTextFile(Ini);
  Type(D, "EdExactTimes", "");
  EXPECT_FALSE(PressOK(D));
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0], "Le temps du contrôle n'est pas défini");
  EXPECT_EQ(ReadTextFile(Ini), Before);

  Type(D, "EdExactTimes", "25:00");
  EXPECT_FALSE(PressOK(D));
  EXPECT_EQ(Boxes.size(), 2u);

  ClickOn(D, "RbRegular");
  EXPECT_TRUE(Enabled(D, "SeFreq"));
  EXPECT_TRUE(Enabled(D, "LabMin"));
  EXPECT_FALSE(Enabled(D, "EdExactTimes"));
  Type(D, "EdExactTimes", "");
  Type(D, "SeFreq", "30");  // below the bounds of this dialog: read as typed
  ASSERT_TRUE(PressOK(D));
  TTransportConfig S = Saved();
  EXPECT_FALSE(S.ExactTimeMode);
  EXPECT_EQ(dynamic_cast<TTransportConfig&>(*D.Config()).ExactTime.Count(), 0);
  EXPECT_EQ(S.TimeBetweenActions, 30);

  auto Again = Open(ReadTextFile(Ini));
  EXPECT_EQ(Text(*Again, "SeFreq"), "60");
  ClickOn(*Again, "RbExactTime");
  EXPECT_FALSE(Enabled(*Again, "SeFreq"));
  Type(*Again, "EdExactTimes", "18:30 07:15");
  ASSERT_TRUE(PressOK(*Again));
  S = Saved();
  EXPECT_TRUE(S.ExactTimeMode);
  EXPECT_EQ(S.ExactTime.GetText(), "07:15 18:30");
}

// Out of 60..7200, whether read from the file or typed and left as a person
// leaves it on the way to OK: shown and saved as the nearest bound.
TEST_F(TransportDialog, IntervalOutsideTheBoundsIsShownAndSavedAsTheNearestBound) {
  for (const auto& [Outside, Bound] : {std::pair{"30", "60"}, std::pair{"99999", "7200"}}) {
    SCOPED_TRACE(Outside);
    auto FromFile = Open(std::string(FtpIni) + "[General]\r\nTimeBetweenActions=" + Outside + "\r\n");
    EXPECT_EQ(Text(*FromFile, "SeFreq"), Bound);
    ASSERT_TRUE(PressOK(*FromFile));
    EXPECT_EQ(Saved().TimeBetweenActions, std::stoi(Bound));

    auto Typed = Open(FtpIni);
    Typed->Show();
    SetForegroundWindow(Typed->Handle());
    Get(*Typed, "SeFreq").SetFocus();
    ASSERT_EQ(GetFocus(), Get(*Typed, "SeFreq").Handle());
    Type(*Typed, "SeFreq", Outside);
    Get(*Typed, "BtnOK").SetFocus();
    ASSERT_EQ(GetFocus(), Get(*Typed, "BtnOK").Handle());
    EXPECT_EQ(Text(*Typed, "SeFreq"), Bound);
    ASSERT_TRUE(PressOK(*Typed));
    EXPECT_EQ(Saved().TimeBetweenActions, std::stoi(Bound));
  }
}

TEST_F(TransportDialog, FtpAccountShopPortsAndDestinationsAreShapedOrRefused) {
  auto Dialog = Open(FtpIni);
  auto& D = *Dialog;
  Type(D, "EdUser", " .\\chain one ");
  Type(D, "EdDestDir", "shop 12");
  Type(D, "EdPassword", "  pw  ");
  Type(D, "EdPort", "abc");
  Choose(D, "CbProxyType", "SITE");
  Type(D, "EdProxyPort", "");
  Type(D, "EdProxyUser", " puser ");
  Type(D, "EdDestination", " 127.0.0.1 ");
  ClickOn(D, "CbDestination1");
  Type(D, "EdDestination1", "C:\\out\\");
  ASSERT_TRUE(PressOK(D)) << (Boxes.empty() ? "" : Boxes[0]);
  TTransportConfig S = Saved();
  EXPECT_EQ(S.Username, "CHAINONE");
  EXPECT_EQ(S.DestinationDirectory, "SHOP12");
  EXPECT_EQ(S.Password, "pw");
  EXPECT_EQ(S.Port, 21);
  EXPECT_EQ(S.ProxyType, pkSite);
  EXPECT_EQ(S.ProxyPort, 8021);
  EXPECT_EQ(S.ProxyUser, "puser");
  EXPECT_EQ(S.GetDestination(0), "127.0.0.1");
  EXPECT_EQ(S.GetDestination(1), "C:\\out");

  // Refusals: the reason in a box, the dialog open, the file as it was.
  const std::string Before = ReadTextFile(Ini);
  const struct {
    const char* Control;
    const char* Value;
    const char* Message;
  } Refused[] = {
    {"EdDestDir", "  ", "Nom du magasin non spécifié! Vous devez indiquer le nom du magasin."},
    {"EdUser", "", "Nom du magasin non spécifié! Vous devez indiquer le nom du magasin."},
    {"EdDestDir", "café", "Mauvais charactère 'é' dans le nom du magasin café"},
    {"EdPassword", " \t ", "Le mot de passe est incorrect"},
  };
  for (const auto& Case : Refused) {
    SCOPED_TRACE(Case.Message);
    auto Again = Open(Before);
    Boxes.clear();
    Type(*Again, Case.Control, Case.Value);
    EXPECT_FALSE(PressOK(*Again));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0], Case.Message);
    EXPECT_EQ(BoxFlags[0], static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
    EXPECT_EQ(ReadTextFile(Ini), Before);
  }
}

TEST_F(TransportDialog, CopyAccountIsShapedIntoALocalOrDomainAccount) {
  const struct {
    const char* Typed;
    const char* Saved;
    const char* Password;
  } Cases[] = {
    {"", ".\\LocalSystem", ""},       {"admin", ".\\admin", "pw"},         {"\\admin", ".\\admin", "pw"},
    {"DOMAIN\\user", "DOMAIN\\user", "pw"}, {".\\localsystem", ".\\localsystem", ""}, {" .\\LOCALSYSTEM ", ".\\LOCALSYSTEM", ""},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Typed);
    auto Dialog = Open(FtpIni);
    ClickOn(*Dialog, "RbModeCopy");
    Type(*Dialog, "EdUser", Case.Typed);
    Type(*Dialog, "EdPassword", " pw ");
    Type(*Dialog, "EdDestDir", "shop 12");  // a folder name, not checked in COPY mode
    ASSERT_TRUE(PressOK(*Dialog)) << (Boxes.empty() ? "" : Boxes[0]);
    const TTransportConfig S = Saved();
    EXPECT_EQ(S.Transport, tkCopy);
    EXPECT_EQ(S.Username, Case.Saved);
    EXPECT_EQ(S.Password, Case.Password);
    EXPECT_EQ(S.DestinationDirectory, "shop 12");
  }
  // FTPS and SFTP open in COPY mode and are saved as COPY.
  for (const char* Kind : {"FTPS", "SFTP"}) {
    SCOPED_TRACE(Kind);
    auto Dialog = Open(std::string(FtpIni) + "[Transport]\r\nTransport=" + Kind + "\r\n");
    EXPECT_TRUE(Checked(*Dialog, "RbModeCopy"));
    ASSERT_TRUE(PressOK(*Dialog));
    EXPECT_EQ(Saved().Transport, tkCopy);
  }
}

TEST_F(TransportDialog, TransferControlsFollowTheModeTheSecondDestinationTheProxyAndTheConnection) {
  auto Dialog = Open(FtpIni);
  auto& D = *Dialog;
  EXPECT_TRUE(Visible(D, "PnFtp"));
  EXPECT_FALSE(Visible(D, "BtnBrowseDest"));
  EXPECT_FALSE(Visible(D, "BtnBrowseDest1"));

  ClickOn(D, "RbModeCopy");
  EXPECT_FALSE(Visible(D, "PnFtp"));
  EXPECT_TRUE(Visible(D, "BtnBrowseDest"));
  EXPECT_FALSE(Visible(D, "BtnBrowseDest1"));
  // The account the service will log on with stays in view.
  for (const char* Name : {"LabUser", "EdUser", "LabPassword", "EdPassword"}) { EXPECT_TRUE(Visible(D, Name)) << Name; }
  EXPECT_EQ(Text(D, "LabUser"), "Identifiant");

  ClickOn(D, "CbDestination1");
  EXPECT_TRUE(Enabled(D, "EdDestination1"));
  EXPECT_TRUE(Visible(D, "BtnBrowseDest1"));
  ClickOn(D, "CbDestination1");
  EXPECT_FALSE(Enabled(D, "EdDestination1"));
  EXPECT_FALSE(Visible(D, "BtnBrowseDest1"));

  ClickOn(D, "RbModeFTP");
  EXPECT_TRUE(Visible(D, "PnFtp"));
  EXPECT_EQ(Text(D, "LabUser"), "Pour la chaîne");

  Choose(D, "CbProxyType", "HTTPFTP");
  EXPECT_TRUE(Visible(D, "PnProxy"));
  Choose(D, "CbProxyType", "None");
  EXPECT_FALSE(Visible(D, "PnProxy"));

  Choose(D, "CbInetConn", "Wanadoo");
  for (const char* Name : {"LabInetDisconnDelay", "CbDisconnDelay", "LabMin2"}) { EXPECT_TRUE(Enabled(D, Name)) << Name; }
  Choose(D, "CbDisconnDelay", "30");
  ASSERT_TRUE(PressOK(D));
  EXPECT_EQ(Saved().Connection, "Wanadoo");
  EXPECT_EQ(Saved().DisconnDelay, 30);

  auto Again = Open(ReadTextFile(Ini));
  EXPECT_EQ(Selected(*Again, "CbInetConn"), "Wanadoo");
  EXPECT_EQ(Selected(*Again, "CbDisconnDelay"), "30");
  Choose(*Again, "CbInetConn", "par défaut");
  EXPECT_FALSE(Enabled(*Again, "CbDisconnDelay"));
  ASSERT_TRUE(PressOK(*Again));
  EXPECT_EQ(Saved().Connection, "");
  EXPECT_EQ(Saved().DisconnDelay, 30);  // kept for the next time a connection is chosen
}

// A connection made on the service's own PC, or an unusual pause, is kept as
// an item of its own instead of being saved away as the default.
TEST_F(TransportDialog, ConnectionAndPauseUnknownHereAreKeptUnlessChanged) {
  const std::string File = std::string(FtpIni) + "[Transport]\r\nConnection=Liaison du magasin\r\nDisconnDelay=10\r\n";
  {
    auto Dialog = Open(File);
    EXPECT_EQ(Items(*Dialog, "CbInetConn"),
              (std::vector<std::string>{"par défaut", "Orange", "Wanadoo", "Liaison du magasin"}));
    EXPECT_EQ(Selected(*Dialog, "CbInetConn"), "Liaison du magasin");
    EXPECT_TRUE(Enabled(*Dialog, "CbDisconnDelay"));
    EXPECT_EQ(Items(*Dialog, "CbDisconnDelay"), (std::vector<std::string>{"0", "5", "15", "30", "45", "10"}));
    EXPECT_EQ(Selected(*Dialog, "CbDisconnDelay"), "10");
    ASSERT_TRUE(PressOK(*Dialog));
    EXPECT_EQ(Saved().Connection, "Liaison du magasin");
    EXPECT_EQ(Saved().DisconnDelay, 10);
  }
  // A phonebook that cannot be listed shows the same.
  Ras.Entries.assign(17, "x");
  {
    auto Dialog = Open(File);
    EXPECT_EQ(Selected(*Dialog, "CbInetConn"), "Liaison du magasin");
    Choose(*Dialog, "CbDisconnDelay", "5");
    ASSERT_TRUE(PressOK(*Dialog));
    EXPECT_EQ(Saved().Connection, "Liaison du magasin");
    EXPECT_EQ(Saved().DisconnDelay, 5);
  }
}

TEST_F(TransportDialog, BrowseButtonsOnlyForThisPc) {
  const std::string Copy = std::string(FtpIni) + "[Transport]\r\nTransport=COPY\r\nDestination1=D:\\second\r\n";
  auto Local = Open(Copy);
  EXPECT_TRUE(Visible(*Local, "BtnBrowseDest"));
  EXPECT_TRUE(Visible(*Local, "BtnBrowseDest1"));
  EXPECT_TRUE(Visible(*Local, "BtnBrowseDir"));
  auto Remote = Open(Copy, "SHOP-PC7");
  EXPECT_FALSE(Visible(*Remote, "BtnBrowseDest"));
  EXPECT_FALSE(Visible(*Remote, "BtnBrowseDest1"));
  EXPECT_FALSE(Visible(*Remote, "BtnBrowseDir"));
  ClickOn(*Remote, "CbDestination1");
  ClickOn(*Remote, "CbDestination1");
  EXPECT_FALSE(Visible(*Remote, "BtnBrowseDest1"));
}

TEST_F(TransportDialog, RegionRequestIsWrittenIntoTheTrackedDirectoryOrKeepsTheDialogOpen) {
  TScratchDir Shop("transportdlg_shop");
  const std::string Region = "[Transport]\r\nRegionSend=1\r\nRegionName=France\r\n";
  for (const std::string& Tracked : {Shop.Path(), Shop.Path() + "\\"}) {
    SCOPED_TRACE(Tracked);
    DeleteFileA((Shop.Path() + "\\shopinfo.arg").c_str());
    auto Dialog = Open(std::string(FtpIni) + Region + "[Directory0]\r\nTrackDirectory=" + Tracked + "\r\n");
    EXPECT_TRUE(Checked(*Dialog, "CbRegion"));
    EXPECT_TRUE(Enabled(*Dialog, "EdRegion"));
    EXPECT_TRUE(Enabled(*Dialog, "LabRegion"));
    Type(*Dialog, "EdRegion", "  Bretagne ");
    ASSERT_TRUE(PressOK(*Dialog));
    const std::vector<std::string> Lines = ReadLines(Shop.Path() + "\\shopinfo.arg");
    ASSERT_EQ(Lines.size(), 14u);
    EXPECT_EQ(Lines[2], "#    Shop   :  (SHOP01)");
    EXPECT_EQ(Lines[5], "#  (par Talviren Transport Service)");
    EXPECT_EQ(Lines[9], "region=Bretagne");
    EXPECT_EQ(Saved().RegionName, "Bretagne");
  }
  // Blank tracked directory: nothing written, nothing said.
  {
    auto Dialog = Open(std::string(FtpIni) + Region + "[Directory0]\r\nTrackDirectory=\r\n");
    Type(*Dialog, "EdVelmoraDir", "   ");
    EXPECT_TRUE(PressOK(*Dialog));
    EXPECT_TRUE(Boxes.empty());
  }
  // A folder that refuses it: the reason, the dialog open, nothing saved, nothing partial.
  const std::string Missing = Shop.Path() + "\\absent";
  auto Dialog = Open(std::string(FtpIni) + Region + "[Directory0]\r\nTrackDirectory=" + Missing + "\r\n");
  const std::string Before = ReadTextFile(Ini);
  EXPECT_FALSE(PressOK(*Dialog));
  ASSERT_EQ(Boxes.size(), 1u);
  const std::string Start = Missing + "\\shopinfo.arg (Nom de la région \"France\"): \r";
  EXPECT_EQ(Boxes[0].substr(0, Start.size()), Start);
  EXPECT_GT(Boxes[0].size(), Start.size());
  EXPECT_EQ(BoxFlags[0], static_cast<UINT>(MB_ICONERROR | MB_OK));
  EXPECT_EQ(ReadTextFile(Ini), Before);
  EXPECT_FALSE(DirectoryExists(Missing));

  // Unchecked: the region edit is disabled and no request is written.
  ClickOn(*Dialog, "CbRegion");
  EXPECT_FALSE(Enabled(*Dialog, "EdRegion"));
  EXPECT_FALSE(Enabled(*Dialog, "LabRegion"));
  EXPECT_TRUE(PressOK(*Dialog));
  EXPECT_FALSE(Saved().RegionSend);
}

TEST_F(TransportDialog, TestWithABadValueOpensNoTestAndChangesNothing) {
  auto Dialog = Open(FtpIni);
  const std::string Before = ReadTextFile(Ini);
  Type(*Dialog, "EdPassword", "");
  try {
    Dialog->BtnTestClick();
    ADD_FAILURE() << "the test started";
  } catch (const Exception& Error) {
    EXPECT_EQ(Error.Message(), "Le mot de passe est incorrect");
  }
  EXPECT_EQ(FindThreadWindow("Connectivity test"), nullptr);
  EXPECT_EQ(ReadTextFile(Ini), Before);
  EXPECT_EQ(dynamic_cast<TTransportConfig*>(Dialog->Config())->Password, "pw");
}

// Test runs the connectivity test on what the controls hold, in a dialog of
// its own over this one; the file and the dialog's configuration stay as they were.
TEST_F(TransportDialog, TestRunsOnTheControlsValuesAndChangesNothing) {
  TScratchDir Out("transportdlg_test_out");
  auto Dialog = Open(std::string(FtpIni) + "[Transport]\r\nTransport=COPY\r\nUsername=\r\n");
  Dialog->Show();
  const std::string Before = ReadTextFile(Ini);
  Type(*Dialog, "EdDestination", Out.Path() + "\\");
  Type(*Dialog, "EdDestDir", "SHOP9");
  std::string Title, Report;
  HWND Owner = nullptr;
  TThreadTicker Ticker(20, [&] {
    for (HWND Window : ThreadWindows(GetCurrentThreadId())) {
      char Class[64] = "";
      GetClassNameA(Window, Class, sizeof Class);
      if (std::string(Class) != "TNorvaskForm") { continue; }
      auto* Test = dynamic_cast<TConnectionTestDlg*>(TForm::FromHandle(Window));
      if (!Test || Test->InProgress() || !Title.empty() || Test->Caption().rfind("Connectivity test: ", 0) != 0) {
        continue;
      }
      Title = Test->Caption();
      Report = Test->Find<TControl>("ReResult").Text();
      Owner = GetWindow(Window, GW_OWNER);
      PostMessageA(Test->Find<TControl>("BtnBack").Handle(), BM_CLICK, 0, 0);
    }
  });
  TWatchdog Watchdog;
  Dialog->BtnTestClick();
  Watchdog.Stop();
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_EQ(Title, "Connectivity test: " + Out.Path() + ": no errors found");
  EXPECT_EQ(Owner, Dialog->Handle());
  // The normalised account and the destination without its backslash were tested.
  EXPECT_NE(Report.find("for the user    - .\\LocalSystem"), std::string::npos) << Report;
  EXPECT_NE(Report.find("destination     - " + Out.Path() + "\r"), std::string::npos) << Report;
  EXPECT_TRUE(DirectoryExists(Out.Path() + "\\SHOP9"));
  EXPECT_EQ(ReadTextFile(Ini), Before);
  EXPECT_EQ(dynamic_cast<TTransportConfig&>(*Dialog->Config()).DestinationDirectory, "SHOP01");
  EXPECT_TRUE(IsWindowEnabled(Dialog->Handle()));
}

// Pictures of the three pages for a person to look at.
TEST_F(TransportDialog, ScreenshotsOfThePages) {
  auto Dialog = Open(std::string(FtpIni) +
                     "[Transport]\r\nConnection=Orange\r\nDisconnDelay=15\r\nProxyType=User@Site\r\n"
                     "ProxyHost=proxy.talviren.fr\r\nProxyUser=puser\r\nProxyPassword=ppass\r\n"
                     "Destination1=ftp2.talviren.fr\r\nRegionSend=1\r\nRegionName=Bretagne\r\n"
                     "[Transfer]\r\nHeatmap=0\r\n");
  Dialog->Show();
  auto& Pages = Get<TPageControl>(*Dialog, "PgcParams");
  const char* Names[] = {"parameters-general.png", "parameters-transfer.png", "parameters-additional.png"};
  for (int Page = 0; Page < 3; ++Page) {
    Pages.SetActivePageIndex(Page);
    EXPECT_TRUE(SaveWindowPng(Dialog->Handle(), ScreenshotPath(Names[Page]))) << Names[Page];
  }
}

}  // namespace
