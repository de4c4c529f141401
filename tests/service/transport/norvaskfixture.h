// norvask.exe itself in Wine's service control manager: installed from a copy in
// a scratch folder with its own norvask.ini, started, stopped, killed and watched
// through its folders, its log and its information pipe.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "rtl/files.h"
#include "shared/pipemessages.h"
#include "support/installedservice.h"
#include "support/localservice.h"
#include "support/scratchdir.h"
#include "support/waitfor.h"
#include "tests/service/pipeclient.h"

// The process the manager runs the service in, or 0.
inline DWORD ServiceProcessId() { return ServiceStatus().dwProcessId; }

inline bool Control(DWORD Code) {
  const TLocalService Service = OpenLocalService(TransportServiceName, SERVICE_ALL_ACCESS);
  SERVICE_STATUS S{};
  return Code == 0 ? StartServiceA(Service.Get(), 0, nullptr) : ControlService(Service.Get(), Code, &S);
}

class NorvaskServiceTest : public testing::Test {
protected:
  TScratchDir Dir{"norvask_scm"};
  std::string Exe = Dir.Path() + "\\norvask.exe";
  std::string Shop = Dir.Path() + "\\shop";
  std::string Out0 = Dir.Path() + "\\out0";
  std::string Out1 = Dir.Path() + "\\out1";
  TInstalledService Service{Exe, TransportServiceName, WaitLimitMs};  // removed before the folder

  void SetUp() override {
    const char* Built = std::getenv("NORVASK_EXE");
    ASSERT_NE(Built, nullptr);
    ASSERT_TRUE(CopyFileA(Built, Exe.c_str(), FALSE));
    ForceDirectories(Shop + "\\comptage");
  }

  void Install(const std::string& Ini) {
    WriteTextFile(Dir.Path() + "\\norvask.ini", Ini);
    ASSERT_TRUE(Service.Install());
    ASSERT_EQ(ServiceState(), static_cast<DWORD>(SERVICE_STOPPED));
  }
  void Start() { ASSERT_TRUE(Service.Start()); }
  void Stop() { ASSERT_TRUE(Service.Stop()); }
  std::string Log() const {
    const std::string Name = Dir.Path() + "\\norvask.log";
    return FileExists(Name) ? ReadTextFile(Name) : "";
  }
  bool Logged(const std::string& Text) const { return Log().find(Text) != std::string::npos; }
  void ShopFile(const std::string& Relative, const std::string& Text) const {
    WriteTextFile(Shop + "\\" + Relative, Text);
  }
  TServiceStatsRecord Stats() const {
    const std::string Answer = Call("\\\\.\\pipe\\TrSvcInfo", MakeRequest("REQGETSTATS"));
    TServiceStatsRecord R{};
    if (Answer.size() == static_cast<size_t>(StatsAnswerSize)) { std::memcpy(&R, Answer.data() + ServiceStatsOffset, sizeof R); }
    return R;
  }
  // The service publishes its next run as its scheduler starts and after every
  // cycle: Count new ones after the first one seen mean that Count cycles have
  // ended since the call.
  bool WaitForCycles(int Count) const {
    SYSTEMTIME Last{};
    int Seen = 0;
    return WaitFor(
        [&] {
          const SYSTEMTIME Next = Stats().NextFileCheckAt;
          if (Next.wYear == 0) { return false; }  // not answering yet
          if (Last.wYear != 0 && std::memcmp(&Next, &Last, sizeof Next) != 0) { ++Seen; }
          Last = Next;
          return Seen >= Count;
        },
        WaitLimitMs * Count);
  }
  // The service's process, opened ahead so that a kill can come at once.
  static HANDLE OpenServiceProcess() {
    return OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, ServiceProcessId());
  }
  // Ends the process as a crash would and closes it. Wine's manager goes on
  // reporting the service as running, but lets it be started again.
  static void Kill(HANDLE Process) {
    TerminateProcess(Process, 1);
    EXPECT_EQ(WaitForSingleObject(Process, 10000), WAIT_OBJECT_0);
    CloseHandle(Process);
  }
};
