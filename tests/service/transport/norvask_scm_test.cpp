// norvask.exe itself, installed into the service control manager, started,
// watched through its folders, its log and its information pipe, and stopped.
#include <algorithm>
#include <cstdio>
#include <ostream>

#include "support/ftptestenv.h"
#include "tests/service/transport/norvaskfixture.h"

namespace {

// FTP settings that send the shop to Server, with every step logged.
std::string FtpIni(const std::string& Shop, const std::string& Folder, const std::string& Server,
                   int Interval = 600) {
  return "[General]\r\nLogDetailed=1\r\nTimeBetweenActions=" + std::to_string(Interval) +
         "\r\n[Directory0]\r\nTrackDirectory=" + Shop + "\r\n[Transport]\r\nTransport=FTP\r\nDestination0=" +
         FtpTestEnv::HostOf(Server) + "\r\nPort=" +
         std::to_string(FtpTestEnv::PortOf(Server)) + "\r\nPassiveMode=1\r\nUsername=" + FtpTestEnv::User +
         "\r\nPassword=" + FtpTestEnv::Password + "\r\nDestinationDirectory=" + Folder + "\r\n";
}

}  // namespace

TEST_F(NorvaskServiceTest, CopiesToTwoDestinationsAndSendsOnlyWhatChanged) {
  ShopFile("comptage\\a.scb", "one");
  ShopFile("shopinfo.arg", "region");
  Install("[General]\r\nTimeBetweenActions=1\r\n[Directory0]\r\nTrackDirectory=" + Shop +
          "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + Out0 + "\r\nDestination1=" + Out1 +
          "\r\nDestinationDirectory=S\r\n");
  Start();
  ASSERT_TRUE(WaitFor([&] { return FileExists(Out1 + "\\S\\comptage\\a.scb") && FileExists(Out1 + "\\S\\shopinfo.arg"); }));
  EXPECT_TRUE(FileExists(Out0 + "\\S\\comptage\\a.scb"));
  EXPECT_TRUE(FileExists(Shop + "\\comptage\\trlist0.dst"));
  EXPECT_TRUE(FileExists(Shop + "\\comptage\\trlist1.dst"));

  // The information pipe answers for the running service.
  ASSERT_TRUE(WaitFor([&] { return Stats().LastGroupOk == 4; })) << Log();
  const TServiceStatsRecord S = Stats();
  EXPECT_EQ(S.RecordSize, 511);
  EXPECT_STREQ(S.LastFileOk, "shop\\comptage\\a.scb");
  EXPECT_NE(S.NextFileCheckAt.wYear, 0);
  EXPECT_TRUE(Control(SERVICE_CONTROL_INTERROGATE));

  // Later cycles send a changed file again, and nothing else.
  DeleteFileA((Out0 + "\\S\\shopinfo.arg").c_str());
  ShopFile("comptage\\a.scb", "one, then two");
  ASSERT_TRUE(WaitFor([&] { return ReadTextFile(Out0 + "\\S\\comptage\\a.scb") == "one, then two"; }));
  ASSERT_TRUE(WaitForCycles(2));  // two more cycles
  EXPECT_FALSE(FileExists(Out0 + "\\S\\shopinfo.arg"));
  Stop();

  const std::string L = Log();
  EXPECT_NE(L.find("\tTransportSvc service started\r\n"), std::string::npos);
  EXPECT_NE(L.find("\tCopie des nouveaux fichiers du dossier vers " + Out0 + "\\S, et aussi vers " + Out1 + "\\S\r\n"),
            std::string::npos);
  EXPECT_NE(L.find("\tprocessed 4 files OK, 0 files bad, elapsed "), std::string::npos);
  EXPECT_NE(L.find("\tTransportSvc service stopped\r\n"), std::string::npos);
  EXPECT_EQ(L.find("Processing chain"), std::string::npos);  // detailed logging is off
}

TEST_F(NorvaskServiceTest, UploadsByFtpWithDetailedLogging) {
  ShopFile("comptage\\a.scb", "by ftp");
  const std::string Folder = "scm" + std::to_string(GetCurrentProcessId());
  Install(FtpIni(Shop, Folder, "ftp", 60));
  Start();
  const std::string Remote = FtpTestEnv::HomePath(Folder + "/comptage/a.scb");
  ASSERT_TRUE(WaitFor([&] { return Logged("processed 1 files OK"); })) << Log();
  EXPECT_TRUE(FtpTestEnv::SameContents(Shop + "\\comptage\\a.scb", Remote));
  Stop();
  for (const char* Line : {"Processing chain ", "Connection à 127.0.0.1:", "transmission du fichier ",
                           "postprocessing after 1 source files finished, elapsed ", "Stopping service...",
                           "Pipe server \"TrSvcInfo\" stopped"}) {
    EXPECT_TRUE(Logged(Line)) << Line;
  }
  EXPECT_FALSE(Logged("Starting service..."));  // the switch is read after that line
}

