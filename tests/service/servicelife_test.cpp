#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>

#include "shared/pipemessages.h"
#include "tests/service/nocontrolsecurity.h"
#include "tests/service/pipeclient.h"
#include "tests/service/servicefixture.h"

namespace {

using Lines = std::vector<std::string>;

bool operator==(const SYSTEMTIME& A, const SYSTEMTIME& B) { return std::memcmp(&A, &B, sizeof(A)) == 0; }

class ServiceLife : public ServiceFixture {
protected:
  // The statistics record of an "ANSGETSTATS" answer.
  TServiceStatsRecord Stats() const {
    const std::string Answer = Call(PipePath(Name + "Info"), MakeRequest(ReqGetStats));
    TServiceStatsRecord Record{};
    EXPECT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize));
    if (Answer.size() == static_cast<size_t>(StatsAnswerSize)) { std::memcpy(&Record, Answer.data() + ServiceStatsOffset, sizeof(Record)); }
    return Record;
  }
  static bool IsZero(const SYSTEMTIME& Time) { return SYSTEMTIME{} == Time; }
  void WriteIni(const std::string& Text) const { WriteTextFile(Folder + "\\test.ini", Text); }
};

TEST_F(ServiceLife, StartAndStopLogTheirSteps) {
  WriteIni("[General]\r\nLogDetailed=1\r\n[Directory0]\r\nTrackDirectory=C:\\shop\r\n"
           "[Directory5]\r\nTrackDirectory=D:\\other\r\n");
  ASSERT_TRUE(Service->Start());
  Service->Stop();
  EXPECT_TRUE(Service->Released());
  // "Starting service..." waits for a start with the switch already read.
  EXPECT_EQ(Log(), (Lines{Name + " service started", "Configuration loaded from \"test.ini\"",
                          "Monitor directory C:\\shop", "Monitor directory D:\\other",
                          "Pipe server \"" + Name + "Info\" started", "Pipe server \"" + Name + "Control\" started",
                          "Stopping service...", "Pipe server \"" + Name + "Control\" stopped",
                          "Pipe server \"" + Name + "Info\" stopped", Name + " service stopped"}));

  DeleteFileA((Folder + "\\test.log").c_str());
  ASSERT_TRUE(Service->Start());
  Service->SystemShutdown();
  const Lines Again = Log();
  ASSERT_GE(Again.size(), 3u);
  EXPECT_EQ(Again[1], "Starting service...");
  EXPECT_EQ(Again.back(), Name + " stopped at system shutdown");
}

TEST_F(ServiceLife, PlainStartLogsOnlyNameAndDirectories) {
  WriteIni("[Directory3]\r\nTrackDirectory=C:\\shop\r\n");
  ASSERT_TRUE(Service->Start());
  Service->Stop();
  EXPECT_EQ(Log(), (Lines{Name + " service started", "Monitor directory C:\\shop", Name + " service stopped"}));
}

TEST_F(ServiceLife, StatisticsRecordIsEmptyBeforeAnyWork) {
  ASSERT_TRUE(Service->Start());
  const TServiceStatsRecord R = Stats();
  EXPECT_EQ(R.RecordSize, 511);
  EXPECT_EQ(R.Busy, 0);
  EXPECT_STREQ(R.LastEventText, "");  // the start-up forgets the start line
  EXPECT_STREQ(R.LastErrorText, "");
  EXPECT_STREQ(R.LastFileOk, "");
  EXPECT_TRUE(IsZero(R.LastFileOkAt));
  EXPECT_TRUE(IsZero(R.LastErrorTime));
  EXPECT_TRUE(IsZero(R.NextFileCheckAt));
}

