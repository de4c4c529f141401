#include "shared/debuglog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <regex>
#include <thread>
#include <vector>

#include "rtl/files.h"
#include "rtl/formatdatetime.h"
#include "rtl/sync.h"
#include "support/scratchdir.h"

namespace {

struct TEventRecord {
  std::string Text;
  uint16_t Type;
};

class TFakeEventLog : public TLogEventSink {
public:
  void LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) override {
    EXPECT_EQ(Category, 0);
    EXPECT_EQ(ID, 0u);
    Records.push_back({Message, EventType});
  }
  std::vector<TEventRecord> Records;
};

class TFailingEventLog : public TLogEventSink {
public:
  void LogMessage(const std::string&, uint16_t, uint16_t, uint32_t) override { throw std::runtime_error("down"); }
};

// Holds the first entry until Release is set.
class TBlockingEventLog : public TLogEventSink {
public:
  void LogMessage(const std::string&, uint16_t, uint16_t, uint32_t) override {
    ++Calls;
    Entered.SetEvent();
    WaitForSingleObject(Release.Handle(), 10000);
  }
  std::atomic<int> Calls{0};
  TEvent Entered;
  TEvent Release;
};

const std::regex LinePattern(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\t)");

}  // namespace

class DebugLogTest : public testing::Test {
protected:
  TScratchDir Dir{"debuglog"};
  std::string LogPath = Dir.Path() + "\\test.log";
  TFakeEventLog EventLog;
  void SetUp() override { SetLogTarget(&EventLog, LogPath); }
  void TearDown() override { ClearLogTarget(); }
};

TEST_F(DebugLogTest, OneDatedLinePerCallWithLineBreaksFolded) {
  DebugLog(0, "TransportSvc service started");
  DebugLog(3, "first\r\nsecond\rthird\nfourth");
  const std::string Text = ReadTextFile(LogPath);
  auto Second = Text.find("\r\n") + 2;
  EXPECT_TRUE(std::regex_match(Text.substr(0, 20), LinePattern)) << Text;
  EXPECT_EQ(Text.substr(20, Second - 20), "TransportSvc service started\r\n");
  EXPECT_EQ(Text.substr(Second + 20), "first second\rthird\nfourth\r\n");
  ASSERT_EQ(EventLog.Records.size(), 2u);
  EXPECT_EQ(EventLog.Records[1].Text, "first\r\nsecond\rthird\nfourth");  // the event log keeps the breaks
}

TEST_F(DebugLogTest, LevelsUpToTwoAreInformationEverythingElseAnError) {
  for (int Level : {0, 1, 2, 3, 4, -1}) { DebugLog(Level, "x"); }
  std::vector<uint16_t> Types;
  for (const auto& R : EventLog.Records) { Types.push_back(R.Type); }
  EXPECT_EQ(Types, (std::vector<uint16_t>{EVENTLOG_INFORMATION_TYPE, EVENTLOG_INFORMATION_TYPE, EVENTLOG_INFORMATION_TYPE,
                                          EVENTLOG_ERROR_TYPE, EVENTLOG_ERROR_TYPE, EVENTLOG_ERROR_TYPE}));
}

TEST_F(DebugLogTest, AfterClearLogTargetLinesGoToTheSameFileOnly) {
  ClearLogTarget();
  DebugLog(0, "after");
  EXPECT_TRUE(EventLog.Records.empty());
  EXPECT_NE(ReadTextFile(LogPath).find("\tafter\r\n"), std::string::npos);
  EXPECT_EQ(LogFileName(), LogPath);
}

