// norvask_cfg.exe itself beside the real norvask.exe under Wine's service
// control manager, driven from outside as an operator would: its window found
// by caption, its labels and status bar read, its buttons pressed, its message
// boxes answered, and screenshots kept for a person to look at.
#include "tests/console/e2e_harness.h"

namespace {

class ConsoleEndToEnd : public ConsoleEndToEndBase {
protected:
  static void SetUpTestSuite() {
    SetUpService("norvask_cfg_e2e",
                 "[General]\r\nLogDetailed=1\r\nTimeBetweenActions=3600\r\n[Transport]\r\nTransport=FTP\r\n"
                 "Username=chain\r\nPassword=secret\r\nDestination0=127.0.0.1\r\nDestinationDirectory=SHOP01\r\n");
    StartConsole("/TIME:120 -config");
  }
};

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
  ASSERT_TRUE(Service->Stop());
  ASSERT_TRUE(CloseConsole());
  ASSERT_TRUE(Service->Uninstall());
  ASSERT_EQ(ServiceState(), 0u);
  StartConsole("");
  ASSERT_NE(Main, nullptr);
  ASSERT_TRUE(ShowsMissing()) << Shown();

  ASSERT_TRUE(Service->Install());
  ASSERT_TRUE(ShowsStopped()) << Shown();
  ASSERT_TRUE(Service->Start());
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
