// The connectivity test for real: FTP destinations on the loopback test servers
// (straight, through the scripted FTP proxy and through tinyproxy) and copy
// destinations in scratch folders; the report is read back from its rich-text
// box, line by line with its bold and red lines, with the title and buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "console/norvask_conntest_nocurl.h"
#include "forms/msgbox.h"
#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/formatdatetime.h"
#include "support/ftptestenv.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"
#include "support/winprobe.h"
#include "tests/console/guitest.h"

namespace {

const COLORREF Red = RGB(255, 0, 0);
enum TKind { Plain, Header, Error };

bool EndsWith(const std::string& Text, const std::string& End) {
  return Text.size() >= End.size() && Text.compare(Text.size() - End.size(), End.size(), End) == 0;
}

class ConnectivityTest : public ::testing::Test {
protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, FOldDir);
    SetCurrentDirectoryA(Here.Path().c_str());  // where the sample file is made
    MessageBoxHook = [this](HWND, const std::string& Text, UINT) {
      Boxes.push_back(Text);
      return IDOK;
    };
    Config.SetTrackDirectory(0, "C:\\velmora");
  }
  void TearDown() override {
    MessageBoxHook = nullptr;
    SetCurrentDirectoryA(FOldDir);
  }
  void UseFtp(const std::string& Shop) {
    Config.Transport = tkFtp;
    Config.SetDestination(0, "127.0.0.1");
    Config.Port = FtpTestEnv::PortOf("ftp");
    Config.Username = FtpTestEnv::User;
    Config.Password = FtpTestEnv::Password;
    Config.PassiveMode = true;
    Config.DestinationDirectory = Shop;
  }
  TFormPtr<TConnectionTestDlg> NewDialog(bool ContinueMode = false) {
    auto Dialog = NewForm<TConnectionTestDlg>(nullptr);
    Dialog->SetConfig(&Config);
    Dialog->SetContinueMode(ContinueMode);
    Dialog->Show();
    return Dialog;
  }
  // The dialog shown: its test starts by itself; returns once it has ended.
  TFormPtr<TConnectionTestDlg> Run(bool ContinueMode = false) {
    auto Dialog = NewDialog(ContinueMode);
    EXPECT_TRUE(PumpUntil([&] {
      const std::string Title = Dialog->Caption();
      return !Dialog->InProgress() && (EndsWith(Title, ": no errors found") || EndsWith(Title, ": ERRORS FOUND"));
    }, 60000));
    return Dialog;
  }
  static std::vector<std::string> Lines(TConnectionTestDlg& Dialog) {
    return Dialog.Find<TRichEdit>("ReResult").Lines();
  }
  // The kind of each line, from its first character's colour and weight.
  static std::vector<TKind> Kinds(TConnectionTestDlg& Dialog) {
    auto& Report = Dialog.Find<TRichEdit>("ReResult");
    std::vector<TKind> Result;
    for (int Line = 0; Line < static_cast<int>(Report.Lines().size()); ++Line) {
      const auto Format = Report.LineFormat(Line);
      Result.push_back(Format.Color == Red ? Error : Format.Bold ? Header : Plain);
      EXPECT_TRUE(Format.Color == Red || Format.Color == Report.DefaultColor()) << "line " << Line;
    }
    return Result;
  }
  static std::vector<TKind> KindsOf(const std::vector<std::string>& Lines, const std::vector<int>& Headers,
                                    const std::vector<int>& Errors = {}) {
    std::vector<TKind> Result(Lines.size(), Plain);
    for (int Line : Headers) { Result[Line] = Header; }
    for (int Line : Errors) { Result[Line] = Error; }
    return Result;
  }
  static std::string ControlText(TConnectionTestDlg& Dialog, const char* Name) { return Dialog.Find<TControl>(Name).Text(); }
  static bool Shown(TConnectionTestDlg& Dialog, const char* Name) { return Dialog.Find<TControl>(Name).Visible(); }
  static bool Usable(TConnectionTestDlg& Dialog, const char* Name) { return Dialog.Find<TControl>(Name).Enabled(); }

  std::vector<std::string> FtpParameters(const std::string& Shop) const {
    return {"Transport parameters:",
            "    Service tracks content of C:\\velmora",
            "    transfer mode   - FTP",
            "    destination     - 127.0.0.1",
            "    for the shop    - " + Shop,
            "    for the chain   - norvask",
            "    with password   - " + Config.Password,
            "    FTP mode        - passive",
            "    FTP port        - " + std::to_string(Config.Port),
            "    FTP proxy type  - none"};
  }
  static std::string SampleSize() { return std::to_string(ReadTextFile("smaple.dat").size()); }

  TScratchDir Here{"conntest_cwd"};
  TTransportConfig Config;
  std::vector<std::string> Boxes;

