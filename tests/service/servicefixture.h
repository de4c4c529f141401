// A recording service in a folder of its own, started in the test's thread.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "rtl/datetime.h"
#include "service/pipesecurity.h"
#include "shared/commonhelpers.h"
#include "tests/service/recordingservice.h"
#include "support/scratchdir.h"

class ServiceFixture : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool SecurityReady = (InitPipeSecurity(), true);
    (void)SecurityReady;
    MSG Msg;
    PeekMessageA(&Msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // this thread's queue
    Folder = MakeTestFolder("odxbase");
    AppDir = Folder;
    static int Counter = 0;
    Name = "OdxBase" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++Counter);
    Service = std::make_unique<TRecordingService>(Name);
    Service->Clock.Time = EncodeDate(2024, 5, 31) + EncodeTime(10, 0, 0, 0);
  }

  void TearDown() override {
    if (Service && !Service->Released()) { Service->Stop(); }
    Service.reset();
    DropControlRequests();
  }

  // Queues a control request for this thread, as the control handler does.
  static void PostControl(DWORD Code) {
    PostThreadMessageA(GetCurrentThreadId(), CM_SERVICE_CONTROL_CODE, Code, 0);
  }
  static void DropControlRequests() {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, CM_SERVICE_CONTROL_CODE, CM_SERVICE_CONTROL_CODE, PM_REMOVE)) {}
  }
  static bool ControlRequestQueued(DWORD Code) {
    MSG Msg;
    return PeekMessageA(&Msg, nullptr, CM_SERVICE_CONTROL_CODE, CM_SERVICE_CONTROL_CODE, PM_NOREMOVE) &&
           Msg.wParam == Code;
  }

  std::string Sub(const std::string& Name) const {
    const std::string Path = Folder + "\\" + Name;
    ForceDirectories(Path);
    return Path;
  }
  static void Touch(const std::string& FileName) { WriteTextFile(FileName, "x"); }
  std::vector<std::string> Log() const { return LogTexts(Folder + "\\test.log"); }
  // The log lines written since the start lines.
  std::vector<std::string> LogSince(size_t Count) const {
    const std::vector<std::string> All = Log();
    return std::vector<std::string>(All.begin() + std::min(Count, All.size()), All.end());
  }

  std::string Folder;
  std::string Name;
  std::unique_ptr<TRecordingService> Service;
};
