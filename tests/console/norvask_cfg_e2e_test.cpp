// norvask_cfg.exe itself beside the real norvask.exe under Wine's service
// control manager, driven from outside as an operator would: its window found
// by caption, its labels and status bar read, its buttons pressed, its message
// boxes answered, and screenshots kept for a person to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "rtl/files.h"
#include "support/scratchdir.h"
#include "support/quietfailures.h"
#include "support/runprogram.h"
#include "support/winprobe.h"
#include "tests/console/e2eservice.h"

namespace {

const char MainCaption[] = "Envoi des fichiers";

// One service folder and one console folder for the whole suite: starting a
// Wine program is the slow part, so the steps share one running console.
class ConsoleEndToEnd : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Dir = new TScratchDir("norvask_cfg_e2e");
    ServiceDir = Dir->Path() + "\\service";
    ConsoleDir = Dir->Path() + "\\console";
    ForceDirectories(ServiceDir);
    ForceDirectories(ConsoleDir);
    CopyFileA(std::getenv("NORVASK_EXE"), (ServiceDir + "\\norvask.exe").c_str(), FALSE);
    CopyFileA(std::getenv("NORVASK_CFG_EXE"), (ConsoleDir + "\\norvask_cfg.exe").c_str(), FALSE);
    WriteTextFile(ServiceDir + "\\norvask.ini",
                  "[General]\r\nLogDetailed=1\r\nTimeBetweenActions=3600\r\n[Transport]\r\nTransport=FTP\r\n"
                  "Username=chain\r\nPassword=secret\r\nDestination0=127.0.0.1\r\nDestinationDirectory=SHOP01\r\n");
    RemoveLeftoverService();
    Install();
    StartService();
    StartConsole("/TIME:120 -config");
  }
  static void StartConsole(const std::string& Arguments) {
    Console = StartProgram("\"" + ConsoleDir + "\\norvask_cfg.exe\" " + Arguments, ConsoleDir);
    Main = WaitForTopWindow(MainCaption, WindowWaitMs, Console.ProcessId);
  }
  static bool CloseConsole() {
    Click(Control("BtnClose"));
    return WaitForSingleObject(Console.Process, 60000) == WAIT_OBJECT_0;
  }
  static void TearDownTestSuite() {
    if (Console.Process) { EndProgram(Console, 20000); }
    if (ServiceState() == SERVICE_RUNNING) { StopService(); }
    RunProgram("\"" + ServiceDir + "\\norvask.exe\" UNINSTALL SILENT", ServiceWaitMs);
    delete Dir;
  }
  static void Install() { RunProgram("\"" + ServiceDir + "\\norvask.exe\" INSTALL SILENT", ServiceWaitMs); }

  void SetUp() override { ASSERT_NE(Main, nullptr) << "the console's main window did not show"; }

  static HWND Control(const std::string& Name) { return FindControl(Main, Name); }
  // The state text in the status bar's last panel (right-aligned by tabs).
  static std::string StateText() {
    const std::string Text = StatusPanelText(Control("SbMain"), 4);
    const size_t Start = Text.find_first_not_of('\t');
    return Start == std::string::npos ? std::string() : Text.substr(Start);
  }
  // What the window shows, for a failure's message.
  static std::string Shown() {
    return std::string("start ") + (IsEnabled(Control("BtnSrvStart")) ? "on" : "off") + ", stop " +
           (IsEnabled(Control("BtnSrvStop")) ? "on" : "off") + ", configure " +
           (IsEnabled(Control("BtnConfigure")) ? "on" : "off") + ", state \"" + StateText() + "\"";
  }
  // What the buttons and the state text show for a service that runs, is
  // stopped, or is missing.
  static bool ShowsRunning() {
    return WaitFor([] { return !IsEnabled(Control("BtnSrvStart")) && IsEnabled(Control("BtnSrvStop")) &&
                               IsEnabled(Control("BtnConfigure")) &&
                               StateText() == "Service est en cours d'exécution"; }, ServiceWaitMs);
  }
  static bool ShowsStopped() {
    return WaitFor([] { return IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")) && StateText() == "Service s'est arrêté"; },
                   ServiceWaitMs);
  }
  static bool ShowsMissing() {
    return WaitFor([] { return !IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")) &&
                               StateText().rfind("accès au service est absent sur cet PC: ", 0) == 0; }, ServiceWaitMs);
  }
  // The colour at the middle of a status-bar LED, as the screen shows it.
  static COLORREF LedColour(int Panel) {
    static const int LedLeft[] = {0, 56, 0, 136};  // the panels' left edges
    HWND Bar = Control("SbMain");
    POINT At{LedLeft[Panel] + 6, 0};
    RECT Client;
    GetClientRect(Bar, &Client);
    At.y = (Client.bottom - 13) / 2 + 6;
    ClientToScreen(Bar, &At);
    HDC Screen = GetDC(nullptr);
    const COLORREF Colour = GetPixel(Screen, At.x, At.y);
    ReleaseDC(nullptr, Screen);
    return Colour;
  }
  static bool LedOn(int Panel) { return GetGValue(LedColour(Panel)) > 150 && GetRValue(LedColour(Panel)) < 100; }

  static TScratchDir* Dir;
  static std::string ServiceDir, ConsoleDir;
  static TStartedProgram Console;
  static HWND Main;
};

TScratchDir* ConsoleEndToEnd::Dir = nullptr;
std::string ConsoleEndToEnd::ServiceDir, ConsoleEndToEnd::ConsoleDir;
TStartedProgram ConsoleEndToEnd::Console;
HWND ConsoleEndToEnd::Main = nullptr;

}  // namespace