private:
  char FOldDir[MAX_PATH] = "";
};

TEST_F(ConnectivityTest, FtpDestinationMakesItsFoldersSendsTheSampleAndDeletesIt) {
  RemoveTree(FtpTestEnv::HomePath("ctshop"));
  UseFtp("ctshop/level2");
  const TDateTime Before = Now();
  auto Dialog = Run();
  const TDateTime After = Now();
  std::vector<std::string> Expected = FtpParameters("ctshop/level2");
  for (const std::string& Line :
       {std::string(""), std::string("Check FTP-server 127.0.0.1:"), std::string("    Connecting...     Ok."),
        std::string(""), std::string("Checking destination directory on 127.0.0.1:"),
        std::string("    Check existence of directory ctshop/level2...     Ok."), std::string(""),
        std::string("Checking file transfer to 127.0.0.1: "),
        "    Transferring " + SampleSize() + " bytes...     Ok."}) {
    Expected.push_back(Line);
  }
  EXPECT_EQ(Lines(*Dialog), Expected);
  EXPECT_EQ(Kinds(*Dialog), KindsOf(Expected, {0, 11, 14, 17}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.1: no errors found");
  EXPECT_TRUE(Shown(*Dialog, "BtnTest") && Usable(*Dialog, "BtnTest"));
  EXPECT_TRUE(Usable(*Dialog, "BtnBack"));
  EXPECT_FALSE(Shown(*Dialog, "BtnExit"));
  EXPECT_EQ(ControlText(*Dialog, "BtnTest"), "Test");
  EXPECT_EQ(ControlText(*Dialog, "BtnBack"), "Back to Configuration");
  EXPECT_TRUE(DirectoryExists(FtpTestEnv::HomePath("ctshop/level2")));
  EXPECT_FALSE(FtpTestEnv::FileExists(FtpTestEnv::HomePath("ctshop/level2/smaple.dat")));
  EXPECT_FALSE(Dialog->DestinationOpen());

  // The local sample: five lines with this program's version and the moment.
  const std::vector<std::string> Sample = ReadLines("smaple.dat");
  ASSERT_EQ(Sample.size(), 5u);
  EXPECT_EQ(Sample[0], "This is a sample file.");
  EXPECT_EQ(Sample[1], "");
  EXPECT_EQ(Sample[2], "It is only used to test connectivity");
  EXPECT_EQ(Sample[3], "between Transport Service and destination host.");
  const std::string Stamp = "The file was transferred by TS ver. 0.0.0. on ";
  EXPECT_TRUE(Sample[4] == Stamp + FormatDateTime("c", Before) || Sample[4] == Stamp + FormatDateTime("c", After))
      << Sample[4];
  EXPECT_EQ(ReadTextFile("smaple.dat").substr(ReadTextFile("smaple.dat").size() - 2), "\r\n");

  // Again: a cleared report, the folder found this time; the sample goes with the dialog.
  Dialog->BtnTestClick();
  EXPECT_EQ(Lines(*Dialog), Expected);
  Dialog.reset();
  EXPECT_FALSE(FileExists(Here.Path() + "\\smaple.dat"));
}

TEST_F(ConnectivityTest, RefusedLogOnAndADownServerAreRedAndEndTheirSession) {
  UseFtp("ctshop2");
  Config.Password = "faux";
  Config.SetDestination(1, "127.0.0.2");  // nothing listens there
  auto Dialog = Run(true);
  const std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_GE(Report.size(), 19u);
  EXPECT_EQ(Report[4], "    2nd destination - 127.0.0.2");
  EXPECT_EQ(Report[12], "Check FTP-server 127.0.0.1:");
  EXPECT_EQ(Report[13], "    Connecting...");
  EXPECT_EQ(Report[14].substr(0, 4), "    ");
  EXPECT_GT(Report[14].size(), 4u);
  EXPECT_EQ(Report[15], "");
  EXPECT_EQ(Report[16], "Check FTP-server 127.0.0.2:");
  EXPECT_EQ(Report[17], "    Connecting...");
  ASSERT_EQ(Report.size(), 19u);
  EXPECT_EQ(Kinds(*Dialog), KindsOf(Report, {0, 12, 16}, {14, 18}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.2: ERRORS FOUND");
  // Continue mode: the exit button in place of Test, saying so.
  EXPECT_FALSE(Shown(*Dialog, "BtnTest"));
  EXPECT_TRUE(Shown(*Dialog, "BtnExit") && Usable(*Dialog, "BtnExit"));
  EXPECT_EQ(ControlText(*Dialog, "BtnExit"), "Continue with errors");
  // The refused session was ended with its destination's test.
  EXPECT_FALSE(Dialog->DestinationOpen());
}

TEST_F(ConnectivityTest, DeleteRefusedByTheServerStillPassesAndLeavesTheSample) {
  UseFtp("nodelete");
  Config.PassiveMode = false;
  DeleteFileA(FtpTestEnv::HomePath("nodelete/smaple.dat").c_str());
  auto Dialog = Run();
  const std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_FALSE(Report.empty());
  EXPECT_EQ(Report[7], "    FTP mode        - active");
  EXPECT_EQ(Report.back(), "    Transferring " + SampleSize() + " bytes...     Ok.");
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.1: no errors found");
  EXPECT_TRUE(FtpTestEnv::SameContents(FtpTestEnv::HomePath("nodelete/smaple.dat"), Here.Path() + "\\smaple.dat"));
}

TEST_F(ConnectivityTest, FolderThatCannotBeMadeFailsTheDirectoryStepTheTransferStillRuns) {
  UseFtp("readonly/sub");
  auto Dialog = Run();
  const std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_EQ(Report.size(), 21u);
  EXPECT_EQ(Report[15], "    Check existence of directory readonly/sub...");
  EXPECT_EQ(Report[16].substr(0, 38), "    Création de dossier impossible: /r");
  EXPECT_NE(Report[16].find("/readonly/sub : "), std::string::npos);
  EXPECT_EQ(Report[18], "Checking file transfer to 127.0.0.1: ");
  EXPECT_EQ(Report[19], "    Transferring " + SampleSize() + " bytes...");
  EXPECT_EQ(Kinds(*Dialog), KindsOf(Report, {0, 11, 14, 18}, {16, 20}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.1: ERRORS FOUND");
}

TEST_F(ConnectivityTest, ThroughTheScriptedFtpProxyAndThroughTinyproxy) {
  UseFtp("ctproxied");
  Config.ProxyType = pkOpen;
  Config.ProxyHost = "127.0.0.1";
  Config.ProxyPort = FtpTestEnv::PortOf("proxy");
  Config.ProxyUser = "puser";
  Config.ProxyPassword = "ppass";
  auto Dialog = Run();
  std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_GE(Report.size(), 14u);
  EXPECT_EQ(std::vector<std::string>(Report.begin() + 9, Report.begin() + 14),
            (std::vector<std::string>{"    FTP proxy host  - 127.0.0.1",
                                      "    FTP proxy port  - " + std::to_string(Config.ProxyPort),
                                      "    FTP proxy type  - OPEN", "    FTP proxy user  - puser",
                                      "    FTP proxy password  - ppass"}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.1: no errors found") << Report.back();
  const std::vector<std::string> Commands = FtpTestEnv::ProxyCommands();
  ASSERT_GE(Commands.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(Commands.begin(), Commands.begin() + 5),
            (std::vector<std::string>{"USER puser", "PASS ppass", "OPEN 127.0.0.1",
                                      "USER norvask", "PASS s3cret"}));
  EXPECT_TRUE(DirectoryExists(FtpTestEnv::HomePath("ctproxied")));

  Config.ProxyType = pkHttpFtp;
  Config.ProxyPort = FtpTestEnv::PortOf("http");
  Config.ProxyUser = "";
  Config.ProxyPassword = "";
  Config.DestinationDirectory = "cttunnel";
  Dialog->BtnTestClick();
  Report = Lines(*Dialog);
  EXPECT_EQ(Report[11], "    FTP proxy type  - HTTPFTP");
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.1: no errors found") << Report.back();
  EXPECT_TRUE(DirectoryExists(FtpTestEnv::HomePath("cttunnel")));
}

TEST_F(ConnectivityTest, CopyDestinationsExistingMissingAndRefused) {
  TScratchDir Out("conntest_out");
  const std::string Existing = Out.Path() + "\\existing", Missing = Out.Path() + "\\missing\\deep";
  ForceDirectories(Existing + "\\SHOP7");
  WriteTextFile(Existing + "\\SHOP7\\smaple.dat", "an old sample");
  Config.Transport = tkSftp;  // every kind but FTP is tested as a copy
  Config.SetDestination(0, Existing);
  Config.SetDestination(1, Missing);
  Config.DestinationDirectory = "SHOP7";
  Config.Username = "";  // the console user's own account
  Config.Password = "pw";
  Config.Port = 2121;
  auto Dialog = Run();
  const std::string Size = SampleSize();
  const std::vector<std::string> Expected = {
    "Transport parameters:",
    "    Service tracks content of C:\\velmora",
    "    transfer mode   - COPY",
    "    destination     - " + Existing,
    "    2nd destination - " + Missing,
    "    for the shop    - SHOP7",
    "    for the user    - ",
    "    with password   - pw",
    "",
    "Check destination " + Existing + ":",
    "    Connecting...     Ok.",
    "",
    "Checking destination directory on " + Existing + ":",
    "    Check existence of directory SHOP7...     Ok.",
    "",
    "Checking file transfer to " + Existing + ": ",
    "    Transferring " + Size + " bytes...     Ok.",
    "",
    "Check destination " + Missing + ":",
    "    Connecting...     Ok.",
    "",
    "Checking destination directory on " + Missing + ":",
    "    Check existence of directory SHOP7...     Ok.",
    "",
    "Checking file transfer to " + Missing + ": ",
    "    Transferring " + Size + " bytes...     Ok.",
  };
  EXPECT_EQ(Lines(*Dialog), Expected);
  EXPECT_EQ(Kinds(*Dialog), KindsOf(Expected, {0, 9, 12, 15, 18, 21, 24}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: " + Missing + ": no errors found");
  EXPECT_EQ(FileNamesIn(Existing + "\\SHOP7"), std::vector<std::string>{});
  EXPECT_TRUE(DirectoryExists(Missing + "\\SHOP7"));
  EXPECT_EQ(FileNamesIn(Missing + "\\SHOP7"), std::vector<std::string>{});
  EXPECT_FALSE(Dialog->DestinationOpen());

  // A destination that is a file: neither the folder nor the copy can be made.
  const std::string File = Out.Path() + "\\a-file";
  WriteTextFile(File, "x");
  Config.SetDestination(0, File);
  Config.SetDestination(1, "");
  Config.Username = ".\\localsystem";  // no logon at all
  Dialog->BtnTestClick();
  const std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_GE(Report.size(), 17u);
  EXPECT_EQ(Report[8], "Check destination " + File + ":");
  EXPECT_EQ(Report[9], "    Connecting...     Ok.");
  EXPECT_EQ(Report[12], "    Check existence of directory SHOP7...");
  EXPECT_EQ(Report[13].rfind("    Création de dossier impossible: " + File + "\\SHOP7 : ", 0), 0u) << Report[13];
  EXPECT_EQ(Report[16], "    Transferring " + Size + " bytes...");
  EXPECT_EQ(Report[17].rfind("    System Error.  Code: ", 0), 0u) << Report[17];
  const std::vector<TKind> Seen = Kinds(*Dialog);
  EXPECT_EQ(Seen[13], Error);
  EXPECT_EQ(Seen[17], Error);
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: " + File + ": ERRORS FOUND");
}

// Wine's LogonUserA gives a token that cannot be impersonated: the logon step
// fails there, which shows a failing connection of a copy destination.
TEST_F(ConnectivityTest, CopyAccountThatCannotBeTakenOnSkipsItsDestination) {
  TScratchDir Out("conntest_account");
  Config.Transport = tkCopy;
  Config.SetDestination(0, Out.Path());
  Config.DestinationDirectory = "SHOP8";
  Config.Username = "MAGASIN\\operateur";
  Config.Password = "pw";
  auto Dialog = Run();
  const std::vector<std::string> Report = Lines(*Dialog);
  ASSERT_EQ(Report.size(), 11u);
  EXPECT_EQ(Report[5], "    for the user    - MAGASIN\\operateur");
  EXPECT_EQ(Report[9], "    Connecting...");
  const bool LogonRefused = Report[10].rfind("    Failed to login as user MAGASIN\\operateur: ", 0) == 0;
  const bool ImpersonationRefused = Report[10].rfind("    Failed to impersonate user MAGASIN\\operateur : ", 0) == 0;
  EXPECT_TRUE(LogonRefused || ImpersonationRefused) << Report[10];
  EXPECT_EQ(Kinds(*Dialog), KindsOf(Report, {0, 8}, {10}));
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: " + Out.Path() + ": ERRORS FOUND");
  EXPECT_FALSE(DirectoryExists(Out.Path() + "\\SHOP8"));
  // The sample was made before the logon, by the console user.
  EXPECT_TRUE(FileExists(Here.Path() + "\\smaple.dat"));
  // No impersonation is left on the thread.
  HANDLE Token = nullptr;
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &Token));
  EXPECT_FALSE(Dialog->DestinationOpen());
}

TEST_F(ConnectivityTest, NoDestinationOrNoConfiguration) {
  Config.Transport = tkCopy;
  auto Dialog = Run();
  EXPECT_EQ(Lines(*Dialog).size(), 7u);
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: no errors found");
  EXPECT_TRUE(Usable(*Dialog, "BtnTest"));

  Dialog->SetConfig(nullptr);
  try {
    Dialog->BtnTestClick();
    ADD_FAILURE() << "no error";
  } catch (const Exception& Error) {
    EXPECT_EQ(Error.Message(), "Transport Service configuration udefined");
  }
}

// The test starts by itself once the dialog is shown; a close that arrives
// while it runs is refused, and Back ends the dialog after it.
TEST_F(ConnectivityTest, StartsByItselfAndCannotBeClosedWhileRunning) {
  UseFtp("ctmodal");
  auto Dialog = NewForm<TConnectionTestDlg>(nullptr);
  Dialog->SetConfig(&Config);
  bool ClosePosted = false, BackPosted = false, DisabledWhileRunning = true;
  TConnectionTestDlg& Watched = *Dialog;
  TThreadTicker Ticker(5, [&] {
    if (Watched.InProgress()) {
      DisabledWhileRunning = DisabledWhileRunning && !Watched.Find<TControl>("BtnBack").Enabled();
      if (!ClosePosted) { PostMessageA(Watched.Handle(), WM_CLOSE, 0, 0); }
      ClosePosted = true;
    } else if (ClosePosted && !BackPosted) {
      PostMessageA(Watched.Find<TControl>("BtnBack").Handle(), BM_CLICK, 0, 0);
      BackPosted = true;
    }
  });
  TWatchdog Watchdog;
  const TModalResult Result = Dialog->ShowModal();
  Watchdog.Stop();
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_TRUE(ClosePosted);
  EXPECT_TRUE(DisabledWhileRunning);
  EXPECT_EQ(Result, mrNo);
  EXPECT_EQ(Lines(*Dialog).back(), "    Transferring " + SampleSize() + " bytes...     Ok.");
}

// A finished report with one destination passed and one failed, for a person to look at.
TEST_F(ConnectivityTest, ScreenshotOfAFinishedReport) {
  UseFtp("ctshot");
  Config.SetDestination(1, "127.0.0.2");
  auto Dialog = Run();
  EXPECT_EQ(Dialog->Caption(), "Connectivity test: 127.0.0.2: ERRORS FOUND");
  // Sized by the operator so that the whole report shows.
  SetWindowPos(Dialog->Handle(), nullptr, 0, 0, 640, 600, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(Dialog->Find<TControl>("ReResult").Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_TRUE(SaveWindowPng(Dialog->Handle(), ScreenshotPath("connection-test.png")));
}

}  // namespace