// The service clears its target on its way out while pipe threads may still log.
TEST_F(DebugLogTest, ClearLogTargetWaitsForAnEntryBeingWrittenAndNoneComesAfter) {
  TBlockingEventLog Blocking;
  SetLogTarget(&Blocking, LogPath);
  std::thread Logger([] { DebugLog(0, "from a pipe thread"); });
  ASSERT_EQ(WaitForSingleObject(Blocking.Entered.Handle(), 10000), WAIT_OBJECT_0);
  std::future<void> Cleared = std::async(std::launch::async, [] { ClearLogTarget(); });
  EXPECT_EQ(Cleared.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
  Blocking.Release.SetEvent();
  Cleared.get();
  Logger.join();
  DebugLog(0, "after the clear");
  EXPECT_EQ(Blocking.Calls, 1);
}

TEST_F(DebugLogTest, MissingFolderLosesTheLineButNotTheEventEntry) {
  SetLogTarget(&EventLog, Dir.Path() + "\\missing\\x.log");
  DebugLog(3, "lost");
  EXPECT_EQ(EventLog.Records.size(), 1u);
  EXPECT_FALSE(FileExists(Dir.Path() + "\\missing\\x.log"));
}

TEST_F(DebugLogTest, FailingEventLogIsSwallowed) {
  TFailingEventLog Failing;
  SetLogTarget(&Failing, LogPath);
  EXPECT_NO_THROW(DebugLog(0, "still written"));
  EXPECT_NE(ReadTextFile(LogPath).find("still written"), std::string::npos);
}

TEST_F(DebugLogTest, TrimKeeps131072BytesAndDeletes131073) {
  WriteTextFile(LogPath, std::string(131072, 'x'));
  TrimLogFile();
  EXPECT_TRUE(FileExists(LogPath));
  WriteTextFile(LogPath, std::string(131073, 'x'));
  TrimLogFile();
  EXPECT_FALSE(FileExists(LogPath));
  DebugLog(0, "fresh");
  EXPECT_EQ(ReadTextFile(LogPath).size(), 20u + 5 + 2);
  DeleteFileA(LogPath.c_str());
  EXPECT_NO_THROW(TrimLogFile());  // a missing file is left alone
}

TEST_F(DebugLogTest, AppendsFromManyThreadsNeverInterleave) {
  ClearLogTarget();
  constexpr int Threads = 6, Lines = 150;
  std::vector<std::thread> Workers;
  for (int T = 0; T < Threads; ++T) {
    Workers.emplace_back([T] {
      for (int L = 0; L < Lines; ++L) { DebugLog(0, "thread " + std::to_string(T) + " " + std::string(200, 'a' + T)); }
    });
  }
  for (auto& W : Workers) { W.join(); }
  const std::string Text = ReadTextFile(LogPath);
  const std::regex Line(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\tthread (\d) ([a-f]{200})\r\n)");
  int Count = 0;
  for (std::sregex_iterator It(Text.begin(), Text.end(), Line), End; It != End; ++It) {
    const int T = std::stoi((*It)[1]);
    EXPECT_EQ((*It)[2], std::string(200, 'a' + T));
    ++Count;
  }
  EXPECT_EQ(Count, Threads * Lines);
  EXPECT_EQ(Text.size(), static_cast<size_t>(Threads * Lines) * (20 + 9 + 200 + 2));
}

// The user's regional settings are changed for real, then put back.
class LocaleOverride {
public:
  LocaleOverride(LCTYPE Type, const char* Value) : FType(Type) {
    char Old[80];
    GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, Old, sizeof Old);
    FOld = Old;
    FApplied = SetLocaleInfoA(LOCALE_USER_DEFAULT, Type, Value);
  }
  ~LocaleOverride() {
    if (FApplied) { SetLocaleInfoA(LOCALE_USER_DEFAULT, FType, FOld.c_str()); }
  }
  bool Applied() const { return FApplied; }

private:
  LCTYPE FType;
  std::string FOld;
  bool FApplied;
};

TEST(LogFormat, LinesHaveTheSameFormUnderEveryLocale) {
  const TDateTime Moment = EncodeDate(2024, 5, 31) + EncodeTime(18, 12, 3, 0);
  auto Line = [&] {
    TFormatSettings F = MakeLogFormat(GetLocaleFormatSettings());
    return FormatDateTime("ddddd", Moment, F) + " " + FormatDateTime("tt", Moment, F);
  };
  const std::string Expected = "31/05/2024 18:12:03";
  EXPECT_EQ(Line(), Expected);
  LocaleOverride Date(LOCALE_SDATE, "-"), Short(LOCALE_SSHORTDATE, "yyyy-MM-dd"), Time(LOCALE_STIME, "."),
      Clock(LOCALE_ITIME, "0"), Decimal(LOCALE_SDECIMAL, ",");
  ASSERT_TRUE(Date.Applied() && Short.Applied() && Time.Applied()) << "the platform refused the regional settings";
  ASSERT_EQ(GetLocaleFormatSettings().TimeSeparator, '.');
  EXPECT_EQ(Line(), Expected);
}