// "-config" opens the parameters dialog on the first tick that finds the
// service running; OK sends the copy with "/TIME:120" in it and restarts the
// service under the account the copy asks for.
TEST_F(ConsoleEndToEnd, ConfigSwitchOpensTheDialogAndOkRestartsTheServiceWithTheNewFile) {
  HWND Dialog = WaitForTopWindow("Configuration du service", WindowWaitMs, Console.ProcessId);
  ASSERT_NE(Dialog, nullptr);
  EXPECT_TRUE(SaveWindowPng(Dialog, ScreenshotPath("console-parameters-dialog.png")));
  EXPECT_EQ(WindowText(FindControl(Dialog, "SeFreq")), "3600")
      << "local copy: " << ReadTextFile(ConsoleDir + "\\norvask_local.ini") << "\nservice log: "
      << ReadTextFile(ServiceDir + "\\norvask.log") << "\nservice file: " << ReadTextFile(ServiceDir + "\\norvask.ini");
  EXPECT_TRUE(IsShown(FindControl(Dialog, "BtnBrowseDir")));  // this PC
  EXPECT_EQ(LogonAccount(), "LocalSystem");

  Click(FindControl(Dialog, "BtnOK"));
  ASSERT_TRUE(WaitFor([] { return LogonAccount() == ".\\LocalSystem"; }, ServiceWaitMs));
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs));
  // The service's own file was replaced by the copy with the interval override.
  const std::string Ini = ReadTextFile(ServiceDir + "\\norvask.ini");
  EXPECT_NE(Ini.find("TimeBetweenActions=120"), std::string::npos) << Ini;
  EXPECT_NE(Ini.find("Username=CHAIN"), std::string::npos) << Ini;  // an FTP chain is upper-cased
  EXPECT_NE(ReadTextFile(ConsoleDir + "\\norvask_local.ini").find("TimeBetweenActions=120"), std::string::npos);
}

TEST_F(ConsoleEndToEnd, RunningServiceShowsItsStateLedAndButtons) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  EXPECT_TRUE(IsEnabled(Control("BtnClose")));
  EXPECT_EQ(WindowText(Control("StPcDisplayName")), "cet PC");
  EXPECT_EQ(WindowText(Control("BtnSrvStart")), "Démarrer le service");
  EXPECT_EQ(WindowText(Control("LabPc")), "Contrôler Service de Transport sur ");
  EXPECT_EQ(WindowText(Main), "Envoi des fichiers");
  EXPECT_TRUE(SaveWindowPng(Main, ScreenshotPath("console-main-running.png")));
  EXPECT_TRUE(LedOn(1));
  EXPECT_FALSE(LedOn(3));
}

TEST_F(ConsoleEndToEnd, StopAndStartButtonsDriveTheRealService) {
  Click(Control("BtnSrvStop"));
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, ServiceWaitMs));
  ASSERT_TRUE(ShowsStopped()) << Shown();
  EXPECT_TRUE(SaveWindowPng(Main, ScreenshotPath("console-main-stopped.png")));
  EXPECT_FALSE(LedOn(1));

  Click(Control("BtnSrvStart"));
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs));
  ASSERT_TRUE(ShowsRunning()) << Shown();
  EXPECT_TRUE(WaitFor([] { return LedOn(1); }, 5000));
}

// A console started while the service is missing says so, and sees the service
// once it is installed, without being told. (A console that watches a service
// keeps its handle open, and the manager keeps a service that is removed under
// an open handle until that handle closes: so the console starts here after
// the removal.)
TEST_F(ConsoleEndToEnd, MissingServiceIsReportedAndAnInstalledOneIsSeen) {
  ASSERT_TRUE(StopService());
  ASSERT_TRUE(CloseConsole());
  RunProgram("\"" + ServiceDir + "\\norvask.exe\" UNINSTALL SILENT", ServiceWaitMs);
  ASSERT_EQ(ServiceState(), 0u);
  StartConsole("");
  ASSERT_NE(Main, nullptr);
  ASSERT_TRUE(ShowsMissing()) << Shown();

  Install();
  ASSERT_TRUE(ShowsStopped()) << Shown();
  ASSERT_TRUE(StartService());
  EXPECT_TRUE(ShowsRunning()) << Shown();
}

// Another PC by name: the header shows it, and it reaches the settings file
// when the window closes. (Wine's manager opens this PC's whatever the name.)
TEST_F(ConsoleEndToEnd, PcDialogChangesThePcAndTheSettingsFileKeepsIt) {
  EXPECT_TRUE(FileExists(ConsoleDir + "\\norvask_cfg.ini"));
  Click(Control("BtnPC"));
  HWND Dialog = WaitForTopWindow("Commuté pour un autre PC", WindowWaitMs, Console.ProcessId);
  ASSERT_NE(Dialog, nullptr);
  EXPECT_TRUE(SaveWindowPng(Dialog, ScreenshotPath("console-pc-dialog.png")));
  SetEditText(FindControl(Dialog, "EdPc"), "NOSUCHPC");
  Click(FindControl(Dialog, "BtnOK"));
  ASSERT_TRUE(WaitFor([] { return WindowText(Control("StPcDisplayName")) == "NOSUCHPC"; }, 20000));

  ASSERT_TRUE(CloseConsole());
  EXPECT_NE(ReadTextFile(ConsoleDir + "\\norvask_cfg.ini").find("RemotePC=NOSUCHPC"), std::string::npos);
}
