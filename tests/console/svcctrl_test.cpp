// Service control against Wine's real service control manager, with
// the test service of the service tests copied into a folder of its own.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/installedservice.h"
#include "support/localservice.h"
#include "console/svcctrl.h"
#include "rtl/exceptions.h"
#include "shared/transportconfig.h"
#include "rtl/files.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"
#include "support/waitfor.h"

namespace {

// The framework's service alone: odxtestsvc with "bare.service" in its folder.
const char ServiceName[] = "OdxBareSvc";
const char MissingName[] = "OdxNoSuchSvc";
// Programs start slowly under an emulated Wine.
constexpr DWORD ProgramWaitMs = 300000;


// The test service as the service tests build it: tests/service beside tests/console.
std::string TestServiceProgram() {
  return ExtractFileDir(TestProgramFolder()) + "\\service\\odxtestsvc.exe";
}

// What a call raised: the class, the message and, for an OS error, its code.
struct TRaised {
  bool Raised = false;
  bool OSError = false;
  uint32_t Code = 0;
  std::string Message;
};

TRaised Raised(const std::function<void()>& Call) {
  TRaised Result;
  try {
    Call();
  } catch (const EOSError& E) {
    Result = {true, true, E.ErrorCode(), E.Message()};
  } catch (const Exception& E) {
    Result = {true, false, 0, E.Message()};
  }
  return Result;
}

std::string OSErrorText(uint32_t Code) {
  return "System Error.  Code: " + std::to_string(Code) + ".\r\n" + SysErrorMessage(Code);
}

class Stopwatch {
public:
  ULONGLONG Ms() const { return GetTickCount64() - FStart; }
private:
  ULONGLONG FStart = GetTickCount64();
};

// The test service registered under the real service control manager once for all
// tests (a program starts slowly here), and removed at the end. Each test finds it
// stopped, writes its marker files ("slow.start", "slow.stop", "busy.run",
// "refuse.start") into the service's folder before it starts it, and leaves it stopped.
class ServiceControl : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Folder = MakeTestFolder("odxsvcctrl");
    Program = Folder + "\\odxtestsvc.exe";
    CopyFileA(TestServiceProgram().c_str(), Program.c_str(), FALSE);
    WriteTextFile(Folder + "\\bare.service", "");
    Installed = std::make_unique<TInstalledService>(Program, ServiceName, ProgramWaitMs);
  }

  static void TearDownTestSuite() {
    Installed.reset();
    RemoveTree(Folder);
  }

  void SetUp() override {
    ServiceWaitLimitMs = 120000;
    ASSERT_TRUE(FileExists(Program));
    Manager.Reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_NE(Manager.Get(), nullptr);
    Service.Reset(OpenServiceA(Manager.Get(), ServiceName, SERVICE_ALL_ACCESS));
    if (!Service.Valid()) {
      ASSERT_TRUE(Installed->Install());
      Service.Reset(OpenServiceA(Manager.Get(), ServiceName, SERVICE_ALL_ACCESS));
    }
    ASSERT_NE(Service.Get(), nullptr);
    ASSERT_TRUE(WaitForState(SERVICE_STOPPED, 30000)) << "left running by an earlier run";
  }

  void TearDown() override {
    ServiceWaitLimitMs = 120000;
    if (Service.Valid() && State() != SERVICE_STOPPED) {
      SERVICE_STATUS Status;
      ControlService(Service.Get(), SERVICE_CONTROL_STOP, &Status);
      WaitForState(SERVICE_STOPPED, 30000);
    }
    Service.Reset();
    Manager.Reset();
    for (const char* Name : {"slow.start", "slow.stop", "busy.run", "refuse.start", "hooks.txt"}) {
      DeleteFileA((Folder + "\\" + Name).c_str());
    }
  }

  DWORD State() const {
    SERVICE_STATUS Status{};
    QueryServiceStatus(Service.Get(), &Status);
    return Status.dwCurrentState;
  }

  bool WaitForState(DWORD Wanted, DWORD TimeoutMs) const {
    return WaitFor([&] { return State() == Wanted; }, TimeoutMs, 500);
  }

  // Starts the service with the test's own calls, not the routine under test.
  static void StartDirectly() { ASSERT_TRUE(Installed->Start()); }

  static void Marker(const std::string& Name, const std::string& Text = "") {
    WriteTextFile(Folder + "\\" + Name, Text);
  }

  static inline std::string Folder;
  static inline std::string Program;
  static inline std::unique_ptr<TInstalledService> Installed;
  TServiceHandle Manager;
  TServiceHandle Service;
};

