#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "pipeclient.h"
#include "pipetestenv.h"
#include "rtl/datetime.h"
#include "rtl/formatdatetime.h"
#include "service/pipeserver.h"
#include "service/srvinfo.h"
#include "support/waitfor.h"

namespace {

std::unique_ptr<TPipeServer> StartBareServer(const std::string& Name, int32_t Instances, int32_t LogLevel = 0) {
  auto Server = std::make_unique<TPipeServer>(Name, Instances, &PipeSecurityAttributes);
  Server->LogLevel = LogLevel;
  Server->Start();
  return Server;
}

// How many times the test log holds the line that a server thread logs as it starts.
size_t ThreadStartsLogged() {
  const std::string Log = ReadWholeFile(TestLogFileName());
  const std::string Started = "\tNamed pipe server thread started\r\n";
  size_t Count = 0;
  for (size_t At = Log.find(Started); At != std::string::npos; At = Log.find(Started, At + 1)) { ++Count; }
  return Count;
}

bool ThreadEnds(TThread& Thread, DWORD Timeout = 5000) {
  return WaitForSingleObject(Thread.Handle(), Timeout) == WAIT_OBJECT_0;
}

bool IsAck(const std::string& Answer, const std::string& Size, const std::string& Before, const std::string& After) {
  const std::string Head = "ACK " + Size + " bytes ";
  if (Answer.size() != Head.size() + 8 || Answer.compare(0, Head.size(), Head) != 0) { return false; }
  const std::string Time = Answer.substr(Head.size());
  return (Time >= Before && Time <= After) || Before > After;  // After < Before: midnight passed
}

std::string TimeNow() { return FormatDateTime("hh:nn:ss", Now()); }

// The open fails with ERROR_PIPE_BUSY; the one-call transaction that does not wait
// fails too (Wine's reports the wait's ERROR_SEM_TIMEOUT).
void ExpectEveryInstanceBusy(const std::string& Path) {
  HANDLE Pipe = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(Pipe, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_BUSY));
  if (Pipe != INVALID_HANDLE_VALUE) { CloseHandle(Pipe); }
  std::string Answer;
  DWORD Error = 0;
  EXPECT_FALSE(CallPipe(Path, MakeRequest(ReqGetStats), Answer, NMPWAIT_NOWAIT, &Error));
  EXPECT_TRUE(Error == ERROR_PIPE_BUSY || Error == ERROR_SEM_TIMEOUT) << Error;
}

}  // namespace

TEST(PipeServer, BareServerAnswersAckWithTheRequestSizeAndTime) {
  const std::string Name = UniquePipeName("Bare");
  auto Server = StartBareServer(Name, 2);
  ASSERT_TRUE(WaitForPipe(PipePath(Name)));
  const std::string Before = TimeNow();
  const std::string Answer = Call(PipePath(Name), MakeRequest(ReqGetStats));
  const std::string Short = Call(PipePath(Name), "x");
  const std::string After = TimeNow();
  EXPECT_EQ(Answer.size(), 21u);
  EXPECT_TRUE(IsAck(Answer, "28", Before, After)) << Answer;
  EXPECT_TRUE(IsAck(Short, "1", Before, After)) << Short;
}

TEST(PipeServer, ServesSeveralRequestsOnOneConnection) {
  const std::string Name = UniquePipeName("Twice");
  auto Server = StartBareServer(Name, 1);
  TPipeConnection Client;
  ASSERT_TRUE(Client.Open(PipePath(Name)));
  std::string First, Second;
  const std::string Before = TimeNow();
  ASSERT_TRUE(Client.Transact(std::string(28, 'a'), First));
  ASSERT_TRUE(Client.Transact(std::string(16384, 'b'), Second));
  const std::string After = TimeNow();
  EXPECT_TRUE(IsAck(First, "28", Before, After)) << First;
  EXPECT_TRUE(IsAck(Second, "16384", Before, After)) << Second;
}