TEST_F(ServiceLife, StatisticsRecordCutsTextsAndShortensFileNames) {
  ASSERT_TRUE(Service->Start());
  Service->Log(0, std::string(200, 'i'));
  Service->Log(3, std::string(126, 'e') + "xyz");
  Service->SetLastFile("C:\\" + std::string(100, 'p') + "\\f.txt", true, -1);
  Service->SetLastFile("D:\\data\\shop\\comptage\\a.scb", false, 2);
  Service->InitNextRun();
  Service->PublishNextRun();

  TServiceStatsRecord R = Stats();
  EXPECT_EQ(std::string(R.LastEventText), std::string(127, 'i'));
  EXPECT_EQ(std::string(R.LastErrorText), std::string(126, 'e') + "x");
  EXPECT_EQ(std::string(R.LastFileOk), "C:\\" + std::string(61, 'p'));
  EXPECT_STREQ(R.LastFileBad, "shop\\comptage\\a.scb");
  EXPECT_FALSE(IsZero(R.LastErrorTime));
  EXPECT_FALSE(IsZero(R.LastFileBadAt));
  EXPECT_TRUE(R.NextFileCheckAt == DateTimeToSystemTime(Service->NextRun()));
  EXPECT_EQ(R.NextFileCheckAt.wSecond, 5);  // the fake clock stands at 10:00:00

  Service->SetLastFile("D:\\data\\shop\\comptage\\b.scb", false, 0);
  EXPECT_STREQ(Stats().LastFileBad, "b.scb");
}

TEST_F(ServiceLife, StatisticsFollowARunningCycle) {
  ASSERT_TRUE(Service->Start());
  const std::string A = Sub("a"), B = Sub("b");
  Touch(A + "\\a.txt");
  Touch(B + "\\b.txt");
  Service->Config.SetTrackDirectory(0, A);
  Service->EntriesOf[A] = {A + ";txt", B + ";txt"};
  Service->FileMs = 40;
  TServiceStatsRecord During{};
  Service->OnCall = [&](const std::string& Call) {
    if (Call.rfind("File a.txt", 0) == 0) { Service->SetLastFile(A + "\\a.txt", true, 1); }
    if (Call.rfind("File b.txt", 0) == 0) { During = Stats(); }
  };

  Service->RunCycle();

  EXPECT_EQ(During.Busy, 1);
  EXPECT_STREQ(During.LastFileOk, "a\\a.txt");
  EXPECT_EQ(During.LastGroupOk, 1);  // published after the first entry
  EXPECT_EQ(During.LastGroupMs, 40);
  const TServiceStatsRecord After = Stats();
  EXPECT_EQ(After.Busy, 0);
  EXPECT_EQ(After.LastGroupOk, 2);
  EXPECT_EQ(After.LastGroupBad, 0);
  EXPECT_EQ(After.LastGroupMs, 80);
  EXPECT_FALSE(IsZero(After.LastGroupAt));
}

TEST_F(ServiceLife, WithoutTheControlDescriptorOnlyTheControlPipeIsMissing) {
  WriteIni("[General]\r\nLogDetailed=1\r\n");
  {
    TNoControlSecurity Unavailable("Access is denied.");
    ASSERT_TRUE(Service->Start());
  }
  const std::string Refusal = "Pipe server \"" + Name + "Control\" not started: Access is denied.";
  EXPECT_EQ(Log().back(), Refusal);
  EXPECT_FALSE(Service->ServesControlPipe());
  const TServiceStatsRecord R = Stats();  // the information pipe answers
  EXPECT_EQ(R.Busy, 0);
  EXPECT_EQ(R.LastErrorText, Refusal);  // logged as an error
  Service->Stop();
  EXPECT_TRUE(Service->Released());
}

// A failing step is logged as an error and refuses the start; the steps after
// it still run.
TEST_F(ServiceLife, AFailingStartupStepIsLoggedAndRefusesTheStart) {
  WriteIni("[General]\r\nLogDetailed=1\r\n[Directory0]\r\nTrackDirectory=C:\\shop\r\n");
  Service->DirectoriesFailure = "Directory list unavailable";
  EXPECT_FALSE(Service->Start());
  EXPECT_EQ(Log(), (Lines{Name + " service started", "Configuration loaded from \"test.ini\"",
                          "Monitor directory C:\\shop", "Directory list unavailable",
                          "Pipe server \"" + Name + "Info\" started", "Pipe server \"" + Name + "Control\" started"}));
  EXPECT_STREQ(Stats().LastErrorText, "Directory list unavailable");  // logged as an error
  EXPECT_TRUE(Service->ServesControlPipe());
}

