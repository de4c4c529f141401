#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "pipeclient.h"
#include "service/srvinfo.h"
#include "support/waitfor.h"

namespace {

std::unique_ptr<TOrdanixSrvInfo> StartInfoServer(const std::string& Name, int32_t Instances = 4) {
  auto Server = std::make_unique<TOrdanixSrvInfo>(Name, Instances);
  Server->Start();
  return Server;
}

TPipeServerStats PipeStatsOf(const std::string& Answer) {
  TPipeServerStats Stats{};
  if (Answer.size() != static_cast<size_t>(StatsAnswerSize)) { return Stats; }
  std::memcpy(&Stats, Answer.data() + PipeStatsOffset, sizeof(Stats));
  return Stats;
}

std::string UnknownAnswer() {
  std::string Answer(PipeHeaderSize, '\0');
  std::memcpy(Answer.data(), "ANSREQUNKNOWN", 13);
  return Answer;
}

void FillRecord(TServiceStatsRecord& Record) {
  Record.RecordSize = sizeof(TServiceStatsRecord);
  Record.VersionMajor = 2;
  Record.Busy = 1;
  std::strcpy(Record.LastErrorText, "disk full");
  Record.LastGroupMs = 1234;
}

}  // namespace

TEST(SrvInfo, StatsAnswerHasItsExactLayout) {
  const std::string Name = UniquePipeName("Stats");
  auto Server = StartInfoServer(Name);
  Server->OnGetStats.Set([](TOrdanixSrvInfo&, TServiceStatsRecord& Record) { FillRecord(Record); });
  const std::string Answer = Call(PipePath(Name), MakeRequest(ReqGetStats));
  ASSERT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize));
  EXPECT_EQ(Answer.substr(0, 16), std::string("ANSGETSTATS\0\0\0\0\0", 16));
  EXPECT_EQ(HeaderOf(Answer).ErrorCode, 0);
  EXPECT_EQ(HeaderOf(Answer).Reserved, 0);
  EXPECT_EQ(HeaderOf(Answer).DataLength, 567);
  EXPECT_EQ(Answer.substr(ServiceStatsOffset, 2), "\xFF\x01");
  TServiceStatsRecord Expected{};
  FillRecord(Expected);
  EXPECT_EQ(Answer.substr(ServiceStatsOffset), std::string(reinterpret_cast<const char*>(&Expected), sizeof(Expected)));
  SYSTEMTIME Now;
  GetLocalTime(&Now);
  EXPECT_EQ(PipeStatsOf(Answer).StartTime.wYear, Now.wYear);
  EXPECT_EQ(PipeStatsOf(Answer).Reserved, 0u);
}

TEST(SrvInfo, WithoutAHandlerTheServiceRecordIsZero) {
  const std::string Name = UniquePipeName("NoHandler");
  auto Server = StartInfoServer(Name);
  Server->OnGetStats.Set([](TOrdanixSrvInfo&, TServiceStatsRecord& Record) { FillRecord(Record); });
  Server->OnGetStats.Set(nullptr);
  const std::string Answer = Call(PipePath(Name), MakeRequest(ReqGetStats));
  ASSERT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize));
  EXPECT_EQ(Answer.substr(ServiceStatsOffset), std::string(511, '\0'));
}

TEST(SrvInfo, ShortAndForeignRequestsAreUnknown) {
  const std::string Name = UniquePipeName("Unknown");
  auto Server = StartInfoServer(Name);
  EXPECT_EQ(Call(PipePath(Name), MakeRequest(ReqGetStats).substr(0, 27)), UnknownAnswer());
  EXPECT_EQ(Call(PipePath(Name), MakeRequest(ReqGetConfig)), UnknownAnswer());
  EXPECT_EQ(Call(PipePath(Name), MakeRequest(ReqSetConfig, 3, "a=b")), UnknownAnswer());
  EXPECT_EQ(Call(PipePath(Name), MakeRequest("reqgetstats")), UnknownAnswer());
  EXPECT_EQ(Call(PipePath(Name), std::string(40, 'R')), UnknownAnswer());
}

TEST(SrvInfo, OnRequestAnswersFurtherKeywords) {
  const std::string Name = UniquePipeName("Hook");
  auto Server = StartInfoServer(Name);
  Server->OnRequest.Set([](const uint8_t* Request, uint32_t, uint8_t* Answer, int32_t, int32_t& AnswerLen) {
    if (!HasKeyword(Request, "REQPING")) { return false; }
    WritePipeHeader(Answer, "ANSPING", 0, 7);
    AnswerLen = PipeHeaderSize;
    return true;
  });
  const std::string Ping = Call(PipePath(Name), MakeRequest("REQPING"));
  EXPECT_EQ(Ping.size(), 28u);
  EXPECT_STREQ(HeaderOf(Ping).Keyword, "ANSPING");
  EXPECT_EQ(HeaderOf(Ping).ErrorCode, 7);
  EXPECT_EQ(Call(PipePath(Name), MakeRequest("REQOTHER")), UnknownAnswer());
}