TEST(PipeServer, DropsARequestLongerThanItsBufferAndListensAgain) {
  const std::string Name = UniquePipeName("Long");
  auto Server = StartBareServer(Name, 1);
  {
    TPipeConnection Client;
    ASSERT_TRUE(Client.Open(PipePath(Name)));
    Client.Write(std::string(20000, 'z'));
    std::string Answer;
    EXPECT_FALSE(Client.Read(Answer)) << Answer;
  }
  // The one instance serves the next client.
  EXPECT_EQ(Call(PipePath(Name), std::string(28, 'a')).substr(0, 13), "ACK 28 bytes ");
}

// Whether the client leaves before the answer is written, while it is written
// or after the request alone, the one instance listens again each time.
TEST(PipeServer, ClientsThatLeaveBeforeTheirAnswerLeaveTheInstanceListening) {
  const std::string Name = UniquePipeName("Leave");
  auto Server = StartBareServer(Name, 1);
  for (int i = 0; i < 5; ++i) {
    TPipeConnection Client;
    ASSERT_TRUE(Client.Open(PipePath(Name))) << i;
    ASSERT_TRUE(Client.Write(std::string(28 + i, 'q'))) << i;
    if (i % 2) { Sleep(20); }  // the answer may be waiting unread when it goes
    Client.Close();
  }
  EXPECT_EQ(Call(PipePath(Name), "abc").substr(0, 12), "ACK 3 bytes ");
}

// Stop under a steady load of clients ends the thread, whether it finds the
// thread in its wait or between the steps it takes without waiting.
TEST(PipeServer, StopEndsTheThreadWhileClientsKeepItBusy) {
  const std::string Name = UniquePipeName("Hammer");
  auto Server = StartBareServer(Name, 2);
  ASSERT_TRUE(WaitForPipe(PipePath(Name)));
  std::atomic<bool> Running{true};
  std::atomic<int> Answered{0};
  std::vector<std::thread> Clients;
  for (int c = 0; c < 3; ++c) {
    Clients.emplace_back([&] {
      for (int i = 0; i < 5000 && Running; ++i) {
        std::string Answer;
        if (CallPipe(PipePath(Name), "ping", Answer, NMPWAIT_NOWAIT)) { ++Answered; }
      }
    });
  }
  WaitFor([&] { return Answered >= 50; }, 5000, 10);
  EXPECT_GE(Answered, 50);
  Server->Stop();
  EXPECT_TRUE(ThreadEnds(*Server));
  Running = false;
  for (std::thread& Client : Clients) { Client.join(); }
}

TEST(PipeServer, AClientThatDoesNotWaitFindsEveryInstanceBusy) {
  const std::string Name = UniquePipeName("Busy");
  auto Server = StartBareServer(Name, 2);
  TPipeConnection First, Second;
  ASSERT_TRUE(First.Open(PipePath(Name)));
  ASSERT_TRUE(Second.Open(PipePath(Name)));
  ExpectEveryInstanceBusy(PipePath(Name));
  std::string Answer;
  // The busy instances still serve their own clients.
  ASSERT_TRUE(Second.Transact("hello", Answer));
  EXPECT_EQ(Answer.substr(0, 12), "ACK 5 bytes ");
  First.Close();
  EXPECT_EQ(Call(PipePath(Name), "abc").substr(0, 12), "ACK 3 bytes ");
}

TEST(PipeServer, StopWithAClientConnectedEndsTheThreadAndBreaksThePipe) {
  const std::string Name = UniquePipeName("Stop");
  auto Server = StartBareServer(Name, 1);
  TPipeConnection Client;
  ASSERT_TRUE(Client.Open(PipePath(Name)));
  std::string Answer;
  ASSERT_TRUE(Client.Transact("ping", Answer));
  Server->Stop();
  Server->Stop();
  EXPECT_TRUE(ThreadEnds(*Server));
  EXPECT_FALSE(Client.Transact("ping", Answer));
}

