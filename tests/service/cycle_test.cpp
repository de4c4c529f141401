#include <gtest/gtest.h>

#include "tests/service/servicefixture.h"

namespace {

const std::string CancelText = "Current service task canceled due to urgent control request.";

class Cycle : public ServiceFixture {
protected:
  void SetUp() override {
    ServiceFixture::SetUp();
    ASSERT_TRUE(Service->Start());
    StartLines = Log().size();
  }
  std::vector<std::string> CycleLog() const { return LogSince(StartLines); }
  std::vector<std::string> CallsFrom(size_t First) const {
    return std::vector<std::string>(Service->Calls.begin() + First, Service->Calls.end());
  }
  size_t StartLines = 0;
};

using Lines = std::vector<std::string>;

TEST_F(Cycle, HooksFollowSlotsDestinationsAndEntries) {
  const std::string A = Sub("a"), S = Sub("a\\sub"), B = Sub("b");
  Touch(A + "\\a1.txt");
  Touch(A + "\\a2.txt");
  Touch(A + "\\z.dat");
  Touch(S + "\\s1.up");
  Touch(S + "\\s2.up");
  Touch(B + "\\b1.dat");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.SetTrackDirectory(MaxTrackDirectories - 1, B);  // the last slot is served too
  Service->EntriesOf[A] = {A + ";txt", S + ";up"};
  Service->SetStatusFiles({"trlist0.dst", "trlist1.dst"});

  Service->RunCycle();

  const std::string EA = A + ";txt", ES = S + ";up", EB = B + ";*";
  Lines PassA = {"Map trlist0.dst -1", "Ascending " + EA, "File a2.txt " + EA, "File a1.txt " + EA, "AfterDirectory",
                 "Map trlist0.dst -1", "Ascending " + ES, "File s1.up " + ES,  "File s2.up " + ES,  "AfterDirectory"};
  Lines Expected = {"Build " + A, "Prepare 0"};
  Expected.insert(Expected.end(), PassA.begin(), PassA.end());
  Expected.push_back("AfterDestination 0");
  Expected.push_back("Prepare 1");
  for (std::string Call : PassA) { Expected.push_back(Call == "Map trlist0.dst -1" ? "Map trlist1.dst -1" : Call); }
  Expected.insert(Expected.end(),
                  {"AfterDestination 1", "Build " + B, "Prepare 0", "Map trlist0.dst -1", "Ascending " + EB,
                   "File b1.dat " + EB, "AfterDirectory", "AfterDestination 0", "Prepare 1", "Map trlist1.dst -1",
                   "Ascending " + EB, "File b1.dat " + EB, "AfterDirectory", "AfterDestination 1"});
  EXPECT_EQ(Service->Calls, Expected);
  EXPECT_TRUE(Service->Idle());
  EXPECT_EQ(Service->FilesOk(), 2);  // the last slot's, over both destinations
  EXPECT_EQ(Service->FilesBad(), 0);
  EXPECT_TRUE(FileExists(A + "\\trlist1.dst"));
  EXPECT_EQ(CycleLog(), (Lines{"processed 8 files OK, 0 files bad, elapsed 0:00:00:000",
                               "processed 2 files OK, 0 files bad, elapsed 0:00:00:000"}));

  // The status files now hold every file: the next cycle offers none.
  const size_t Before = Service->Calls.size();
  Service->RunCycle();
  for (const std::string& Call : CallsFrom(Before)) { EXPECT_NE(Call.rfind("File ", 0), 0u) << Call; }
}

TEST_F(Cycle, DetailedLogShowsEntryDestinationAndSlotTimes) {
  const std::string A = Sub("a");
  Touch(A + "\\good.txt");
  Touch(A + "\\bad.txt");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.LogDetailed = true;
  Service->EntriesOf[A] = {A + ";txt"};
  Service->FileMs = 1234;
  Service->AfterDestinationMs = 500;

  Service->RunCycle();

  EXPECT_EQ(CycleLog(), (Lines{"Processing chain " + A, "processed directory " + A + ", elasped 0:00:02:468",
                               "postprocessing after 1 source files finished, elapsed 0:00:00:500",
                               "processed 1 files OK, 1 files bad, elapsed 0:00:02:968"}));
  EXPECT_EQ(Service->FilesOk(), 1);
  EXPECT_EQ(Service->FilesBad(), 1);
  EXPECT_EQ(Service->ElapsedMs(), 2968);
}

TEST_F(Cycle, PlainLogShowsOnlyTheSlotSummary) {
  const std::string A = Sub("a");
  Touch(A + "\\good.txt");
  Touch(A + "\\bad.txt");
  Service->Config.SetTrackDirectory(0, A);
  Service->FileMs = 1234;
  Service->AfterDestinationMs = 500;

  Service->RunCycle();

  EXPECT_EQ(CycleLog(), (Lines{"processed 1 files OK, 1 files bad, elapsed 0:00:02:968"}));
}

TEST_F(Cycle, MissingFolderEndsEachDestinationPassAtThatEntry) {
  const std::string Missing = Folder + "\\missing", A = Sub("a");
  Touch(A + "\\a.txt");
  Service->Config.SetTrackDirectory(0, Missing);
  Service->EntriesOf[Missing] = {Missing + ";txt", A + ";txt"};
  Service->SetStatusFiles({"trlist0.dst", "trlist1.dst"});

  Service->RunCycle();

  EXPECT_EQ(Service->Calls, (Lines{"Build " + Missing, "Prepare 0", "Map trlist0.dst -1", "AfterDestination 0",
                                   "Prepare 1", "Map trlist1.dst -1", "AfterDestination 1"}));
  const Lines Logged = CycleLog();
  ASSERT_EQ(Logged.size(), 2u);
  for (const std::string& Line : Logged) {
    EXPECT_EQ(Line.rfind("Directory does not exist", 0), 0u) << Line;
    EXPECT_NE(Line.find("\"" + Missing + "\""), std::string::npos) << Line;
  }
  EXPECT_TRUE(Service->Idle());
}

TEST_F(Cycle, EmptySlotsAndStartingCallNothing) {
  Service->RunCycle();
  EXPECT_TRUE(Service->Calls.empty());
  EXPECT_TRUE(Service->Idle());

  Service->Config.SetTrackDirectory(7, Sub("a"));
  Service->SetStarting(true);
  Service->RunCycle();
  EXPECT_TRUE(Service->Calls.empty());
  EXPECT_TRUE(CycleLog().empty());
}

TEST_F(Cycle, SlotWithoutEntriesStillPreparesEveryDestination) {
  const std::string A = Sub("a");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.LogDetailed = true;
  Service->EntriesOf[A] = {};
  Service->SetStatusFiles({"trlist0.dst", "trlist1.dst"});

  Service->RunCycle();

  EXPECT_EQ(Service->Calls,
            (Lines{"Build " + A, "Prepare 0", "AfterDestination 0", "Prepare 1", "AfterDestination 1"}));
  EXPECT_EQ(CycleLog(), (Lines{"Processing chain " + A}));
}

TEST_F(Cycle, EntryWithoutMaskListsEveryFile) {
  const std::string A = Sub("a"), B = Sub("b");
  Touch(A + "\\x.dat");
  Touch(B + "\\y.bin");
  Service->Config.SetTrackDirectory(0, A);
  Service->EntriesOf[A] = {A, B + ";"};

  Service->RunCycle();

  EXPECT_EQ(Service->Calls, (Lines{"Build " + A, "Prepare 0", "Map dirlist.dst -1", "Ascending " + A,
                                   "File x.dat " + A, "AfterDirectory", "Map dirlist.dst -1", "Ascending " + B + ";",
                                   "File y.bin " + B + ";", "AfterDirectory", "AfterDestination 0"}));
}

TEST_F(Cycle, StopBeforeTheFirstSlotCancelsTheWholeCycle) {
  Service->Config.SetTrackDirectory(0, Sub("a"));
  PostControl(SERVICE_CONTROL_STOP);
  try {
    Service->RunCycle();
    FAIL() << "no cancellation";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), CancelText);
  }
  EXPECT_TRUE(Service->Calls.empty());
  EXPECT_TRUE(ControlRequestQueued(SERVICE_CONTROL_STOP));  // dispatched later by the scheduler
}