// The statistics are read under the service's lock: a request waits while the
// service thread holds it.
TEST_F(ServiceLife, AStatisticsRequestWaitsForTheLock) {
  ASSERT_TRUE(Service->Start());
  ASSERT_EQ(Stats().RecordSize, 511);  // the pipe is up
  Service->Lock();
  std::future<std::string> Answer =
      std::async(std::launch::async, [&] { return Call(PipePath(Name + "Info"), MakeRequest(ReqGetStats)); });
  EXPECT_EQ(Answer.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
  Service->Unlock();
  EXPECT_EQ(Answer.get().size(), static_cast<size_t>(StatsAnswerSize));
}

TEST_F(ServiceLife, ConfigurationRequestsAreLoggedAndChangeNothingUntilRestart) {
  WriteIni("[General]\r\nTimeBetweenActions=77\r\n");
  ASSERT_TRUE(Service->Start());
  ASSERT_FALSE(Call(PipePath(Name + "Control"), MakeRequest(ReqGetConfig)).empty());
  const std::string Ini = "[General]\r\nTimeBetweenActions=99\r\n";
  const std::string Set = MakeRequest(ReqSetConfig, static_cast<int32_t>(Ini.size()), Ini);
  ASSERT_FALSE(Call(PipePath(Name + "Control"), Set).empty());

  const Lines Logged = Log();
  ASSERT_GE(Logged.size(), 2u);
  EXPECT_EQ(Logged[Logged.size() - 2], "Service configuration file retrieved by client");
  EXPECT_EQ(Logged.back(), "Service configuration file updated by client");
  EXPECT_EQ(Service->Config.TimeBetweenActions, 77);
}

// A stop dispatched from inside a hook, as the transport service's per-file
// handler does: the cycle unwinds with everything still in place, and the stop
// is carried out once the scheduler loop has returned.
TEST_F(ServiceLife, StopFromInsideACycleReleasesAfterTheScheduler) {
  WriteIni("[General]\r\nLogDetailed=1\r\n");
  ASSERT_TRUE(Service->Start());
  const std::string A = Sub("a"), A2 = Sub("a2"), B = Sub("b");
  Touch(A + "\\f1.txt");
  Touch(A + "\\f2.txt");
  Touch(A2 + "\\g.txt");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.SetTrackDirectory(1, B);
  Service->EntriesOf[A] = {A + ";txt", A2 + ";txt"};
  Service->Clock.Step = 1.0 / SecsPerDay;  // the first run is due after a few turns
  bool TerminatedInHook = false;
  Service->OnCall = [&](const std::string& Call) {
    if (Call.rfind("File f2.txt", 0) != 0) { return; }
    PostControl(SERVICE_CONTROL_STOP);
    Service->ProcessRequests(false);
    TerminatedInHook = Service->Terminated();
    Service->Log(0, "still logging after the stop");
    Service->SetLastFile(A + "\\f2.txt", true, 0);
  };

  Service->Execute();

  EXPECT_TRUE(TerminatedInHook);
  EXPECT_TRUE(Service->Released());
  const Lines Files = {"File f2.txt " + A + ";txt", "File f1.txt " + A + ";txt"};
  Lines Offered;
  for (const std::string& Call : Service->Calls) {
    if (Call.rfind("File ", 0) == 0) { Offered.push_back(Call); }
  }
  EXPECT_EQ(Offered, Files);  // the entry ends, the next one is not visited
  const Lines Logged = Log();
  const auto Position = [&](const std::string& Text) {
    return std::find(Logged.begin(), Logged.end(), Text) - Logged.begin();
  };
  const auto Still = Position("still logging after the stop");
  const auto Cancelled = Position("Current service task canceled due to urgent control request.");
  const auto Stopping = Position("Stopping service...");
  EXPECT_LT(Still, Cancelled);
  EXPECT_LT(Cancelled, Stopping);
  EXPECT_LT(Stopping, static_cast<long>(Logged.size()));
  EXPECT_EQ(Logged.back(), Name + " service stopped");
  EXPECT_EQ(std::count(Logged.begin(), Logged.end(), Name + " service stopped"), 1);
}

TEST_F(ServiceLife, StopBetweenCyclesEndsTheScheduler) {
  ASSERT_TRUE(Service->Start());
  PostControl(SERVICE_CONTROL_STOP);
  Service->Execute();
  EXPECT_TRUE(Service->Released());
  EXPECT_TRUE(Service->Calls.empty());
  EXPECT_EQ(Log().back(), Name + " service stopped");
}

}  // namespace