TEST_F(NorvaskServiceTest, ExactTimeModeRunsOnceAndSchedulesTheNextListedTime) {
  ShopFile("comptage\\a.scb", "x");
  SYSTEMTIME Now;
  GetLocalTime(&Now);
  char Time[8];
  std::snprintf(Time, sizeof Time, "%02d:%02d", Now.wHour, Now.wMinute);  // just passed: the first run is 5 s away
  Install("[General]\r\nExactTimeMode=1\r\nExactTime=" + std::string(Time) + "\r\nTimeBetweenActions=1\r\n"
          "[Directory0]\r\nTrackDirectory=" + Shop + "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + Out0 +
          "\r\nDestinationDirectory=S\r\n");
  Start();
  ASSERT_TRUE(WaitFor([&] { return FileExists(Out0 + "\\S\\comptage\\a.scb"); }));
  ASSERT_TRUE(WaitFor([&] { return Stats().NextFileCheckAt.wMinute == Now.wMinute && Stats().NextFileCheckAt.wDay != Now.wDay; }));
  // That no cycle is due before then, the interval of 1 s notwithstanding, is
  // shown on the scheduler's clock (tests/service/nextrun_test.cpp).
  Stop();
}

TEST_F(NorvaskServiceTest, AStopDuringACycleEndsTheServiceAndLosesNothing) {
  constexpr int Files = 2000;
  auto Name = [](int I) { return "\\f" + std::to_string(10000 + I) + ".scb"; };
  for (int I = 0; I < Files; ++I) { ShopFile("comptage" + Name(I), "data " + std::to_string(I)); }
  Install("[General]\r\nTimeBetweenActions=600\r\n[Directory0]\r\nTrackDirectory=" + Shop +
          "\r\n[Transport]\r\nTransport=COPY\r\nDestination0=" + Out0 + "\r\nDestinationDirectory=S\r\n");
  Start();
  const std::string Sent = Out0 + "\\S\\comptage";
  // Files are offered in descending order: the last name goes first.
  ASSERT_TRUE(WaitFor([&] { return FileExists(Sent + Name(Files - 1)); }));
  ASSERT_TRUE(Control(SERVICE_CONTROL_STOP));
  ASSERT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }));
  EXPECT_TRUE(Logged("\tTransportSvc service stopped\r\n"));
  EXPECT_FALSE(FileExists(Sent + Name(0))) << "the cycle ended before the stop";

  Start();  // what was not sent goes at the next start
  // The last file is whole once it reads back: it exists while it is being copied.
  ASSERT_TRUE(WaitFor([&] { return ReadTextFile(Sent + Name(0)) == "data 0"; }, 60000)) << Log();
  for (int I = 0; I < Files; ++I) {
    ASSERT_EQ(ReadTextFile(Sent + Name(I)), "data " + std::to_string(I)) << I;
  }
  Stop();
}

// A stop during an upload that is still moving lets the file go to its end, on
// a dial-up line as on a fast one, where much of the file may lie in the
// system's buffers and the line's queue where nothing can be seen to move: the
// service reports stop-pending at once and advances its check point within
// every wait hint, so that the manager and the console keep waiting; it stops
// once the file is whole on the server, records it as sent and does not send it
// again after the next start.
struct TMovingUpload {
  const char* Server;
  uint32_t Rate;    // bytes of data a second that the line carries
  uint64_t Size;
  uint64_t StopAt;  // bytes on the server when the stop comes
};

void PrintTo(const TMovingUpload& Line, std::ostream* Out) {
  *Out << Line.Size << " bytes to \"" << Line.Server << "\", stopped at " << Line.StopAt;
}

class AStopDuringAnUpload : public NorvaskServiceTest, public testing::WithParamInterface<TMovingUpload> {};

