#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "pipeclient.h"
#include "pipetestenv.h"
#include "service/srvcontrol.h"
#include "service/srvinfo.h"
#include "rtl/files.h"
#include "shared/commonhelpers.h"

namespace {

constexpr int Requests = 10000;
constexpr int Clients = 4;
constexpr DWORD TimeLimit = 120000;

const char* const Keywords[] = {ReqGetStats, ReqGetConfig, ReqSetConfig, "REQGET", "", "REQGETSTATSX"};

// Random, truncated, lying and oversized requests; true when the answer, if any,
// is the one the request deserves.
class TFuzzClient {
public:
  TFuzzClient(uint32_t Seed, const std::string& InfoPipe, const std::string& ControlPipe)
      : FRandom(Seed), FInfoPipe(InfoPipe), FControlPipe(ControlPipe) {}

  // The configuration contents this client sent in whole requests.
  std::set<std::string> Sent;
  std::string Last;  // what went wrong last

  bool Step() {
    const bool ToControl = Pick(2) == 0;
    const char* Keyword = Keywords[Pick(std::size(Keywords))];
    std::string Data(Pick(8) == 0 ? Pick(17000) : Pick(64), '\0');
    for (char& C : Data) { C = static_cast<char>(Pick(256)); }
    int32_t DataLength = static_cast<int32_t>(Data.size());
    switch (Pick(4)) {
      case 0: DataLength += static_cast<int32_t>(Pick(100)) + 1; break;  // lying
      case 1: DataLength = -static_cast<int32_t>(Pick(1000)) - 1; break;
      default: break;
    }
    std::string Request = MakeRequest(Keyword, DataLength, Data);
    if (Pick(6) == 0) { Request.resize(Pick(PipeHeaderSize) + 1); }  // truncated
    const std::string Key = Keyword;
    const int64_t Received = static_cast<int64_t>(Request.size()) - PipeHeaderSize;
    if (ToControl && Received >= 0 && Key == ReqSetConfig && DataLength >= 0 && DataLength <= Received &&
        Request.size() <= static_cast<size_t>(PipeBufferSize)) {
      Sent.insert(Request.substr(PipeHeaderSize, DataLength));
    }
    std::string Answer;
    DWORD Error = 0;
    Last = std::string(ToControl ? "control " : "info ") + Key + " size " + std::to_string(Request.size()) +
           " declared " + std::to_string(DataLength);
    // Another client may take the freed instance between the wait and the open.
    bool Called = false;
    for (int Try = 0; Try < 100 && !Called; ++Try) {
      Called = CallPipe(ToControl ? FControlPipe : FInfoPipe, Request, Answer, 10000, &Error);
      if (!Called && Error != ERROR_PIPE_BUSY) { break; }
    }
    if (!Called) {
      Last += " error " + std::to_string(Error);
      // Only a request that does not fit the server's buffer is refused.
      return Request.size() > static_cast<size_t>(PipeBufferSize);
    }
    Last += " answer " + std::string(HeaderOf(Answer).Keyword) + " " + std::to_string(Answer.size()) + " error " +
            std::to_string(HeaderOf(Answer).ErrorCode);
    return Request.size() <= static_cast<size_t>(PipeBufferSize) && Deserved(ToControl, Key, Request, Answer);
  }

private:
  uint32_t Pick(size_t Bound) { return static_cast<uint32_t>(FRandom() % Bound); }

  static bool Deserved(bool ToControl, const std::string& Keyword, const std::string& Request, const std::string& Answer) {
    const TPipeMessageHeader Header = HeaderOf(Answer);
    if (Answer.size() < static_cast<size_t>(PipeHeaderSize)) { return false; }
    const bool Long = Request.size() >= static_cast<size_t>(PipeHeaderSize);
    const std::string Got = Header.Keyword;
    if (Long && !ToControl && Keyword == ReqGetStats) { return Got == AnsGetStats && Answer.size() == static_cast<size_t>(StatsAnswerSize); }
    if (Long && ToControl && Keyword == ReqGetConfig) {
      return Got == AnsGetConfig && Answer.size() == static_cast<size_t>(PipeHeaderSize + Header.DataLength);
    }
    if (Long && ToControl && Keyword == ReqSetConfig) {
      const int32_t Declared = HeaderOf(Request).DataLength;
      const bool Lying = Declared < 0 || Declared > static_cast<int32_t>(Request.size()) - PipeHeaderSize;
      return Got == AnsSetConfig && Answer.size() == 28u && Header.ErrorCode == (Lying ? PipeErrorDataMissing : 0);
    }
    return Answer == MakeRequest(AnsReqUnknown);
  }

  std::mt19937 FRandom;
  std::string FInfoPipe, FControlPipe;
};

}  // namespace

TEST(PipeFuzz, BothServersSurviveRandomRequestsAndTheFileStaysWhole) {
  const std::string InfoName = UniquePipeName("FuzzInfo"), ControlName = UniquePipeName("FuzzControl");
  const std::string FileName = "fuzz_" + std::to_string(GetCurrentProcessId()) + ".ini";
  const std::string Path = AppDir + "\\" + FileName;
  const std::string Initial = "[General]\r\n";
  ASSERT_TRUE(WriteWholeFile(Path, Initial));
  auto Info = std::make_unique<TOrdanixSrvInfo>(InfoName, 4);
  auto Control = std::make_unique<TOrdanixSrvControl>(ControlName, 1, FileName);
  Info->Start();
  Control->Start();
  ASSERT_TRUE(WaitForPipe(PipePath(InfoName)));
  ASSERT_TRUE(WaitForPipe(PipePath(ControlName)));

  std::vector<std::unique_ptr<TFuzzClient>> Fuzzers;
  for (int c = 0; c < Clients; ++c) {
    Fuzzers.push_back(std::make_unique<TFuzzClient>(20240531 + c, PipePath(InfoName), PipePath(ControlName)));
  }
  std::atomic<int> Done{0}, Wrong{0};
  const DWORD Start = GetTickCount();
  std::vector<std::thread> Threads;
  for (auto& Fuzzer : Fuzzers) {
    Threads.emplace_back([&, F = Fuzzer.get()] {
      for (int i = 0; i < Requests / Clients && GetTickCount() - Start < TimeLimit; ++i) {
        if (!F->Step() && ++Wrong <= 5) { ADD_FAILURE() << F->Last; }
        ++Done;
      }
    });
  }
  for (std::thread& Thread : Threads) { Thread.join(); }
  EXPECT_EQ(Wrong, 0);
  EXPECT_GT(Done, Requests / 10);

  const std::string Stats = Call(PipePath(InfoName), MakeRequest(ReqGetStats));
  EXPECT_EQ(HeaderOf(Stats).DataLength, StatsDataLength);
  EXPECT_EQ(Stats.size(), static_cast<size_t>(StatsAnswerSize));
  const std::string Config = Call(PipePath(ControlName), MakeRequest(ReqGetConfig));
  ASSERT_GE(Config.size(), 28u);
  EXPECT_EQ(Config.substr(0, 12), AnsGetConfig);
  std::set<std::string> Contents = {Initial};
  for (auto& Fuzzer : Fuzzers) { Contents.insert(Fuzzer->Sent.begin(), Fuzzer->Sent.end()); }
  EXPECT_TRUE(Contents.count(ReadWholeFile(Path)));
  EXPECT_FALSE(FileExists(Path + ".new"));
  Info.reset();
  Control.reset();
  DeleteFileA(Path.c_str());
}