TEST(SrvInfo, CountsConnectionsRequestsAndAnswers) {
  const std::string Name = UniquePipeName("Counters");
  auto Server = StartInfoServer(Name, 1);
  const TPipeServerStats First = PipeStatsOf(Call(PipePath(Name), MakeRequest(ReqGetStats)));
  EXPECT_EQ(First.Connections, 1u);
  EXPECT_EQ(First.Requests, 1u);
  EXPECT_EQ(First.BytesReceived, 28);
  EXPECT_EQ(First.Answers, 0u);
  EXPECT_EQ(First.BytesSent, 0);
  EXPECT_EQ(Call(PipePath(Name), MakeRequest("NOPE") + "xy"), UnknownAnswer());
  TPipeConnection Client;
  ASSERT_TRUE(Client.Open(PipePath(Name)));
  std::string Answer;
  ASSERT_TRUE(Client.Transact(MakeRequest(ReqGetStats), Answer));
  ASSERT_TRUE(Client.Transact(MakeRequest(ReqGetStats), Answer));
  const TPipeServerStats Last = PipeStatsOf(Answer);
  EXPECT_EQ(Last.Connections, 3u);
  EXPECT_EQ(Last.ConnectErrors, 0u);
  EXPECT_EQ(Last.Requests, 4u);
  EXPECT_EQ(Last.BytesReceived, 28 + 30 + 28 + 28);
  EXPECT_EQ(Last.Answers, 3u);
  EXPECT_EQ(Last.BytesSent, StatsAnswerSize + 28 + StatsAnswerSize);
  EXPECT_EQ(Last.WriteErrors, 0u);
}

// One-call clients in a row while another client holds an instance: each is
// answered, and every connection, request and answer is counted once, however
// the server chains its steps and takes back the instances whose client left.
TEST(SrvInfo, ClientsInARowAreEachAnsweredAndCountedOnce) {
  const std::string Name = UniquePipeName("InARow");
  auto Server = StartInfoServer(Name, 2);
  TPipeConnection Holder;
  ASSERT_TRUE(Holder.Open(PipePath(Name)));
  constexpr uint32_t Calls = 40;
  std::string Answer;
  for (uint32_t I = 0; I < Calls; ++I) {
    Answer = Call(PipePath(Name), MakeRequest(ReqGetStats));
    ASSERT_EQ(Answer.size(), static_cast<size_t>(StatsAnswerSize)) << "call " << I;
  }
  ASSERT_TRUE(Holder.Transact(MakeRequest(ReqGetStats), Answer));
  const TPipeServerStats Stats = PipeStatsOf(Answer);
  EXPECT_EQ(Stats.Connections, Calls + 1);
  EXPECT_EQ(Stats.ConnectErrors, 0u);
  EXPECT_EQ(Stats.Requests, Calls + 1);
  EXPECT_EQ(Stats.Answers, Calls);
  EXPECT_EQ(Stats.BytesSent, StatsAnswerSize * static_cast<int64_t>(Calls));
  EXPECT_EQ(Stats.WriteErrors, 0u);
}

TEST(SrvInfo, SeveralClientsAtOnceWhileTheHandlerIsSetAndCleared) {
  const std::string Name = UniquePipeName("Clients");
  auto Server = StartInfoServer(Name);
  std::atomic<int> Good{0}, Bad{0};
  std::vector<std::thread> Clients;
  for (int c = 0; c < 4; ++c) {
    Clients.emplace_back([&] {
      TPipeConnection Client;
      if (!Client.Open(PipePath(Name))) { return ++Bad, void(); }
      for (int i = 0; i < 200; ++i) {
        std::string Answer;
        const bool Ok = Client.Transact(MakeRequest(ReqGetStats), Answer) && Answer.size() == static_cast<size_t>(StatsAnswerSize);
        const std::string Record = Ok ? Answer.substr(ServiceStatsOffset) : "";
        TServiceStatsRecord Filled{};
        FillRecord(Filled);
        const bool Whole = Record == std::string(511, '\0') ||
                           Record == std::string(reinterpret_cast<const char*>(&Filled), sizeof(Filled));
        ++(Ok && Whole ? Good : Bad);
      }
    });
  }
  for (int i = 0; i < 500; ++i) {
    Server->OnGetStats.Set([](TOrdanixSrvInfo&, TServiceStatsRecord& Record) { FillRecord(Record); });
    Server->OnGetStats.Set(nullptr);
  }
  for (std::thread& Client : Clients) { Client.join(); }
  EXPECT_EQ(Good, 800);
  EXPECT_EQ(Bad, 0);
}

TEST(SrvInfo, ClearingAHandlerWaitsForItsRunningCall) {
  const std::string Name = UniquePipeName("Clear");
  auto Server = StartInfoServer(Name);
  std::atomic<bool> Running{false}, Finished{false};
  Server->OnGetStats.Set([&](TOrdanixSrvInfo&, TServiceStatsRecord&) {
    Running = true;
    Sleep(200);
    Finished = true;
  });
  std::thread Client([&] { Call(PipePath(Name), MakeRequest(ReqGetStats)); });
  WaitFor([&] { return Running.load(); }, 5000, 10);
  ASSERT_TRUE(Running);
  Server->OnGetStats.Set(nullptr);
  EXPECT_TRUE(Finished);
  Client.join();
}
