// The console's main window against scripted pipe servers of the test: its
// pipes renamed to the test's own, its timer off (each test ticks by hand),
// the program folder a scratch folder and every message box recorded.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "console/norvask_cfgmain.h"
#include "shared/commonhelpers.h"
#include "support/appdiroverride.h"
#include "support/localservice.h"
#include "support/recordedboxes.h"
#include "support/scratchdir.h"
#include "tests/console/guitest.h"
#include "tests/console/scriptedpipe.h"

// The service name under which a restart is tried and fails (see below).
constexpr char NoSuchService[] = "NorvaskNoSuchSvc";

class TPipeTestWnd : public TMainWnd {
public:
  void UsePipes(const std::string& Info, const std::string& Control) {
    FInfoPipe = Info;
    FControlPipe = Control;
    TmrMain.SetEnabled(false);
  }
  void SetTimeOverride(int32_t Seconds) { FTimeOverride = Seconds; }
  void ShowStatus(const std::string& Text) { SetStatusText(Text); }
  std::string Label(const char* Name) { return Find<TLabel>(Name).Caption(); }
  // Handles of a service that exists, under a service name that does not: a
  // restart then stops at its access check with ERROR_SERVICE_DOES_NOT_EXIST,
  // which shows that it was tried, and no real service is touched.
  bool OpenHandlesForATriedRestart(const std::string& ReadableService) {
    TLocalService Readable = OpenLocalService(ReadableService, SERVICE_QUERY_STATUS);
    FScm = std::move(Readable.Manager);
    FService = std::move(Readable.Service);
    FServiceName = NoSuchService;
    return IsServiceOpen();
  }
};

class PipeClient : public ::testing::Test {
protected:
  void SetUp() override {
    Window = NewForm<TPipeTestWnd>();
    Window->UsePipes(InfoName, ControlName);
  }
  void TearDown() override { Window.reset(); }
  std::string LocalCopy() const { return Dir.Path() + "\\norvask_local.ini"; }

  // Names of this process and test, so that no other pipe answers.
  const std::string InfoName = "NorvaskTestInfo_" + std::to_string(GetCurrentProcessId());
  const std::string ControlName = "NorvaskTestControl_" + std::to_string(GetCurrentProcessId());
  TScratchDir Dir{"pipeclient"};
  TAppDirOverride ProgramFolder{Dir.Path()};
  TRecordedBoxes Boxes;
  TFormPtr<TPipeTestWnd> Window;
};
