// The console's main window in this process, on the test display: command
// line, settings file, state polling against Wine's service control manager
// (a remote one through the OpenServiceManagerHook seam) and the change of PC.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "console/norvask_cfgmain.h"
#include "console/selectpc.h"
#include "console/servicemanager.h"
#include "console/svcctrl.h"
#include "rtl/exceptions.h"
#include "shared/commonhelpers.h"
#include "support/appdiroverride.h"
#include "support/localservice.h"
#include "support/recordedboxes.h"
#include "support/scratchdir.h"
#include "support/statisticslabels.h"
#include "tests/console/guitest.h"

namespace {

const char PcDialogCaption[] = "Commuté pour un autre PC";

// The main window with what a test needs to reach behind its public members.
class TTestMainWnd : public TMainWnd {
public:
  void UseService(const std::string& Name) { FServiceName = Name; }
  // Puts Handle in place of the service handle the window holds.
  void ReplaceService(TServiceHandle Handle) { FService = std::move(Handle); }
  bool TimerOn() const { return TmrMain.Enabled(); }
  // The command line read again as if the program had been started with Args.
  void Reparse(const std::vector<std::string>& Args) {
    std::vector<char*> Argv{const_cast<char*>("norvask_cfg.exe")};
    for (const std::string& Arg : Args) { Argv.push_back(const_cast<char*>(Arg.c_str())); }
    Argv.push_back(nullptr);
    const int OldArgc = __argc;
    char** OldArgv = __argv;
    __argc = static_cast<int>(Argv.size() - 1);
    __argv = Argv.data();
    FAutoConfig = false;
    FTimeOverride = 0;
    ParseCommandLine();
    __argc = OldArgc;
    __argv = OldArgv;
  }
};

// A service of Wine's own whose state can be read; empty when there is none.
std::string InstalledService() {
  for (const char* Name : {"RpcSs", "PlugPlay", "Spooler", "EventLog", "MountMgr", "Winmgmt"}) {
    if (ServiceState(Name) != 0) { return Name; }
  }
  return {};
}

bool ServiceInstalled(const char* Name) { return OpenLocalService(Name, SERVICE_QUERY_STATUS, GENERIC_READ).Valid(); }

// Settings go to a scratch folder standing for the program's folder; the
// command line is the program's name alone unless a test says otherwise.
class MainWindow : public ::testing::Test {
protected:
  void SetUp() override {
    OldArgc = __argc;
    OldArgv = __argv;
    SetArguments({});
  }
  void TearDown() override {
    OpenServiceManagerHook = nullptr;
    __argc = OldArgc;
    __argv = OldArgv;
  }
  void SetArguments(const std::vector<std::string>& Args) {
    Arguments = Args;
    Argv.assign(1, const_cast<char*>("norvask_cfg.exe"));
    for (std::string& Arg : Arguments) { Argv.push_back(Arg.data()); }
    Argv.push_back(nullptr);
    __argc = static_cast<int>(Argv.size() - 1);
    __argv = Argv.data();
  }
  static TFormPtr<TTestMainWnd> Open() { return NewForm<TTestMainWnd>(); }
  // The remote PC "OTHERPC" stands for Wine's own service control manager.
  void OtherPcIsThisOne() {
    OpenServiceManagerHook = [this](const std::string& Machine, DWORD Access) {
      Machines.push_back(Machine);
      return OpenSCManagerA(nullptr, nullptr, Access);
    };
  }
  std::string Label(TForm& Window, const char* Name) { return Window.Find<TLabel>(Name).Caption(); }
  bool Enabled(TForm& Window, const char* Name) { return Window.Find<TButton>(Name).Enabled(); }

