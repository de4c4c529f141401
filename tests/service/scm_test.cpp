#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "support/installedservice.h"
#include "support/localservice.h"
#include "rtl/files.h"
#include "shared/pipemessages.h"
#include "tests/service/pipeclient.h"
#include "support/scratchdir.h"
#include "support/testprogram.h"
#include "support/waitfor.h"

namespace {

using Lines = std::vector<std::string>;

const char ServiceName[] = "OdxTestSvc";


// The test service copied into a folder of its own, registered under the real
// service control manager, and removed again at the end.
class ServiceManager : public ::testing::Test {
protected:
  void SetUp() override {
    Manager.Reset(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_NE(Manager.Get(), nullptr);
    Folder = MakeTestFolder("odxscm");
    const std::string Program = Folder + "\\odxtestsvc.exe";
    ASSERT_TRUE(CopyFileA((TestProgramFolder() + "\\odxtestsvc.exe").c_str(), Program.c_str(), FALSE));
    Installed.emplace(Program, ServiceName, 30000);
  }

  // The manager keeps a service removed under an open handle: the handle goes first.
  void TearDown() override {
    Service.Reset();
    Installed.reset();
  }

  void InstallAndOpen() {
    ASSERT_TRUE(Installed->Install());
    Service.Reset(OpenServiceA(Manager.Get(), ServiceName, SERVICE_ALL_ACCESS));
    ASSERT_NE(Service.Get(), nullptr);
  }

  SERVICE_STATUS Query() const {
    SERVICE_STATUS Status{};
    QueryServiceStatus(Service.Get(), &Status);
    return Status;
  }

  bool WaitForState(DWORD State, DWORD TimeoutMs) const {
    return WaitFor([&] { return Query().dwCurrentState == State; }, TimeoutMs);
  }

  // Waits until hooks.txt holds Line (at most TimeoutMs).
  bool WaitForHook(const std::string& Line, DWORD TimeoutMs) const {
    return WaitFor([&] {
      const Lines Hooks = ReadLines(Folder + "\\hooks.txt");
      return std::find(Hooks.begin(), Hooks.end(), Line) != Hooks.end();
    }, TimeoutMs);
  }

  Lines Log() const { return LogTexts(Folder + "\\testsvc.log"); }

  std::optional<TInstalledService> Installed;
  TServiceHandle Manager;
  TServiceHandle Service;  // declared after Manager: closed before it
  std::string Folder;
};

TEST_F(ServiceManager, InstallStartInterrogateStopUninstall) {
  InstallAndOpen();
  ASSERT_TRUE(Installed->Start());
  EXPECT_EQ(Query().dwControlsAccepted, static_cast<DWORD>(SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN));

  SERVICE_STATUS Status{};
  ASSERT_TRUE(ControlService(Service.Get(), SERVICE_CONTROL_INTERROGATE, &Status));
  EXPECT_EQ(Status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));

  const std::string Answer = Call(PipePath("OdxTestSvcInfo"), MakeRequest(ReqGetStats));
  ASSERT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize));
  TServiceStatsRecord Record;
  std::memcpy(&Record, Answer.data() + ServiceStatsOffset, sizeof(Record));
  EXPECT_EQ(Record.RecordSize, 511);
  EXPECT_EQ(Record.VersionMajor, 3);
  EXPECT_EQ(Record.VersionMinor, 1);
  EXPECT_EQ(Record.VersionRelease, 4);
  EXPECT_NE(Record.NextFileCheckAt.wYear, 0);  // the scheduler has published its first run

  ASSERT_TRUE(ControlService(Service.Get(), SERVICE_CONTROL_STOP, &Status));
  ASSERT_TRUE(WaitForState(SERVICE_STOPPED, 20000));
  EXPECT_EQ(Query().dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(ReadLines(Folder + "\\hooks.txt"), (Lines{"Startup", "Shutdown"}));
  const Lines Logged = Log();
  ASSERT_FALSE(Logged.empty());
  EXPECT_EQ(Logged.front(), "OdxTestSvc service started");
  EXPECT_EQ(Logged.back(), "OdxTestSvc service stopped");

  Service.Reset();
  ASSERT_TRUE(Installed->Uninstall());
  EXPECT_EQ(OpenServiceA(Manager.Get(), ServiceName, SERVICE_QUERY_STATUS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
}

TEST_F(ServiceManager, FailedStartupRefusesTheStart) {
  WriteTextFile(Folder + "\\refuse.start", "");
  InstallAndOpen();
  StartServiceA(Service.Get(), 0, nullptr);
  ASSERT_TRUE(WaitForState(SERVICE_STOPPED, 20000));
  EXPECT_EQ(Query().dwWin32ExitCode, static_cast<DWORD>(ERROR_SERVICE_SPECIFIC_ERROR));
  const Lines Logged = Log();
  EXPECT_NE(std::find(Logged.begin(), Logged.end(), "Start refused on purpose"), Logged.end());
  EXPECT_EQ(ReadLines(Folder + "\\hooks.txt"), (Lines{"Startup"}));  // neither a cycle nor a stop
}

// The stop reaches the service while its per-file hook dispatches requests in
// the middle of a cycle: the cycle unwinds, and only then is the service released.
TEST_F(ServiceManager, StopFromInsideAHookEndsTheServiceCleanly) {
  const std::string Data0 = Folder + "\\data0", Data1 = Folder + "\\data1";
  ForceDirectories(Data0);
  ForceDirectories(Data1);
  WriteTextFile(Data0 + "\\wait-for-stop.txt", "x");
  WriteTextFile(Data1 + "\\other.txt", "x");
  WriteTextFile(Folder + "\\testsvc.ini", "[General]\r\nLogDetailed=1\r\n[Directory0]\r\nTrackDirectory=" + Data0 +
                                              "\r\n[Directory1]\r\nTrackDirectory=" + Data1 + "\r\n");
  InstallAndOpen();
  ASSERT_TRUE(Installed->Start());
  ASSERT_TRUE(WaitForHook("ProcessFile wait-for-stop.txt", 30000));

  SERVICE_STATUS Status{};
  ASSERT_TRUE(ControlService(Service.Get(), SERVICE_CONTROL_STOP, &Status));
  ASSERT_TRUE(WaitForState(SERVICE_STOPPED, 20000));
  EXPECT_EQ(Query().dwWin32ExitCode, static_cast<DWORD>(NO_ERROR));

  EXPECT_EQ(ReadLines(Folder + "\\hooks.txt"),
            (Lines{"Startup", "PrepareDestination", "ProcessFile wait-for-stop.txt", "ProcessFile terminated",
                   "AfterDirectory", "AfterDestination", "Shutdown"}));
  const Lines Logged = Log();
  const auto Position = [&](const std::string& Text) {
    return std::find(Logged.begin(), Logged.end(), Text) - Logged.begin();
  };
  const auto Still = Position("hook still logging after the stop");
  const auto Chain1 = Position("Processing chain " + Data1);
  const auto Cancelled = Position("Current service task canceled due to urgent control request.");
  const auto Stopping = Position("Stopping service...");
  EXPECT_LT(Still, Chain1);
  EXPECT_LT(Chain1, Cancelled);
  EXPECT_LT(Cancelled, Stopping);
  EXPECT_LT(Stopping, static_cast<long>(Logged.size()));
  EXPECT_EQ(Logged.back(), "OdxTestSvc service stopped");
}

}  // namespace
