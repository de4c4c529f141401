// A service for the service control manager tests: its hooks append what they
// are called for to hooks.txt in its folder; "refuse.start" there fails its
// start, and a file named wait-for-stop.txt holds its per-file hook until the
// service is stopped, dispatching control requests the way the transport
// service's per-file handler does. "slow.start" and "slow.stop" there, each holding
// "<wait hint ms> <step ms> <steps>", make the start or stop last that many steps,
// reporting the wait hint and a new check point after each step. With
// "bare.service" there it is "OdxBareSvc", the framework's service alone (no pipe
// servers, no cycles), for tests of the service control manager's side: under Wine
// on qemu-i386 the pipe servers' stop brings the whole process down. There
// "busy.run" holding "<ms>" keeps its thread busy that long between two looks at
// its queued control requests, as a service in the middle of an upload.
#include <fstream>

#include "rtl/files.h"
#include "service/baseservice.h"
#include "service/pipesecurity.h"
#include "svcframework/serviceapp.h"
#include "shared/commonhelpers.h"
#include "shared/sharedunits.h"

namespace {

void Record(const std::string& Line) {
  std::ofstream(AppDir + "\\hooks.txt", std::ios::binary | std::ios::app) << Line << "\r\n";
}

struct TSlowness {
  DWORD WaitHint = 0, Step = 0, Steps = 0;
};

TSlowness ReadSlowness(const std::string& Marker) {
  TSlowness Result;
  std::ifstream(AppDir + "\\" + Marker) >> Result.WaitHint >> Result.Step >> Result.Steps;
  return Result;
}

// Steps of a slow start or stop, each ending with a status report (a new check point).
void RunSlowly(TService& Service, const std::string& Marker) {
  const TSlowness Slowness = ReadSlowness(Marker);
  if (Slowness.Steps == 0) { return; }
  Service.WaitHint = Slowness.WaitHint;
  for (DWORD Step = 0; Step < Slowness.Steps; ++Step) {
    Sleep(Slowness.Step);
    Service.ReportStatus();
  }
}

// The start's steps; then the stop's wait hint, which its first pending status
// (sent before the stop handler runs) carries.
void StartSlowly(TService& Service) {
  RunSlowly(Service, "slow.start");
  if (const TSlowness Stop = ReadSlowness("slow.stop"); Stop.Steps > 0) { Service.WaitHint = Stop.WaitHint; }
}

class TTestService : public TBaseOrdanixService {
public:
  TTestService() : TBaseOrdanixService("OdxTestSvc", "Odx Test Service") {
    FInfoPipeName = "OdxTestSvcInfo";
    FControlPipeName = "OdxTestSvcControl";
    FIniName = "testsvc.ini";
    FLogName = "testsvc.log";
    FConfig = &FOwnConfig;
  }

protected:
  bool Startup() override {
    const bool Result = TBaseOrdanixService::Startup();
    Record("Startup");
    if (FileExists(AppDir + "\\refuse.start")) {
      Log(3, "Start refused on purpose");
      return false;
    }
    StartSlowly(*this);
    return Result;
  }
  bool Shutdown() override {
    Record("Shutdown");
    RunSlowly(*this, "slow.stop");
    return TBaseOrdanixService::Shutdown();
  }
  void PrepareDestination() override { Record("PrepareDestination"); }
  void AfterDestination() override { Record("AfterDestination"); }
  void AfterDirectory() override { Record("AfterDirectory"); }
  bool ProcessFile(const std::string& FileName, const std::string&, bool&) override {
    Record("ProcessFile " + ExtractFileName(FileName));
    if (ExtractFileName(FileName) == "wait-for-stop.txt") {
      for (int Turn = 0; Turn < 3000 && !Terminated(); ++Turn) {
        ProcessRequests(false);
        Sleep(10);
      }
      Record(Terminated() ? "ProcessFile terminated" : "ProcessFile timed out");
      Log(0, "hook still logging after the stop");
      SetLastFile(FileName, true, 2);
    }
    return true;
  }

private:
  TBaseOdxConfig FOwnConfig;
};

// The framework's service alone, with the same hooks file and markers.
class TBareService : public TService {
public:
  TBareService() : TService("OdxBareSvc", "Odx Bare Test Service") {}

protected:
  void ServiceStart(bool& Started) override {
    Record("Startup");
    if (FileExists(AppDir + "\\refuse.start")) {
      Started = false;
      return;
    }
    StartSlowly(*this);
  }
  void ServiceStop(bool&) override {
    Record("Shutdown");
    RunSlowly(*this, "slow.stop");
  }
  void ServiceExecute() override {
    DWORD Busy = 0;
    std::ifstream(AppDir + "\\busy.run") >> Busy;
    if (Busy == 0) {
      TService::ServiceExecute();
      return;
    }
    while (!Terminated()) {
      Sleep(Busy);
      ProcessRequests(false);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  InitSharedUnits();
  if (FileExists(AppDir + "\\bare.service")) {
    TBareService Service;
    TServiceApplication Application(Service);
    return Application.Run(ProgramArgs(argc, argv));
  }
  InitPipeSecurity();
  TTestService Service;
  TServiceApplication Application(Service);
  return Application.Run(ProgramArgs(argc, argv));
}