  TScratchDir Dir{"mainwnd"};
  TAppDirOverride ProgramFolder{Dir.Path()};
  std::string Settings = Dir.Path() + "\\norvask_cfg.ini";
  TRecordedBoxes Boxes;
  std::vector<std::string> Machines;

private:
  int OldArgc = 0;
  char** OldArgv = nullptr;
  std::vector<std::string> Arguments;
  std::vector<char*> Argv;
};

// ---- Command line ---------------------------------------------------------------

TEST_F(MainWindow, CommandLineSwitches) {
  SetArguments({"-Config", "/TIME:120"});
  auto Window = Open();
  EXPECT_TRUE(Window->AutoConfig());
  EXPECT_EQ(Window->TimeOverride(), 120);

  const struct {
    std::vector<std::string> Args;
    bool AutoConfig;
    int32_t TimeOverride;
  } Cases[] = {
      {{}, false, 0},
      {{"/CONFIG"}, true, 0},
      {{"-config"}, true, 0},
      {{"/CoNfIg"}, true, 0},
      {{"/configX"}, false, 0},
      {{"config"}, false, 0},
      {{"CONFIG"}, false, 0},
      {{"/"}, false, 0},
      {{"-"}, false, 0},
      {{"/TIME:30"}, false, 30},
      {{"-time:30"}, false, 30},
      {{"/TIME:"}, false, 60},
      {{"/TIME:abc"}, false, 60},
      {{"/TIME:0"}, false, 0},
      {{"/TIME:-5"}, false, -5},
      {{"TIME:30"}, false, 0},
      {{"/TIME:30", "/TIME:45"}, false, 45},
      {{"/TIME:30", "/TIME:x"}, false, 60},
      {{"/TIME:30", "-CONFIG", "/bogus"}, true, 30},
  };
  for (const auto& Case : Cases) {
    std::string Shown;
    for (const std::string& Arg : Case.Args) { Shown += "[" + Arg + "]"; }
    SCOPED_TRACE(Shown);
    Window->Reparse(Case.Args);
    EXPECT_EQ(Window->AutoConfig(), Case.AutoConfig);
    EXPECT_EQ(Window->TimeOverride(), Case.TimeOverride);
  }
}

// ---- Settings file ---------------------------------------------------------------

TEST_F(MainWindow, NoSettingsFileMeansThisPc) {
  auto Window = Open();
  EXPECT_EQ(Window->Caption(), "Envoi des fichiers");
  EXPECT_EQ(Label(*Window, "LabPc"), "Contrôler Service de Transport sur ");
  EXPECT_EQ(Window->Find<TButton>("BtnPC").Text(), "Sur un autre PC");
  EXPECT_EQ(Window->RemotePc(), "");
  EXPECT_EQ(Label(*Window, "StPcDisplayName"), "cet PC");
  EXPECT_EQ(Window->GetPcDisplayName(), "cet PC");
  EXPECT_EQ(Window->GetPipePrefix(), "\\\\.\\pipe\\");
  EXPECT_FALSE(Window->AutoConfig());
  EXPECT_EQ(Window->TimeOverride(), 0);
  EXPECT_NE(GetFileAttributesA(Settings.c_str()), INVALID_FILE_ATTRIBUTES) << "no settings file after start-up";
  Window.reset();
  EXPECT_EQ(ReadLines(Settings), (std::vector<std::string>{"[General]", "RemotePC=", ""}));
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(MainWindow, RemotePcOfTheSettingsIsWatched) {
  WriteTextFile(Settings, "[General]\r\nRemotePC=OTHERPC\r\n");
  std::vector<DWORD> Accesses;
  OpenServiceManagerHook = [&](const std::string& Machine, DWORD Access) -> SC_HANDLE {
    Machines.push_back(Machine);
    Accesses.push_back(Access);
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return nullptr;
  };
  auto Window = Open();
  EXPECT_EQ(Window->RemotePc(), "OTHERPC");
  EXPECT_EQ(Label(*Window, "StPcDisplayName"), "OTHERPC");
  EXPECT_EQ(Window->GetPipePrefix(), "\\\\OTHERPC\\pipe\\");

  Window->PollService();
  Window->UpdateButtons();
  EXPECT_EQ(Machines, (std::vector<std::string>{"OTHERPC"}));
  EXPECT_EQ(Accesses, (std::vector<DWORD>{GENERIC_READ}));
  EXPECT_EQ(Window->StatusText(),
            "Service Control Manager erreur sur OTHERPC: " + SysErrorMessage(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_FALSE(Window->IsServiceOpen());
  EXPECT_EQ(Window->State(), 0u);
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStart"));
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStop"));
  EXPECT_FALSE(Enabled(*Window, "BtnConfigure"));
  EXPECT_TRUE(Enabled(*Window, "BtnPC"));
  EXPECT_TRUE(Enabled(*Window, "BtnClose"));
  // Tried again on every tick.
  Window->PollService();
  EXPECT_EQ(Machines.size(), 2u);
}

TEST_F(MainWindow, UnwritableSettingsFileStillLetsTheCommandLineBeRead) {
  WriteTextFile(Settings, "[General]\r\nRemotePC=OTHERPC\r\n");
  TWriteRefused Hold(Settings);
  ASSERT_TRUE(Hold.Held());
  ASSERT_FALSE(Writable(Settings));
  SetArguments({"/TIME:30", "/config"});
  {
    auto Window = Open();
    EXPECT_EQ(Window->RemotePc(), "OTHERPC");
    EXPECT_EQ(Window->TimeOverride(), 30);
    EXPECT_TRUE(Window->AutoConfig());
    EXPECT_EQ(Window->Caption(), "Envoi des fichiers");
    Window->SetRemotePc("NEWPC");
  }
  // Neither start-up nor the refused save at the end shows anything.
  EXPECT_TRUE(Boxes.empty());
  EXPECT_EQ(ReadTextFile(Settings), "[General]\r\nRemotePC=OTHERPC\r\n");
}

TEST_F(MainWindow, DestroySavesTheRemotePcAndKeepsTheRestOfTheFile) {
  WriteTextFile(Settings, "[General]\r\nRemotePC=OTHERPC\r\n\r\n[Fenetre]\r\nLargeur=700\r\n");
  auto Window = Open();
  Window->SetRemotePc("NEWPC");
  EXPECT_EQ(Label(*Window, "StPcDisplayName"), "NEWPC");
  EXPECT_EQ(Window->GetPipePrefix(), "\\\\NEWPC\\pipe\\");
  Window.reset();
  EXPECT_EQ(ReadLines(Settings),
            (std::vector<std::string>{"[General]", "RemotePC=NEWPC", "", "[Fenetre]", "Largeur=700", ""}));
}

// ---- State polling against Wine's service control manager ---------------------------

TEST_F(MainWindow, MissingServiceIsReported) {
  if (ServiceInstalled("TransportSvc")) { GTEST_SKIP() << "TransportSvc is installed in this prefix"; }
  auto Window = Open();
  Window->PollService();
  Window->UpdateButtons();
  EXPECT_EQ(Window->StatusText(),
            "accès au service est absent sur cet PC: " + SysErrorMessage(ERROR_SERVICE_DOES_NOT_EXIST));
  EXPECT_FALSE(Window->IsServiceOpen());
  EXPECT_EQ(Window->State(), 0u);
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStart"));
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStop"));
  EXPECT_FALSE(Enabled(*Window, "BtnConfigure"));
}

TEST_F(MainWindow, FailedStatusQueryClosesTheHandlesAndTheNextTickOpensThem) {
  const std::string Name = InstalledService();
  if (Name.empty()) { GTEST_SKIP() << "no readable service of Wine's own in this prefix"; }
  auto Window = Open();
  Window->UseService(Name);
  Window->PollService();
  Window->UpdateButtons();
  ASSERT_TRUE(Window->IsServiceOpen());
  const uint32_t State = Window->State();
  EXPECT_NE(State, 0u);
  EXPECT_EQ(Window->StatusText(), ServiceStateText(State));
  EXPECT_EQ(Enabled(*Window, "BtnSrvStart"), State != SERVICE_RUNNING);
  EXPECT_EQ(Enabled(*Window, "BtnSrvStop"), State == SERVICE_RUNNING);
  EXPECT_EQ(Enabled(*Window, "BtnConfigure"), State == SERVICE_RUNNING);

  // A handle that may not read the state makes the query fail.
  TLocalService Blind = OpenLocalService(Name, SERVICE_QUERY_CONFIG);
  ASSERT_NE(Blind.Manager.Get(), nullptr);
  ASSERT_NE(Blind.Get(), nullptr);
  SERVICE_STATUS Status{};
  if (QueryServiceStatus(Blind.Get(), &Status)) {
    GTEST_SKIP() << "Wine answers a status query without SERVICE_QUERY_STATUS";
  }
  const DWORD Refused = GetLastError();
  Window->ReplaceService(std::move(Blind.Service));
  Window->PollService();
  Window->UpdateButtons();
  EXPECT_FALSE(Window->IsServiceOpen());
  EXPECT_EQ(Window->State(), 0u);
  EXPECT_EQ(Window->StatusText(), "accès au service est absent sur cet PC: " + SysErrorMessage(Refused));
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStart"));
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStop"));
  EXPECT_FALSE(Enabled(*Window, "BtnConfigure"));

  Window->PollService();
  EXPECT_TRUE(Window->IsServiceOpen());
  EXPECT_EQ(Window->State(), State);
  EXPECT_EQ(Window->StatusText(), ServiceStateText(State));
}

// ---- Change of PC --------------------------------------------------------------------

class PcChange : public MainWindow {
protected:
  // A window watching OTHERPC, its handles open, its labels filled, busy.
  TFormPtr<TTestMainWnd> OpenFilled() {
    WriteTextFile(Settings, "[General]\r\nRemotePC=OTHERPC\r\n");
    OtherPcIsThisOne();
    auto Window = Open();
    Window->UseService(Service);
    Window->PollService();
    Window->UpdateButtons();
    EXPECT_TRUE(Window->IsServiceOpen());
    for (const char* Name : StatisticsLabels) { Window->Find<TLabel>(Name).SetCaption("valeur"); }
    Window->SetBusy(true);
    return Window;
  }
  // BtnPcClick with the dialog answered: Name typed, then Button pressed.
  void ChangePc(TTestMainWnd& Window, const std::string& Name, const char* Button) {
    TWatchdog Watchdog;
    TModalDriver Drive(PcDialogCaption, [&](HWND Shown) {
      auto* Dialog = dynamic_cast<TSelectPcDlg*>(TForm::FromHandle(Shown));
      if (!Dialog) { return false; }
      ShownName = Dialog->PcName();
      TimerOnWhileOpen = Window.TimerOn();
      Dialog->SetPcName(Name);
      PostMessageA(Dialog->Find<TButton>(Button).Handle(), BM_CLICK, 0, 0);
      return true;
    });
    Window.BtnPcClick();
    Watchdog.Stop();
    EXPECT_TRUE(Drive.Acted()) << "the PC dialog was not seen";
    EXPECT_FALSE(Drive.GaveUp()) << Button << " did not close the PC dialog";
    EXPECT_FALSE(Watchdog.Fired());
  }
  void SetUp() override {
    MainWindow::SetUp();
    Service = InstalledService();
    if (Service.empty()) { GTEST_SKIP() << "no readable service of Wine's own in this prefix"; }
  }

  std::string Service;
  std::string ShownName;
  bool TimerOnWhileOpen = true;
};

TEST_F(PcChange, CancelLeavesEverythingAsItWas) {
  auto Window = OpenFilled();
  ChangePc(*Window, "ZZZ", "BtnCancel");
  EXPECT_EQ(ShownName, "OTHERPC");
  EXPECT_FALSE(TimerOnWhileOpen);
  EXPECT_TRUE(Window->TimerOn());
  EXPECT_EQ(Window->RemotePc(), "OTHERPC");
  EXPECT_EQ(Label(*Window, "StPcDisplayName"), "OTHERPC");
  EXPECT_TRUE(Window->IsServiceOpen());
  EXPECT_TRUE(Window->Busy());
  for (const char* Name : StatisticsLabels) { EXPECT_EQ(Label(*Window, Name), "valeur") << Name; }
}

TEST_F(PcChange, OkWithAnEmptyNameSelectsThisPcAndClearsTheValues) {
  auto Window = OpenFilled();
  ChangePc(*Window, "", "BtnOK");
  EXPECT_EQ(ShownName, "OTHERPC");
  EXPECT_FALSE(TimerOnWhileOpen);
  EXPECT_TRUE(Window->TimerOn());
  EXPECT_EQ(Window->RemotePc(), "");
  EXPECT_EQ(Label(*Window, "StPcDisplayName"), "cet PC");
  EXPECT_EQ(Window->GetPipePrefix(), "\\\\.\\pipe\\");
  EXPECT_FALSE(Window->IsServiceOpen());
  EXPECT_EQ(Window->State(), 0u);
  EXPECT_FALSE(Window->Busy());
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStart"));
  EXPECT_FALSE(Enabled(*Window, "BtnSrvStop"));
  EXPECT_FALSE(Enabled(*Window, "BtnConfigure"));
  for (const char* Name : StatisticsLabels) { EXPECT_EQ(Label(*Window, Name), "") << Name; }
  // The new PC reaches the settings file when the window goes.
  EXPECT_EQ(ReadTextFile(Settings), "[General]\r\nRemotePC=OTHERPC\r\n\r\n");
  Window.reset();
  EXPECT_EQ(ReadLines(Settings), (std::vector<std::string>{"[General]", "RemotePC=", ""}));
  EXPECT_TRUE(Boxes.empty());
}

}  // namespace
