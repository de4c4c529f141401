// norvask_cfg.exe and the real norvask.exe meeting over the service's pipes:
// the statistics filled live, a configuration edited in the dialog that the
// service then runs on, and the configurations and services the console must
// refuse or leave alone, each with its message.
#include <algorithm>
#include <string>

#include "rtl/exceptions.h"
#include "tests/console/e2e_harness.h"

namespace {

const char DialogCaption[] = "Configuration du service";
const char UpdatedByClient[] = "Service configuration file updated by client";
const char NotRestartedNote[] = "Configuration non envoyée: le service n'a pas été redémarré";

// The digits of a counter, without the user's separators.
long long CounterValue(const std::string& Text) {
  std::string Digits;
  for (char C : Text) {
    if (C >= '0' && C <= '9') { Digits += C; }
  }
  return Digits.empty() ? -1 : std::stoll(Digits);
}

bool Contains(const std::string& Text, const std::string& Part) { return Text.find(Part) != std::string::npos; }

// Clicks along the tab row until that page is selected.
bool SelectPage(HWND Tabs, int Index) {
  for (int X = 10; X < 400 && TabIndex(Tabs) != Index; X += 15) {
    PostMessageA(Tabs, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, 10));
    PostMessageA(Tabs, WM_LBUTTONUP, 0, MAKELPARAM(X, 10));
    WaitFor([&] { return TabIndex(Tabs) == Index; }, 400);
  }
  return TabIndex(Tabs) == Index;
}

// A shop folder with one counting file of that name.
void MakeShop(const std::string& Folder, const std::string& FileName) {
  ForceDirectories(Folder + "\\comptage");
  WriteTextFile(Folder + "\\comptage\\" + FileName, "count 12\r\n");
}

class ConsoleMeetsService : public ConsoleEndToEndBase {
protected:
  // The console comes first with "/CONFIG", the service is installed but
  // stopped: the dialog must wait for the service to run.
  static void SetUpTestSuite() {
    SetUpService("norvask_cfg_roundtrip",
                 "[General]\r\nLogDetailed=1\r\nTimeBetweenActions=3600\r\n[Transport]\r\nTransport=COPY\r\n"
                 "DestinationDirectory=shop0001\r\n");
    Service->Stop();
    const std::string Ini = ReadTextFile(ServiceDir + "\\norvask.ini");
    WriteTextFile(ServiceDir + "\\norvask.ini", Ini + "Destination0=" + ServiceDir + "\\out\r\n");
    MakeShop(ServiceDir + "\\shop", "first.scb");
    ForceDirectories(ServiceDir + "\\out");
    StartConsole("/TIME:120 /CONFIG");
  }
  static std::string Label(const char* Name) { return WindowText(Control(Name)); }
  static std::string ServiceIni() { return ReadTextFile(ServiceDir + "\\norvask.ini"); }
  static std::string ServiceLog() { return ReadTextFile(ServiceDir + "\\norvask.log"); }
  // Presses Configure and waits for what it shows: the dialog, or a message box.
  static HWND OpenDialog() {
    Click(Control("BtnConfigure"));
    return WaitForTopWindow(DialogCaption, WindowWaitMs, Console.ProcessId);
  }
  // The message of the box the console shows now, answered with OK.
  static std::string AnswerBox() {
    HWND Box = WaitForMessageBox(Console.ProcessId, ServiceWaitMs);
    if (!Box) { return "(no message box)"; }
    const std::string Text = MessageBoxText(Box);
    AnswerMessageBox(Box, IDOK);
    // Gone once the console's handler goes on past it.
    WaitFor([Box] { return !IsWindow(Box); }, ServiceWaitMs);
    return Text;
  }
  // The service still runs as the same process once the console polls it again
  // after the click (a restart would hold the console's window until the new
  // process ran): not restarted.
  static void ExpectNotRestarted(DWORD ProcessId) {
    const long long Requests = CounterValue(Label("LabReqVal"));
    EXPECT_TRUE(WaitFor([&] { return CounterValue(Label("LabReqVal")) > Requests; }, ServiceWaitMs))
        << "the console did not poll again";
    const SERVICE_STATUS_PROCESS Now = ServiceStatus();
    EXPECT_EQ(Now.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(Now.dwProcessId, ProcessId) << "the service was restarted";
  }
};

}  // namespace

