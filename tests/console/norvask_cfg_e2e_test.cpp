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
#include "support/winprobe.h"

namespace {

constexpr DWORD ServiceWaitMs = 60000;
// A Wine program's first window can take a while under emulation.
constexpr DWORD WindowWaitMs = 240000;
const char MainCaption[] = "Envoi des fichiers";

bool WaitFor(const std::function<bool()>& Condition, DWORD Ms) {
  for (DWORD Waited = 0; Waited < Ms; Waited += 200) {
    if (Condition()) { return true; }
    Sleep(200);
  }
  return Condition();
}

DWORD RunProgram(const std::string& CommandLine) {
  TStartedProgram Program = StartProgram(CommandLine, "");
  if (!Program.Process) { return ~0u; }
  WaitForSingleObject(Program.Process, 60000);
  DWORD Code = ~0u;
  GetExitCodeProcess(Program.Process, &Code);
  EndProgram(Program, 0);
  return Code;
}

// The transport service's state, 0 when it is not installed.
DWORD ServiceState() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = Manager ? OpenServiceA(Manager, "TransportSvc", SERVICE_QUERY_STATUS) : nullptr;
  SERVICE_STATUS Status{};
  const bool Known = Service && QueryServiceStatus(Service, &Status);
  if (Service) { CloseServiceHandle(Service); }
  if (Manager) { CloseServiceHandle(Manager); }
  return Known ? Status.dwCurrentState : 0;
}

bool StartService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_START);
  const bool Started = Service && StartServiceA(Service, 0, nullptr);
  if (Service) { CloseServiceHandle(Service); }
  CloseServiceHandle(Manager);
  return Started && WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs);
}

bool StopService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_STOP);
  SERVICE_STATUS Status;
  if (Service) {
    ControlService(Service, SERVICE_CONTROL_STOP, &Status);
    CloseServiceHandle(Service);
  }
  CloseServiceHandle(Manager);
  return WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, ServiceWaitMs);
}

// A registration left by another run would point at another folder.
void RemoveLeftoverService() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  if (SC_HANDLE Old = OpenServiceA(Manager, "TransportSvc", SERVICE_ALL_ACCESS)) {
    StopService();
    DeleteService(Old);
    CloseServiceHandle(Old);
  }
  CloseServiceHandle(Manager);
}

std::string LogonAccount() {
  SC_HANDLE Manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  SC_HANDLE Service = OpenServiceA(Manager, "TransportSvc", SERVICE_QUERY_CONFIG);
  std::string Account;
  std::vector<char> Buffer(8192);
  auto* Config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(Buffer.data());
  DWORD Needed = 0;
  if (QueryServiceConfigA(Service, Config, static_cast<DWORD>(Buffer.size()), &Needed) && Config->lpServiceStartName) {
    Account = Config->lpServiceStartName;
  }
  CloseServiceHandle(Service);
  CloseServiceHandle(Manager);
  return Account;
}

std::string ScreenshotPath(const std::string& Name) {
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  const std::string Folder = ExtractFileDir(ExtractFileDir(ExtractFileDir(Self))) + "\\screenshots";
  ForceDirectories(Folder);
  return Folder + "\\" + Name;
}

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
                  "Username=chain\r\nPassword=secret\r\n");
    RemoveLeftoverService();
    Install();
    StartService();
    Console = StartProgram("\"" + ConsoleDir + "\\norvask_cfg.exe\" /TIME:120 -config", ConsoleDir);
    Main = WaitForTopWindow(MainCaption, WindowWaitMs, Console.ProcessId);
  }
  static void TearDownTestSuite() {
    if (Console.Process) { EndProgram(Console, 20000); }
    if (ServiceState() == SERVICE_RUNNING) { StopService(); }
    RunProgram("\"" + ServiceDir + "\\norvask.exe\" UNINSTALL SILENT");
    delete Dir;
  }
  static void Install() { RunProgram("\"" + ServiceDir + "\\norvask.exe\" INSTALL SILENT"); }

  void SetUp() override { ASSERT_NE(Main, nullptr) << "the console's main window did not show"; }

  static HWND Control(const std::string& Name) { return FindControl(Main, Name); }
  // What the buttons show for a service that runs, is stopped, or is missing.
  // (The status bar's texts are checked by the in-process window tests: reading
  // another process's status bar needs memory in it, which Wine under an i386
  // emulator cannot read back.)
  static bool ButtonsShowRunning() {
    return WaitFor([] { return !IsEnabled(Control("BtnSrvStart")) && IsEnabled(Control("BtnSrvStop")) &&
                               IsEnabled(Control("BtnConfigure")); }, ServiceWaitMs);
  }
  static bool ButtonsShowStopped() {
    return WaitFor([] { return IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")); }, ServiceWaitMs);
  }
  static bool ButtonsShowMissing() {
    return WaitFor([] { return !IsEnabled(Control("BtnSrvStart")) && !IsEnabled(Control("BtnSrvStop")) &&
                               !IsEnabled(Control("BtnConfigure")); }, ServiceWaitMs);
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
  EXPECT_NE(Ini.find("Username=chain"), std::string::npos) << Ini;
  EXPECT_NE(ReadTextFile(ConsoleDir + "\\norvask_local.ini").find("TimeBetweenActions=120"), std::string::npos);
}

TEST_F(ConsoleEndToEnd, RunningServiceShowsItsStateLedAndButtons) {
  ASSERT_TRUE(ButtonsShowRunning());
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
  ASSERT_TRUE(ButtonsShowStopped());
  EXPECT_TRUE(SaveWindowPng(Main, ScreenshotPath("console-main-stopped.png")));
  EXPECT_FALSE(LedOn(1));

  Click(Control("BtnSrvStart"));
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_RUNNING; }, ServiceWaitMs));
  ASSERT_TRUE(ButtonsShowRunning());
  EXPECT_TRUE(WaitFor([] { return LedOn(1); }, 5000));
}

// A service removed and installed again is seen again on its own: the
// console drops handles whose query failed and opens new ones.
TEST_F(ConsoleEndToEnd, MissingServiceIsReportedAndAReinstalledOneIsSeenAgain) {
  ASSERT_TRUE(StopService());
  RunProgram("\"" + ServiceDir + "\\norvask.exe\" UNINSTALL SILENT");
  ASSERT_TRUE(ButtonsShowMissing());

  Install();
  ASSERT_TRUE(ButtonsShowStopped());
  ASSERT_TRUE(StartService());
  EXPECT_TRUE(ButtonsShowRunning());
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

  Click(Control("BtnClose"));
  ASSERT_EQ(WaitForSingleObject(Console.Process, 60000), WAIT_OBJECT_0);
  EXPECT_NE(ReadTextFile(ConsoleDir + "\\norvask_cfg.ini").find("RemotePC=NOSUCHPC"), std::string::npos);
}
