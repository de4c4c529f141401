#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "svcframework/service.h"

namespace {

// Records its handlers; the test's thread stands in for the service thread.
class TProbeService : public TService {
public:
  TProbeService() : TService("OdxProbe", "Odx Probe") {
    MSG Msg;
    PeekMessageA(&Msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  }
  ~TProbeService() override {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {}
  }
  void Post(DWORD Code) { PostThreadMessageA(GetCurrentThreadId(), CM_SERVICE_CONTROL_CODE, Code, 0); }

  std::vector<std::string> Calls;
  bool AcceptStop = true;

protected:
  void ServiceStop(bool& Stopped) override {
    Calls.push_back(Status() == SERVICE_STOP_PENDING ? "stop (pending)" : "stop");
    Stopped = AcceptStop;
  }
  void ServiceShutdown() override { Calls.push_back("shutdown"); }
  void StopRequested(DWORD) override { Calls.push_back(Status() == SERVICE_STOP_PENDING ? "heard (pending)" : "heard"); }
};

TEST(ServiceRequests, StopIsDispatchedAndTerminatesTheService) {
  TProbeService Service;
  Service.Post(SERVICE_CONTROL_INTERROGATE);
  Service.Post(SERVICE_CONTROL_STOP);
  Service.Post(SERVICE_CONTROL_STOP);
  Service.ProcessRequests(false);
  EXPECT_EQ(Service.Calls, std::vector<std::string>{"stop (pending)"});  // nothing after the end
  EXPECT_TRUE(Service.Terminated());
  EXPECT_EQ(Service.Status(), static_cast<DWORD>(SERVICE_STOP_PENDING));
}

// The control handler's thread hears of a stop as soon as it is queued for the
// service thread, before that thread does: stop-pending is reported at once, and
// a refused stop returns to the state before the request, not to stop-pending.
// A stop that cannot be queued changes nothing and is refused.
TEST(ServiceRequests, AQueuedStopIsHeardAtOnceAndARefusedOneKeepsTheService) {
  TProbeService Service;
  Service.AcceptStop = false;
  DWORD EndedThread = 0;
  std::thread([&] { EndedThread = GetCurrentThreadId(); }).join();
  EXPECT_FALSE(Service.QueueControl(SERVICE_CONTROL_STOP, EndedThread));
  EXPECT_EQ(Service.Status(), static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_TRUE(Service.Calls.empty());

  EXPECT_TRUE(Service.QueueControl(SERVICE_CONTROL_INTERROGATE, GetCurrentThreadId()));
  EXPECT_TRUE(Service.QueueControl(SERVICE_CONTROL_STOP, GetCurrentThreadId()));
  EXPECT_EQ(Service.Status(), static_cast<DWORD>(SERVICE_STOP_PENDING));
  Service.ProcessRequests(false);
  EXPECT_FALSE(Service.Terminated());
  EXPECT_EQ(Service.Status(), static_cast<DWORD>(SERVICE_STOPPED));  // the state before the request
  EXPECT_EQ(Service.Calls, (std::vector<std::string>{"heard (pending)", "stop (pending)"}));
}

TEST(ServiceRequests, ShutdownAlwaysTerminates) {
  TProbeService Service;
  Service.Post(SERVICE_CONTROL_SHUTDOWN);
  Service.ProcessRequests(false);
  EXPECT_EQ(Service.Calls, std::vector<std::string>{"shutdown"});
  EXPECT_TRUE(Service.Terminated());
}

TEST(ServiceRequests, WithoutWaitingReturnsOnceTheQueueIsEmpty) {
  TProbeService Service;
  Service.Post(SERVICE_CONTROL_INTERROGATE);
  Service.Post(SERVICE_CONTROL_PARAMCHANGE);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
  Service.ProcessRequests(false);
  Service.ProcessRequests(false);
  EXPECT_TRUE(Service.Calls.empty());
  EXPECT_FALSE(Service.Terminated());
  MSG Msg;
  EXPECT_FALSE(PeekMessageA(&Msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(ServiceRequests, WaitingServesUntilTheStop) {
  TProbeService Service;
  Service.Post(SERVICE_CONTROL_INTERROGATE);
  Service.Post(SERVICE_CONTROL_STOP);
  Service.ProcessRequests(true);
  EXPECT_TRUE(Service.Terminated());
}

}  // namespace