// "/CONFIG" waits for a running service, then the edit made in the dialog and
// the "/TIME:120" override reach the service's file, the service is started
// again on it and works with the new values.
TEST_F(ConsoleMeetsService, ConfigSwitchEditReachesTheServiceWhichRunsOnIt) {
  ASSERT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(WaitForTopWindow(DialogCaption, 3000, Console.ProcessId), nullptr) << "a dialog for a stopped service";
  ASSERT_TRUE(Service->Start());
  const DWORD FirstProcess = ServiceStatus().dwProcessId;
  HWND Dialog = WaitForTopWindow(DialogCaption, WindowWaitMs, Console.ProcessId);
  ASSERT_NE(Dialog, nullptr);
  EXPECT_EQ(WindowText(FindControl(Dialog, "SeFreq")), "3600");

  MakeShop(ServiceDir + "\\shop2", "second.scb");
  SetEditText(FindControl(Dialog, "EdVelmoraDir"), ServiceDir + "\\shop2");
  Click(FindControl(Dialog, "BtnOK"));
  // The log line, not the file itself, tells when the file has come: the
  // service replaces it by a rename, which fails while a reader holds it open.
  ASSERT_TRUE(WaitFor([] { return Contains(ServiceLog(), UpdatedByClient); }, ServiceWaitMs)) << ServiceLog();
  EXPECT_TRUE(Contains(ServiceIni(), "shop2")) << ServiceIni();
  EXPECT_TRUE(Contains(ServiceIni(), "TimeBetweenActions=120")) << ServiceIni();
  ASSERT_TRUE(WaitFor([&] {
    const SERVICE_STATUS_PROCESS Status = ServiceStatus();
    return Status.dwCurrentState == SERVICE_RUNNING && Status.dwProcessId != FirstProcess;
  }, ServiceWaitMs)) << "the service was not restarted";
  // In force: the new folder is watched and its file sent, and the next check
  // is at most the overridden 120 s away, not 3600.
  EXPECT_TRUE(WaitFor([] { return Contains(ServiceLog(), "Monitor directory " + ServiceDir + "\\shop2"); },
                      ServiceWaitMs)) << ServiceLog();
  EXPECT_TRUE(WaitFor([] { return Contains(Label("LabLastFileOkVal"), "second.scb"); }, ServiceWaitMs))
      << Label("LabLastFileOkVal") << "\n" << ServiceLog() << "\n" << ServiceIni();
  ASSERT_TRUE(WaitFor([] { return Contains(Label("LabNextFileCheckAtVal"), "(dans "); }, ServiceWaitMs));
  const std::string NextCheck = Label("LabNextFileCheckAtVal");
  const long long Seconds = std::stoll(NextCheck.substr(NextCheck.find("(dans ") + 6));
  EXPECT_LE(Seconds, 120) << NextCheck;
}

// Both pages filled from the running service; the pipe counters grow from
// tick to tick, since every tick is one more connection and request.
TEST_F(ConsoleMeetsService, StatisticsPagesFillAndTheirCountersGrow) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  ASSERT_TRUE(WaitFor([] { return !Label("LabVersionVal").empty(); }, ServiceWaitMs));
  const long long Connections = CounterValue(Label("LabConnsVal"));
  const long long Requests = CounterValue(Label("LabReqVal"));
  EXPECT_GT(Connections, 0);
  EXPECT_TRUE(WaitFor([&] { return CounterValue(Label("LabConnsVal")) > Connections; }, 10000));
  EXPECT_TRUE(WaitFor([&] { return CounterValue(Label("LabReqVal")) > Requests; }, 10000));
  EXPECT_GT(CounterValue(Label("LabReqBytesVal")), 0);
  EXPECT_GT(CounterValue(Label("LabAnsBytesVal")), 0);
  EXPECT_EQ(Label("LabSartedVal").size(), 19u) << Label("LabSartedVal");
  const std::string Version = Label("LabVersionVal");
  EXPECT_EQ(std::count(Version.begin(), Version.end(), '.'), 2) << Version;
  EXPECT_TRUE(WaitFor([] { return Contains(Label("LabLastGroupVal"), "traité sans erreurs - "); }, ServiceWaitMs))
      << Label("LabLastGroupVal");
  EXPECT_FALSE(Label("LabLastFileOkAtVal").empty());
  EXPECT_FALSE(Label("LabLastEvtTextVal").empty());

  HWND Pages = Control("PgcMain");
  ASSERT_TRUE(SelectPage(Pages, 0));
  EXPECT_TRUE(SaveWindowPng(Main, ScreenshotPath("console-files-page-live.png")));
  ASSERT_TRUE(SelectPage(Pages, 1));
  EXPECT_TRUE(SaveWindowPng(Main, ScreenshotPath("console-statistics-page-live.png")));
  ASSERT_TRUE(SelectPage(Pages, 0));
}