TEST_F(Cycle, InterrogateIsAnsweredAndTheCycleGoesOn) {
  const std::string A = Sub("a");
  Touch(A + "\\a.txt");
  Service->Config.SetTrackDirectory(0, A);
  PostControl(SERVICE_CONTROL_INTERROGATE);

  Service->RunCycle();

  EXPECT_EQ(Service->Calls.size(), 7u);
  EXPECT_EQ(CycleLog(), (Lines{"processed 1 files OK, 0 files bad, elapsed 0:00:00:000"}));
  EXPECT_FALSE(ControlRequestQueued(SERVICE_CONTROL_INTERROGATE));  // answered once, not again later
}

TEST_F(Cycle, AStopQueuedBehindAnInterrogateStillCancelsTheCycle) {
  Service->Config.SetTrackDirectory(0, Sub("a"));
  PostControl(SERVICE_CONTROL_INTERROGATE);
  PostControl(SERVICE_CONTROL_STOP);

  EXPECT_THROW(Service->RunCycle(), Exception);

  EXPECT_TRUE(Service->Calls.empty());
  EXPECT_TRUE(ControlRequestQueued(SERVICE_CONTROL_STOP));
}

TEST_F(Cycle, StopSeenAtADestinationCancelsThisAndEveryLaterSlot) {
  const std::string A = Sub("a"), B = Sub("b");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.SetTrackDirectory(1, B);
  Service->Config.LogDetailed = true;
  Service->OnCall = [](const std::string& Call) {
    if (Call.rfind("Build ", 0) == 0 && !ControlRequestQueued(SERVICE_CONTROL_STOP)) {
      PostControl(SERVICE_CONTROL_STOP);
    }
  };

  Service->RunCycle();

  EXPECT_EQ(Service->Calls, (Lines{"Build " + A, "Build " + B}));
  EXPECT_EQ(CycleLog(), (Lines{"Processing chain " + A, CancelText, "Processing chain " + B, CancelText}));
  EXPECT_TRUE(Service->Idle());
}

