// The line's pace as the client learns it from what the system takes, on the
// clock the test gives it.
#include "ftp/linepace.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD Start = 1000;

}  // namespace

// An ISDN line: the buffers take a burst, in two sends with the client held up
// between them, and a little more just after the first push back, then the
// system takes what the line carries, a piece after each wait, for ten seconds.
TEST(LinePace, ASlowLineKeepsTheFloorBufferAndIsTimedAtItsMeasuredRate) {
  TLinePace Pace;
  Pace.Begin(0, Start - 30);  // the first read of the file took a while
  Pace.Sent(71 * 1024, false, Start);
  Pace.Sent(16 * 1024, false, Start + 25);
  Pace.Sent(70 * 1024, true, Start + 40);
  EXPECT_EQ(Pace.SendBufferSize(), TLinePace::FloorBufferSize) << "the burst only filled the buffers";
  for (DWORD Ms = 540; Ms <= 10040; Ms += 500) { Pace.Sent(4 * 1024, true, Start + Ms); }
  EXPECT_EQ(Pace.SendBufferSize(), TLinePace::FloorBufferSize);
  EXPECT_EQ(Pace.MeasuredRate(), 8u * 1024);
  // The burst is still to go out after the last send.
  Pace.Finish();
  EXPECT_EQ(Pace.BusyUntil() - (Start + 10040), 157u * 1000 / 8);
}

// An ISDN line as Linux serves it: the first wait lasts seconds, and later the
// system takes ten times the buffer at once.
TEST(LinePace, ASlowLineIsTimedFromItsFirstPushBackAndBusyWithAllTheSystemTookAtOnce) {
  TLinePace Pace;
  Pace.Begin(0, Start);
  for (int I = 0; I < 3; ++I) { Pace.Sent(16 * 1024, false, Start); }
  Pace.Sent(32 * 1024, true, Start + 4000);
  EXPECT_EQ(Pace.MeasuredRate(), 8u * 1024) << "timed from the push back";
  Pace.Sent(16 * 1024, true, Start + 8000);
  for (int I = 0; I < 9; ++I) { Pace.Sent(16 * 1024, false, Start + 8001); }
  EXPECT_GT(Pace.BusyUntil() - (Start + 8001), 15000u) << "160 KB taken at once are 20 s of the line";
}

TEST(LinePace, AFileHandedOverWholeBeforeAnyPaceIsKnownIsTimedAtTheSlowestLine) {
  TLinePace Pace;
  Pace.Begin(0, Start);
  Pace.Sent(35000, false, Start + 2);
  EXPECT_EQ(Pace.BusyUntil(), Start + 2) << "still being handed over: only movement counts";
  Pace.Finish();
  EXPECT_EQ(Pace.BusyUntil(), Start + 2 + 10000);

  // A pace known from an earlier file of the session times it instead.
  Pace.Begin(70000, Start);
  Pace.Sent(35000, false, Start + 2);
  EXPECT_EQ(Pace.BusyUntil(), Start + 2 + 500);
}

TEST(LinePace, ALineThatNeverPushesBackGetsTheCeilingBuffer) {
  TLinePace Pace;
  Pace.Begin(0, Start);
  for (DWORD Ms = 1; Ms <= 25; ++Ms) { Pace.Sent(1 << 20, false, Start + Ms); }
  EXPECT_EQ(Pace.SendBufferSize(), TLinePace::CeilingBufferSize);
}

// A fast line: what the system took beyond all that the buffers of both ends can
// hold has been carried, and the file is timed at that pace. A larger buffer
// taken later proves nothing more, but leaves that proof standing.
TEST(LinePace, AFileTakenBeyondTheBuffersIsTimedAtThePaceTheLineCarriedIt) {
  constexpr uint64_t Held = 2 * TLinePace::FloorBufferSize + TLinePace::PeerBufferSize;
  TLinePace Pace;
  Pace.Begin(0, Start);
  for (DWORD I = 0; I < 40; ++I) { Pace.Sent(16 * 1024, false, Start + 1 + I / 4); }
  EXPECT_EQ(Pace.CarriedRate(), (640u * 1024 - Held) * 1000 / 20) << "timed over no less than the shortest sample";
  Pace.Sent(16 * 1024, false, Start + 21);
  ASSERT_EQ(Pace.SendBufferSize(), TLinePace::CeilingBufferSize);
  Pace.Sent(1 << 20, false, Start + 30);
  const uint32_t Rate = (656u * 1024 - Held) * 1000 / 20;
  EXPECT_EQ(Pace.CarriedRate(), Rate);
  Pace.Finish();
  EXPECT_EQ(Pace.BusyUntil() - (Start + 30), (1680u * 1024) * 1000 / Rate);
}