TEST(ServiceStateText, GivesTheTextOfEachStateByteForByte) {
  EXPECT_EQ(ServiceStateText(0), "Etat du service inconnu");
  EXPECT_EQ(ServiceStateText(1), "Service s'est arr\xEAt\xE9");
  EXPECT_EQ(ServiceStateText(2), "Service commence...");
  EXPECT_EQ(ServiceStateText(3), "Service s'arr\xEAte...");
  EXPECT_EQ(ServiceStateText(4), "Service est en cours d'ex\xE9" "cution");
  EXPECT_EQ(ServiceStateText(5), "Service reprenant...");
  EXPECT_EQ(ServiceStateText(6), "Service en pause...");
  EXPECT_EQ(ServiceStateText(7), "Service est en pause");
  EXPECT_EQ(ServiceStateText(8), "Etat du service inconnu");
  EXPECT_EQ(ServiceStateText(0xFFFFFFFFu), "Etat du service inconnu");
}

TEST_F(ServiceControl, StartsAndStopsARealServiceAndReturnsOnlyInTheEndState) {
  ASSERT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
  StartServiceAndWait(Manager.Get(), ServiceName);
  const DWORD Running = State();
  EXPECT_EQ(Running, static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_EQ(ServiceStateText(Running), "Service est en cours d'ex\xE9" "cution");

  // A start of the running service: the service manager's refusal, as the OS error.
  TRaised R = Raised([&] { StartServiceAndWait(Manager.Get(), ServiceName); });
  ASSERT_TRUE(R.OSError);
  EXPECT_EQ(R.Code, static_cast<uint32_t>(ERROR_SERVICE_ALREADY_RUNNING));  // 1056
  EXPECT_EQ(R.Message, OSErrorText(1056));
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));

  StopServiceAndWait(Manager.Get(), ServiceName);
  const DWORD Stopped = State();
  EXPECT_EQ(Stopped, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_EQ(ServiceStateText(Stopped), "Service s'est arr\xEAt\xE9");
  EXPECT_EQ(ReadLines(Folder + "\\hooks.txt"), (std::vector<std::string>{"Startup", "Shutdown"}));

  // A stop of the stopped service.
  R = Raised([&] { StopServiceAndWait(Manager.Get(), ServiceName); });
  ASSERT_TRUE(R.OSError);
  EXPECT_EQ(R.Code, static_cast<uint32_t>(ERROR_SERVICE_NOT_ACTIVE));  // 1062
  EXPECT_EQ(R.Message, OSErrorText(1062));
}

TEST_F(ServiceControl, AMissingServiceRaisesTheOSError) {
  for (const auto& Call : std::vector<std::function<void()>>{
           [&] { StartServiceAndWait(Manager.Get(), MissingName); },
           [&] { StopServiceAndWait(Manager.Get(), MissingName); },
           [&] { SetServiceLogon(Manager.Get(), MissingName, ".\\LocalSystem", ""); }}) {
    const TRaised R = Raised(Call);
    ASSERT_TRUE(R.OSError);
    EXPECT_EQ(R.Code, static_cast<uint32_t>(ERROR_SERVICE_DOES_NOT_EXIST));  // 1060
    EXPECT_EQ(R.Message, OSErrorText(1060));
  }
}

TEST_F(ServiceControl, AStartThatTheServiceRefusesFails) {
  Marker("refuse.start");
  const TRaised R = Raised([&] { StartServiceAndWait(Manager.Get(), ServiceName); });
  ASSERT_TRUE(R.Raised);
  EXPECT_FALSE(R.OSError);
  EXPECT_EQ(R.Message, "Failed to start service");
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
}

// The check point advances every 2.5 s with a wait hint of 4 s: a fixed 2000 ms
// without an advance would give up; the service manager's protocol waits as long
// as the service advances.
TEST_F(ServiceControl, ASlowStopThatKeepsAdvancingIsWaitedFor) {
  Marker("slow.stop", "4000 2500 2");
  StartDirectly();
  const Stopwatch Watch;
  StopServiceAndWait(Manager.Get(), ServiceName);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_GE(Watch.Ms(), 4500u);  // well past 2 s, and past each 2 s gap between advances
  EXPECT_LT(Watch.Ms(), 15000u);
}

