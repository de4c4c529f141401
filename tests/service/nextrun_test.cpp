#include <gtest/gtest.h>

#include "rtl/formatdatetime.h"
#include "tests/service/servicefixture.h"

namespace {

class NextRun : public ServiceFixture {
protected:
  void At(int Hour, int Min, int Sec, int MSec = 0) {
    Service->Clock.Time = EncodeDate(2024, 5, 31) + EncodeTime(Hour, Min, Sec, MSec);
  }
  std::string Next() const { return FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", Service->NextRun()); }
  void ExactTimes(const std::string& Times) {
    Service->Config.ExactTimeMode = true;
    Service->Config.ExactTime.SetText(Times);
  }
};

TEST_F(NextRun, IntervalModeRunsFiveSecondsAfterStartThenAfterEachCycle) {
  Service->Config.TimeBetweenActions = 60;
  At(10, 0, 0);
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 10:00:05.000");
  At(10, 7, 30, 250);
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-05-31 10:08:30.250");
}

// An interval of zero, or one below zero from a hand-edited file, does not let
// cycles spin: the next one waits for the loop's next 100 ms turn.
TEST_F(NextRun, IntervalOfZeroOrLessWaitsForTheLoopsNextTurn) {
  for (int Interval : {0, -5}) {
    SCOPED_TRACE(Interval);
    Service->Config.TimeBetweenActions = Interval;
    At(10, 0, 0);
    Service->ComputeNextRun();
    EXPECT_EQ(Next(), "2024-05-31 10:00:00.100");
    Service->Clock.Advance(99);
    EXPECT_FALSE(Service->TimeToRun());
    Service->Clock.Advance(2);
    EXPECT_TRUE(Service->TimeToRun());
  }
}

TEST_F(NextRun, FirstRunWaitsForTheNearestListedTimeOnlyWhenItIsLater) {
  ExactTimes("06:00 18:00");
  At(10, 0, 0);  // 06:00 is nearer, and past
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 10:00:05.000");
  At(13, 0, 0);
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 18:00:00.000");
  At(5, 0, 0);
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 06:00:00.000");
  At(17, 59, 58);  // the listed time comes before the five seconds are up
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 18:00:03.000");
}

TEST_F(NextRun, AfterACycleTheNextListedTimeOrTheFirstOfTomorrow) {
  ExactTimes("18:00 06:00");
  At(18, 0, 30);
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-06-01 06:00:00.000");
  At(6, 0, 30);
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-05-31 18:00:00.000");
  At(18, 0, 0, 400);  // the same whole second is not later
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-06-01 06:00:00.000");
}

// The interval does not count between listed times: after the first run nothing
// is due until the listed time of tomorrow, however short the interval.
TEST_F(NextRun, ExactModeIsNotDueBeforeTheNextListedTimeWhateverTheInterval) {
  ExactTimes("10:00");
  Service->Config.TimeBetweenActions = 1;
  At(10, 0, 0, 500);  // the listed time has just passed: the first run is five seconds away
  Service->InitNextRun();
  At(10, 0, 6);
  ASSERT_TRUE(Service->TimeToRun());
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-06-01 10:00:00.000");
  At(10, 0, 9);
  EXPECT_FALSE(Service->TimeToRun());
  At(23, 59, 59, 999);
  EXPECT_FALSE(Service->TimeToRun());
  Service->Clock.Time = EncodeDate(2024, 6, 1) + EncodeTime(10, 0, 0, 0);
  EXPECT_FALSE(Service->TimeToRun());
  Service->Clock.Advance(1);
  EXPECT_TRUE(Service->TimeToRun());
}

TEST_F(NextRun, ExactModeWithAnEmptyListFallsBackToTheInterval) {
  ExactTimes("");
  Service->Config.TimeBetweenActions = 120;
  At(13, 0, 0);
  Service->InitNextRun();
  EXPECT_EQ(Next(), "2024-05-31 13:00:05.000");
  Service->ComputeNextRun();
  EXPECT_EQ(Next(), "2024-05-31 13:02:00.000");
}

}  // namespace
