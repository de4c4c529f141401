// A service for the service control manager tests: its hooks append what they
// are called for to hooks.txt in its folder; "refuse.start" there fails its
// start, and a file named wait-for-stop.txt holds its per-file hook until the
// service is stopped, dispatching control requests the way the transport
// service's per-file handler does.
#include <fstream>

#include "rtl/files.h"
#include "service/baseservice.h"
#include "service/pipesecurity.h"
#include "service/serviceapp.h"
#include "shared/commonhelpers.h"
#include "shared/sharedunits.h"

namespace {

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
    return Result;
  }
  bool Shutdown() override {
    Record("Shutdown");
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
  static void Record(const std::string& Line) {
    std::ofstream(AppDir + "\\hooks.txt", std::ios::binary | std::ios::app) << Line << "\r\n";
  }
  TBaseOdxConfig FOwnConfig;
};

}  // namespace

int main(int argc, char** argv) {
  InitSharedUnits();
  InitPipeSecurity();
  TTestService Service;
  TServiceApplication Application(Service);
  return Application.Run(ProgramArgs(argc, argv));
}