// A file the service can send only in part is not edited at all.
TEST_F(ConsoleMeetsService, ConfigurationTooLargeIsNotEdited) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  const DWORD Process = ServiceStatus().dwProcessId;
  const std::string Ini = ServiceIni();
  WriteTextFile(ServiceDir + "\\norvask.ini", Ini + ";" + std::string(17000, 'x') + "\r\n");
  Click(Control("BtnConfigure"));
  EXPECT_EQ(AnswerBox(),
            "The configuration file of the service TransportSvc is larger than 16356 bytes and cannot be edited here");
  EXPECT_EQ(WaitForTopWindow(DialogCaption, 2000, Console.ProcessId), nullptr);
  ExpectNotRestarted(Process);
  WriteTextFile(ServiceDir + "\\norvask.ini", Ini);
}

// The service answers that it kept its old file: a failure, and no restart.
TEST_F(ConsoleMeetsService, FileTheServiceCouldNotReplaceIsAFailedSend) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  const DWORD Process = ServiceStatus().dwProcessId;
  const std::string Ini = ServiceIni();
  // A folder where the service writes its new file first.
  ForceDirectories(ServiceDir + "\\norvask.ini.new");
  HWND Dialog = OpenDialog();
  ASSERT_NE(Dialog, nullptr);
  Click(FindControl(Dialog, "BtnOK"));
  EXPECT_EQ(AnswerBox(), "The service TransportSvc could not replace its configuration file and keeps the old one");
  ExpectNotRestarted(Process);
  EXPECT_EQ(ServiceIni(), Ini);
  RemoveDirectoryA((ServiceDir + "\\norvask.ini.new").c_str());
}

// The dialog's copy outgrew one message: it is not sent, nothing restarts.
TEST_F(ConsoleMeetsService, LocalCopyTooLargeIsNotSent) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  const DWORD Process = ServiceStatus().dwProcessId;
  const std::string Ini = ServiceIni();
  WriteTextFile(ServiceDir + "\\norvask.ini", Ini + "[Notes]\r\nText=" + std::string(15500 - Ini.size(), 'n') + "\r\n");
  const std::string Padded = ServiceIni();
  HWND Dialog = OpenDialog();
  ASSERT_NE(Dialog, nullptr);
  SetEditText(FindControl(Dialog, "EdVelmoraDir"), ServiceDir + "\\" + std::string(900, 'd'));
  Click(FindControl(Dialog, "BtnOK"));
  EXPECT_EQ(AnswerBox(),
            "The configuration " + ConsoleDir + "\\norvask_local.ini is larger than 16356 bytes: it was not sent");
  EXPECT_GT(ReadTextFile(ConsoleDir + "\\norvask_local.ini").size(), 16356u);
  ExpectNotRestarted(Process);
  EXPECT_EQ(ServiceIni(), Padded);
  WriteTextFile(ServiceDir + "\\norvask.ini", Ini);
}

// The service stopped while the dialog was open: the send fails with the
// system's text, and the console does not start the service again.
TEST_F(ConsoleMeetsService, ServiceStoppedDuringTheDialogIsNotStartedAgain) {
  ASSERT_TRUE(ShowsRunning()) << Shown();
  HWND Dialog = OpenDialog();
  ASSERT_NE(Dialog, nullptr);
  ASSERT_TRUE(Service->Stop());
  Click(FindControl(Dialog, "BtnOK"));
  EXPECT_EQ(AnswerBox(), SysErrorMessage(ERROR_FILE_NOT_FOUND));
  // The console is done with the click once it notes that it did not restart.
  EXPECT_TRUE(WaitFor([] { return StateText() == NotRestartedNote; }, ServiceWaitMs)) << Shown();
  EXPECT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_STOPPED)) << "the console started the service";
  EXPECT_TRUE(ShowsStopped()) << ConsoleEndToEndBase::Shown();
  ASSERT_TRUE(Service->Start());
}