TEST_P(AStopDuringAnUpload, LetsTheMovingFileArriveWholeAndRecorded) {
  if (const std::string Why = FtpTestEnv::WhyNoSlowLines(); !Why.empty()) { GTEST_SKIP() << Why; }
  const TMovingUpload& Line = GetParam();
  FtpTestEnv::WritePatternFile(Shop + "\\comptage\\big.scb", Line.Size);
  const std::string Folder = "moving" + std::to_string(GetCurrentProcessId());
  Install(FtpIni(Shop, Folder, Line.Server, 1));
  const std::string Remote = FtpTestEnv::HomePath(Folder + "/comptage/big.scb");
  DeleteFileA(Remote.c_str());  // an earlier line's
  Start();
  // When the server got the first byte and the whole file: a line that is not
  // as slow as it should be would make this test pass for nothing.
  DWORD FirstByteAt = 0, WholeAt = 0;
  auto OnServer = [&] {
    const uint64_t Size = FtpTestEnv::FileSize(Remote);
    if (Size > 0 && FirstByteAt == 0) { FirstByteAt = GetTickCount(); }
    if (Size == Line.Size && WholeAt == 0) { WholeAt = GetTickCount(); }
    return Size;
  };
  const DWORD ToStopAt = static_cast<DWORD>(Line.StopAt * 1000 / Line.Rate);
  ASSERT_TRUE(WaitFor([&] { return OnServer() >= Line.StopAt; }, ToStopAt + WaitLimitMs, 20)) << Log();

  const DWORD Begin = GetTickCount();
  ASSERT_TRUE(Control(SERVICE_CONTROL_STOP));
  const DWORD Remaining = static_cast<DWORD>((Line.Size - OnServer()) * 1000 / Line.Rate);
  SERVICE_STATUS_PROCESS S = ServiceStatus();
  EXPECT_EQ(S.dwCurrentState, static_cast<DWORD>(SERVICE_STOP_PENDING));
  DWORD CheckPoint = S.dwCheckPoint, WaitHint = S.dwWaitHint;
  DWORD LastAdvance = Begin, LongestWithoutAdvance = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        OnServer();
        S = ServiceStatus();
        const DWORD Now = GetTickCount();
        LongestWithoutAdvance = std::max(LongestWithoutAdvance, Now - LastAdvance);
        if (S.dwCurrentState == SERVICE_STOP_PENDING && S.dwCheckPoint != CheckPoint) {
          CheckPoint = S.dwCheckPoint;
          WaitHint = S.dwWaitHint;
          LastAdvance = Now;
        }
        return S.dwCurrentState == SERVICE_STOPPED;
      },
      Remaining + 60000, 20))
      << Log();
  const DWORD Took = GetTickCount() - Begin;
  std::printf("[          ] the stop during an upload to \"%s\" took %lu ms, with %lu ms of the file left; "
              "%llu of %llu bytes arrived\n",
              Line.Server, Took, Remaining, static_cast<unsigned long long>(FtpTestEnv::FileSize(Remote)),
              static_cast<unsigned long long>(Line.Size));
  ASSERT_TRUE(FtpTestEnv::SameContents(Shop + "\\comptage\\big.scb", Remote)) << Log();
  EXPECT_GE(WholeAt - FirstByteAt, Line.Size * 1000 / Line.Rate * 8 / 10) << "the line is faster than its rate";
  EXPECT_LE(Took, Remaining + 5000);
  EXPECT_LT(LongestWithoutAdvance, WaitHint) << "the stop seemed hung while the file moved";
  EXPECT_NE(ReadTextFile(Shop + "\\comptage\\trlist0.dst").find("big.scb"), std::string::npos);
  EXPECT_FALSE(Logged("Copie impossible")) << Log();

  const size_t LogSize = Log().size();
  Start();
  ASSERT_TRUE(WaitForCycles(2));
  Stop();
  EXPECT_EQ(Log().find("transmission du fichier ", LogSize), std::string::npos) << Log();
}

// A fast line; a dial-up line with a file that the buffers take whole at once;
// an ISDN line stopped soon after the start of a file, before its pace is known,
// and half way through a larger one, once it is known.
INSTANTIATE_TEST_SUITE_P(Lines, AStopDuringAnUpload,
                         testing::Values(TMovingUpload{"trickle", 256 * 1024, 3u << 20, 512 * 1024},
                                         TMovingUpload{"dialup", 4 * 1024, 64 * 1024, 8 * 1024},
                                         TMovingUpload{"isdn", 8 * 1024, 200 * 1024, 24 * 1024},
                                         TMovingUpload{"isdn", 8 * 1024, 800 * 1024, 400 * 1024}));