TEST(PipeServer, InstanceCountIsCutToSixtyFourAndZeroServesNothing) {
  EXPECT_EQ(std::make_unique<TPipeServer>("Many", 100, nullptr)->InstanceCount(), 64);
  EXPECT_EQ(std::make_unique<TPipeServer>("Neg", -1, nullptr)->InstanceCount(), 0);
  const std::string Name = UniquePipeName("None");
  const size_t Before = ThreadStartsLogged();
  auto Server = StartBareServer(Name, 0, 1);
  ASSERT_TRUE(WaitFor([&] { return ThreadStartsLogged() > Before; }, 5000, 10));
  EXPECT_FALSE(WaitNamedPipeA(PipePath(Name).c_str(), NMPWAIT_NOWAIT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  Server->Stop();
  EXPECT_TRUE(ThreadEnds(*Server));
}

// 65 handles would be needed for one wait: every instance, the last one too,
// must serve, and Stop must still end the thread.
TEST(PipeServer, SixtyFourInstancesServeSixtyFourClientsAtOnce) {
  constexpr int Clients = 64;
  const std::string Name = UniquePipeName("Full");
  auto Server = StartBareServer(Name, Clients);
  ASSERT_TRUE(WaitForPipe(PipePath(Name)));
  std::atomic<int> Connected{0}, Answered{0};
  HANDLE Go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::vector<std::thread> Threads;
  for (int i = 0; i < Clients; ++i) {
    Threads.emplace_back([&, i] {
      TPipeConnection Client;
      if (!Client.Open(PipePath(Name), 10000)) { return; }
      ++Connected;
      WaitForSingleObject(Go, 10000);
      const std::string Request(i + 1, 'r');
      std::string Answer;
      if (Client.Transact(Request, Answer) && Answer.rfind("ACK " + std::to_string(i + 1) + " bytes ", 0) == 0) {
        ++Answered;
      }
    });
  }
  WaitFor([&] { return Connected == Clients; }, 10000, 10);
  EXPECT_EQ(Connected, Clients);
  ExpectEveryInstanceBusy(PipePath(Name));
  SetEvent(Go);
  WaitFor([&] { return Answered >= Connected; }, 10000, 10);
  EXPECT_EQ(Answered, Clients);
  Server->Stop();  // breaks the pipe of any client still waiting
  EXPECT_TRUE(ThreadEnds(*Server));
  for (std::thread& Thread : Threads) { Thread.join(); }
  CloseHandle(Go);
}

namespace {

// Its first listens fail the way a client that came and went makes them fail.
class TFailingListenServer : public TOrdanixSrvInfo {
public:
  static constexpr int Failures = 3;
  explicit TFailingListenServer(const std::string& Name) : TOrdanixSrvInfo(Name, 1) {}
  ~TFailingListenServer() override {
    Stop();
    WaitFor();
  }
  std::atomic<int> Calls{0};
  DWORD Ticks[Failures + 1] = {};

protected:
  BOOL StartListening(HANDLE Pipe, OVERLAPPED& Overlapped) override {
    const int Call = Calls;
    if (Call <= Failures) { Ticks[Call] = GetTickCount(); }
    ++Calls;
    if (Call < Failures) {
      SetLastError(ERROR_NO_DATA);
      return FALSE;
    }
    return TOrdanixSrvInfo::StartListening(Pipe, Overlapped);
  }
};

}  // namespace

TEST(PipeServer, AFailedListenIsRetriedAfterADelayAndCounted) {
  const std::string Name = UniquePipeName("Retry");
  auto Server = std::make_unique<TFailingListenServer>(Name);
  Server->Start();
  WaitFor([&] { return Server->Calls > TFailingListenServer::Failures; }, 5000, 10);
  ASSERT_EQ(Server->Calls, TFailingListenServer::Failures + 1);
  for (int i = 1; i <= TFailingListenServer::Failures; ++i) {
    EXPECT_GE(Server->Ticks[i] - Server->Ticks[i - 1], TPipeServer::ListenRetryDelay - 50) << i;
  }
  const std::string Answer = Call(PipePath(Name), MakeRequest(ReqGetStats));
  ASSERT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize));
  TPipeServerStats Stats;
  memcpy(&Stats, Answer.data() + PipeStatsOffset, sizeof(Stats));
  EXPECT_EQ(Stats.ConnectErrors, static_cast<uint32_t>(TFailingListenServer::Failures));
  EXPECT_EQ(Stats.Connections, 1u);
  // No listen beyond the failed ones and the one that served; the answered
  // client's hang-up may already have made the instance listen again.
  EXPECT_LE(Server->Calls, TFailingListenServer::Failures + 2);
}