// A service busy on its thread (as in an upload) takes the stop request up only
// after its 6 s pause and shows "running" (wait hint 0, check point 0) until then:
// the stop is waited for, not given up after 2000 ms without an advance.
TEST_F(ServiceControl, AStopThatTheServiceTakesUpLateIsWaitedFor) {
  Marker("busy.run", "6000");
  StartDirectly();  // the service thread begins its first pause as it reports "running"
  const Stopwatch Watch;
  StopServiceAndWait(Manager.Get(), ServiceName);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_GE(Watch.Ms(), 2500u);  // at most 3 s went by in StartDirectly
  EXPECT_LT(Watch.Ms(), 15000u);
}

TEST_F(ServiceControl, ASlowStartThatKeepsAdvancingIsWaitedFor) {
  Marker("slow.start", "4000 2500 2");
  const Stopwatch Watch;
  StartServiceAndWait(Manager.Get(), ServiceName);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_RUNNING));
  EXPECT_GE(Watch.Ms(), 4500u);  // (no upper bound: the program's own start is slow under Wine)
}

// No advance within the wait hint (2 s) ends the wait, while the service is still
// busy stopping (8 s); it stops later all the same.
TEST_F(ServiceControl, AStopThatDoesNotAdvanceWithinTheWaitHintFails) {
  Marker("slow.stop", "2000 8000 1");
  StartDirectly();
  const Stopwatch Watch;
  const TRaised R = Raised([&] { StopServiceAndWait(Manager.Get(), ServiceName); });
  const ULONGLONG Waited = Watch.Ms();
  ASSERT_TRUE(R.Raised);
  EXPECT_FALSE(R.OSError);
  EXPECT_EQ(R.Message, "Failed to stop service");
  EXPECT_GE(Waited, 2000u);
  EXPECT_LT(Waited, 6000u);  // well before the service is done
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
  EXPECT_TRUE(WaitForState(SERVICE_STOPPED, 30000));
}

// A wait hint of 0 allows no time without progress: one query after the shortest
// pause (1 s), then the failure.
TEST_F(ServiceControl, AZeroWaitHintWithoutAdvanceFailsAfterOneQuery) {
  Marker("slow.stop", "0 8000 1");
  StartDirectly();
  const Stopwatch Watch;
  const TRaised R = Raised([&] { StopServiceAndWait(Manager.Get(), ServiceName); });
  const ULONGLONG Waited = Watch.Ms();
  EXPECT_EQ(R.Message, "Failed to stop service");
  EXPECT_GE(Waited, 1000u);
  EXPECT_LT(Waited, 4000u);  // one pause, and at most one more while the request is taken up
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
}

// A service that advances for ever is given up at the overall limit (lowered here
// from its 2 minutes to 3 s).
TEST_F(ServiceControl, TheOverallLimitEndsAWaitThatAdvancesForEver) {
  Marker("slow.stop", "4000 1000 10");
  StartDirectly();
  ServiceWaitLimitMs = 3000;
  const Stopwatch Watch;
  const TRaised R = Raised([&] { StopServiceAndWait(Manager.Get(), ServiceName); });
  const ULONGLONG Waited = Watch.Ms();
  EXPECT_EQ(R.Message, "Failed to stop service");
  EXPECT_GE(Waited, 3000u);
  EXPECT_LT(Waited, 6000u);
  EXPECT_EQ(State(), static_cast<DWORD>(SERVICE_STOP_PENDING));
}