// A server that stops answering (after its greeting, in the middle of a file,
// after a first file has gone, or once it has taken a file whole, with or
// without closing the data connection) or an address that never answers the
// connect does not hold a stop: the service reports stop-pending at once; what
// holds no file is cut at once, a file that stalls once nothing has moved for the
// wait hint, counted from when the server closed the data connection or else
// from when the line should have carried the file. The interrupted file is sent
// whole after the next start.
TEST_F(NorvaskServiceTest, AStopEndsTheServiceSoonWhenTheServerStalls) {
  const std::string Folder = "stop" + std::to_string(GetCurrentProcessId());
  auto Ini = [&](const std::string& Server) { return FtpIni(Shop, Folder, Server); };
  Install(Ini("ftp"));
  const std::string Remote = FtpTestEnv::HomePath(Folder + "/comptage/big.scb");
  constexpr uint64_t Large = 24u << 20, Small = 40u << 10, Medium = 2u << 20;  // Large: more than the buffers hold
  // A file that the buffers may hold whole is timed at the slowest line's pace
  // before the wait hint counts: 40 KB at 3,500 bytes a second.
  constexpr DWORD AtOnce = 5000, AfterTheWaitHint = 15000, AfterTheSlowestPace = 30000;
  struct TStall {
    const char* Server;
    uint64_t Size;     // of big.scb
    bool FirstFile;    // a small file goes whole before big.scb
    const char* Sign;  // logged or recorded once the service waits on the server
    DWORD LimitMs;
  };
  for (const TStall& Stall : {TStall{"mute", Large, false, "USER ", AtOnce},
                              TStall{"stalldata", Large, false, "stalled after", AfterTheWaitHint},
                              TStall{"stalldata", Large, true, "unanswered PASV", AtOnce},
                              TStall{"blackhole", Large, false, "transmission du fichier ", AtOnce},
                              TStall{"lostreply", Small, false, "received", AfterTheWaitHint},
                              TStall{"lostreply", Medium, false, "received", AfterTheWaitHint},
                              TStall{"hung", Small, false, "received", AfterTheSlowestPace},
                              TStall{"hung", Medium, false, "received", AfterTheSlowestPace}}) {
    SCOPED_TRACE(std::string(Stall.Server) + " with " + std::to_string(Stall.Size) + " bytes" +
                 (Stall.FirstFile ? " after a first file" : ""));
    FtpTestEnv::WritePatternFile(Shop + "\\comptage\\big.scb", Stall.Size);
    WriteTextFile(Dir.Path() + "\\norvask.ini", Ini(Stall.Server));
    DeleteFileA((Shop + "\\comptage\\trlist0.dst").c_str());
    const std::string First = Shop + "\\comptage\\z.scb";  // offered before big.scb
    if (Stall.FirstFile) { ShopFile("comptage\\z.scb", "first"); }
    FtpTestEnv::ForgetRecorded(Stall.Server);
    const size_t LogSize = Log().size();
    Start();
    if (std::string(Stall.Server) == "blackhole") {
      ASSERT_TRUE(WaitFor([&] { return Log().find(Stall.Sign, LogSize) != std::string::npos; }));
    } else {
      ASSERT_TRUE(FtpTestEnv::WaitForRecorded(Stall.Server, Stall.Sign));
    }
    const DWORD Begin = GetTickCount();
    ASSERT_TRUE(Control(SERVICE_CONTROL_STOP));
    const DWORD Reported = ServiceState();
    EXPECT_TRUE(Reported == SERVICE_STOP_PENDING || Reported == SERVICE_STOPPED) << Reported;
    EXPECT_TRUE(WaitFor([] { return ServiceState() == SERVICE_STOPPED; }, Stall.LimitMs, 20)) << Log();
    std::printf("[          ] stop with the \"%s\" server and %llu bytes took %lu ms\n", Stall.Server,
                static_cast<unsigned long long>(Stall.Size), GetTickCount() - Begin);
    EXPECT_NE(Log().find("\tTransportSvc service stopped\r\n", LogSize), std::string::npos);

    DeleteFileA(First.c_str());
    WriteTextFile(Dir.Path() + "\\norvask.ini", Ini("ftp"));
    DeleteFileA(Remote.c_str());
    const size_t RestartLogSize = Log().size();
    Start();
    ASSERT_TRUE(WaitFor([&] { return Log().find("processed 1 files OK", RestartLogSize) != std::string::npos; }))
        << Log();
    EXPECT_TRUE(FtpTestEnv::SameContents(Shop + "\\comptage\\big.scb", Remote));
    Stop();
  }
}