TEST_F(Cycle, StopSeenAtAnEntryEndsTheDestinationLoop) {
  const std::string A = Sub("a"), B = Sub("b");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.SetTrackDirectory(1, B);
  Service->SetStatusFiles({"trlist0.dst", "trlist1.dst"});
  Service->OnCall = [](const std::string& Call) {
    if (Call == "Prepare 0") { PostControl(SERVICE_CONTROL_STOP); }
  };

  Service->RunCycle();

  EXPECT_EQ(Service->Calls, (Lines{"Build " + A, "Prepare 0", "AfterDestination 0", "Build " + B}));
  EXPECT_EQ(CycleLog(), (Lines{CancelText, CancelText}));
}

TEST_F(Cycle, StopAfterAnEntryKeepsThatEntrysWorkAndTheSlotSummary) {
  const std::string A = Sub("a"), A2 = Sub("a2"), B = Sub("b");
  Touch(A + "\\f.txt");
  Touch(A2 + "\\g.txt");
  Touch(B + "\\h.txt");
  Service->Config.SetTrackDirectory(0, A);
  Service->Config.SetTrackDirectory(1, B);
  Service->EntriesOf[A] = {A + ";txt", A2 + ";txt"};
  Service->OnCall = [](const std::string& Call) {
    if (Call.rfind("File f.txt", 0) == 0) { PostControl(SERVICE_CONTROL_STOP); }
  };

  Service->RunCycle();

  EXPECT_EQ(Service->Calls, (Lines{"Build " + A, "Prepare 0", "Map dirlist.dst -1", "Ascending " + A + ";txt",
                                   "File f.txt " + A + ";txt", "AfterDirectory", "AfterDestination 0", "Build " + B}));
  EXPECT_EQ(CycleLog(),
            (Lines{CancelText, "processed 1 files OK, 0 files bad, elapsed 0:00:00:000", CancelText}));
  EXPECT_NE(ReadTextFile(A + "\\dirlist.dst").find("f.txt\t"), std::string::npos);  // saved before giving way
}

}  // namespace