// The logon account for each transport kind and user name, with the whole password.
TEST(ChooseServiceLogon, FollowsTheTableAndKeepsThePasswordWhole) {
  const auto Choose = [](TTransportKind Kind, const std::string& User, const std::string& Pass) {
    TTransportConfig Config;
    Config.Transport = Kind;
    Config.Username = User;
    Config.Password = Pass;
    std::pair<std::string, std::string> Result{"old", "old"};
    ChooseServiceLogon(Config, Result.first, Result.second);
    return Result;
  };
  using Logon = std::pair<std::string, std::string>;
  const Logon System{".\\LocalSystem", ""};
  EXPECT_EQ(Choose(tkFtp, "shop\\operator", "secret"), System);
  EXPECT_EQ(Choose(tkFtps, "shop\\operator", "secret"), System);
  EXPECT_EQ(Choose(tkSftp, "shop\\operator", "secret"), System);
  EXPECT_EQ(Choose(tkCopy, "", "secret"), System);
  EXPECT_EQ(Choose(tkCopy, ".\\localsystem", "secret"), System);
  EXPECT_EQ(Choose(tkCopy, ".\\LOCALSYSTEM", "secret"), System);
  EXPECT_EQ(Choose(tkCopy, ".\\LocalSystem", ""), System);
  EXPECT_EQ(Choose(tkCopy, "shop\\operator", "secret"), (Logon{"shop\\operator", "secret"}));
  EXPECT_EQ(Choose(tkCopy, ".\\operator", ""), (Logon{".\\operator", ""}));

  std::string Long;
  for (int I = 0; I < 70; ++I) { Long += static_cast<char>('A' + I % 26); }
  const Logon Chosen = Choose(tkCopy, "shop\\operator", Long);
  EXPECT_EQ(Chosen.first, "shop\\operator");
  EXPECT_EQ(Chosen.second.size(), 70u);
  EXPECT_EQ(Chosen.second, Long);
}

TEST_F(ServiceControl, SetServiceLogonChangesOnlyTheAccount) {
  const auto Config = [&] {
    std::vector<char> Buffer(8192);
    DWORD Needed = 0;
    EXPECT_TRUE(QueryServiceConfigA(Service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGA*>(Buffer.data()),
                                    static_cast<DWORD>(Buffer.size()), &Needed));
    const auto* C = reinterpret_cast<const QUERY_SERVICE_CONFIGA*>(Buffer.data());
    return std::vector<std::string>{
        std::to_string(C->dwServiceType), std::to_string(C->dwStartType), std::to_string(C->dwErrorControl),
        C->lpBinaryPathName ? C->lpBinaryPathName : "", C->lpDisplayName ? C->lpDisplayName : "",
        C->lpServiceStartName ? C->lpServiceStartName : ""};
  };
  const std::vector<std::string> Before = Config();
  ASSERT_NE(Before[3], "");

  std::string Long(70, 'p');
  SetServiceLogon(Manager.Get(), ServiceName, ".\\norvask_op", Long);
  std::vector<std::string> After = Config();
  EXPECT_EQ(After[5], ".\\norvask_op");
  After[5] = Before[5];
  EXPECT_EQ(After, Before);  // type, start type, error control, program path, display name

  SetServiceLogon(Manager.Get(), ServiceName, ".\\LocalSystem", "");
  After = Config();
  EXPECT_EQ(After[5], ".\\LocalSystem");
  After[5] = Before[5];
  EXPECT_EQ(After, Before);

  SetServiceLogon(Manager.Get(), ServiceName, Before[5], "");
  EXPECT_EQ(Config(), Before);
}

// Last of the suite: every routine has run by now, on success and on failure. Each
// closes its own service handle, also when it raises, so once the test's own
// handle is closed a deleted service is gone at once; a handle still open keeps it
// (shown first, so that the check can see a leak at all).
TEST_F(ServiceControl, NoRoutineLeavesAServiceHandleOpen) {
  EXPECT_TRUE(Raised([&] { StopServiceAndWait(Manager.Get(), ServiceName); }).OSError);  // opened, then raised
  SetServiceLogon(Manager.Get(), ServiceName, ".\\LocalSystem", "");

  TServiceHandle Kept(OpenServiceA(Manager.Get(), ServiceName, SERVICE_QUERY_STATUS));
  ASSERT_NE(Kept.Get(), nullptr);
  ASSERT_TRUE(DeleteService(Service.Get()));
  Service.Reset();
  TServiceHandle Again(OpenServiceA(Manager.Get(), ServiceName, SERVICE_QUERY_STATUS));
  const DWORD Error = GetLastError();
  EXPECT_TRUE(Again.Valid() || Error != ERROR_SERVICE_DOES_NOT_EXIST) << "a deleted service outlives its handles";
  Again.Reset();
  Kept.Reset();

  EXPECT_EQ(OpenServiceA(Manager.Get(), ServiceName, SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

}  // namespace
