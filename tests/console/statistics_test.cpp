// The statistics over the information pipe: what each label shows for the
// service's record, and what short, long, late or wrong answers leave behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "rtl/datetime.h"
#include "rtl/exceptions.h"
#include "shared/pipemessages.h"
#include "support/statisticslabels.h"
#include "tests/console/pipetestwnd.h"

namespace {

SYSTEMTIME Time(WORD Year, WORD Month, WORD Day, WORD Hour, WORD Minute, WORD Second) {
  SYSTEMTIME T{};
  T.wYear = Year;
  T.wMonth = Month;
  T.wDay = Day;
  T.wHour = Hour;
  T.wMinute = Minute;
  T.wSecond = Second;
  return T;
}

// The user's thousands separator, asked of the system itself.
std::string UserThousands() {
  char Separator[8] = "";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, Separator, sizeof Separator);
  return Separator;
}

// Right-aligned in 12 characters.
std::string Right12(const std::string& Text) {
  return Text.size() >= 12 ? Text : std::string(12 - Text.size(), ' ') + Text;
}

class Statistics : public PipeClient {
protected:
  void SetUp() override {
    PipeClient::SetUp();
    Pipe.StartTime = Time(2024, 5, 31, 6, 12, 3);
    Service.RecordSize = sizeof(Service);
  }
  // One answer as the service builds it from Pipe and Service.
  std::vector<uint8_t> StatsAnswer() const {
    std::vector<uint8_t> Data(sizeof(Pipe) + sizeof(Service));
    std::memcpy(Data.data(), &Pipe, sizeof(Pipe));
    std::memcpy(Data.data() + sizeof(Pipe), &Service, sizeof(Service));
    return PipeMessage(AnsGetStats, Data, StatsDataLength);
  }
  void Query(std::vector<uint8_t> Answer, DWORD DelayMs = 0) {
    TScriptedPipeServer Server(InfoName);
    Server.Answer({std::move(Answer), DelayMs});
    Window->QueryStatistics();
    const auto Requests = Server.Requests();
    ASSERT_EQ(Requests.size(), 1u);
    std::vector<uint8_t> Expected(PipeHeaderSize);
    WritePipeHeader(Expected.data(), ReqGetStats, 0);
    EXPECT_EQ(Requests[0], Expected) << "the request is the bare 28-byte header";
  }
  void FillEveryLabel() {
    Window->ShowStatus("état précédent");
    Service.LastGroupOk = 1;
    std::strcpy(Service.LastFileOk, "shop\\comptage\\a.scb");
    std::strcpy(Service.LastFileBad, "shop\\caisse\\b.txt");
    std::strcpy(Service.LastEventText, "Files sent");
    std::strcpy(Service.LastErrorText, "Connection refused");
    Service.NextFileCheckAt = DateTimeToSystemTime(Now() + 60 / SecsPerDay);
    Query(StatsAnswer());
    Shown.clear();
    for (const char* Name : StatisticsLabels) { Shown.push_back(Window->Label(Name)); }
    Window->ShowStatus("état précédent");
  }
  std::string ShownBefore(const char* Name) const {
    const auto Found = std::find(std::begin(StatisticsLabels), std::end(StatisticsLabels), std::string(Name));
    return Shown[Found - std::begin(StatisticsLabels)];
  }
  // After a failed query every label still shows what it showed.
  void ExpectLabelsAsBefore() {
    for (const char* Name : StatisticsLabels) { EXPECT_EQ(Window->Label(Name), ShownBefore(Name)) << Name; }
  }

  TPipeServerStats Pipe{};
  TServiceStatsRecord Service{};
  std::vector<std::string> Shown;
};

// ---- What the labels show -----------------------------------------------------------

TEST_F(Statistics, EveryValueInItsFormat) {
  Window->ShowStatus("Service est en cours d'exécution");
  Pipe.Connections = 1234567;
  Pipe.ConnectErrors = 4000000000u;  // unsigned
  Pipe.Requests = 0;
  Pipe.BytesReceived = 5000000000LL;  // past 32 bits
  Pipe.Answers = 999;
  Pipe.BytesSent = -1234;  // signed
  Pipe.WriteErrors = 1000;
  Service.VersionMajor = 1;
  Service.VersionMinor = 4;
  Service.VersionRelease = 12;
  Service.Busy = 1;
  std::strcpy(Service.LastFileOk, "shop\\comptage\\été.scb");
  Service.LastFileOkAt = Time(2024, 5, 31, 6, 12, 4);
  std::strcpy(Service.LastFileBad, "shop\\caisse\\t1.txt");
  Service.LastFileBadAt = Time(2023, 12, 1, 23, 59, 58);
  Service.LastGroupOk = 3;
  Service.LastGroupBad = 1;
  Service.LastGroupMs = ((1 * 60 + 2) * 60 + 3) * 1000 + 4;
  Service.LastGroupAt = Time(2024, 1, 2, 3, 4, 5);
  std::strcpy(Service.LastEventText, "Fichiers envoyés: 3");
  Service.LastEventTime = Time(2024, 5, 31, 6, 12, 5);
  std::strcpy(Service.LastErrorText, "Connexion refusée");
  Service.LastErrorTime = Time(2024, 5, 31, 6, 12, 6);
  Query(StatsAnswer());

  const std::string Sep = UserThousands();
  EXPECT_EQ(Window->Label("LabVersionVal"), "1.4.12");
  EXPECT_EQ(Window->Label("LabSartedVal"), "31.05.2024 06:12:03");
  EXPECT_EQ(Window->Label("LabConnsVal"), Right12("1" + Sep + "234" + Sep + "567"));
  EXPECT_EQ(Window->Label("LabConErrorsVal"), "4" + Sep + "000" + Sep + "000" + Sep + "000");
  EXPECT_EQ(Window->Label("LabReqVal"), Right12("0"));
  EXPECT_EQ(Window->Label("LabReqBytesVal"), "5" + Sep + "000" + Sep + "000" + Sep + "000");
  EXPECT_EQ(Window->Label("LabAnsVal"), Right12("999"));
  EXPECT_EQ(Window->Label("LabAnsBytesVal"), Right12("-1" + Sep + "234"));
  EXPECT_EQ(Window->Label("LabWriteErrVal"), Right12("1" + Sep + "000"));
  EXPECT_TRUE(Window->Busy());
  EXPECT_EQ(Window->Label("LabLastFileOkVal"), "shop\\comptage\\été.scb");
  EXPECT_EQ(Window->Label("LabLastFileOkAtVal"), "31.05.2024 06:12:04");
  EXPECT_EQ(Window->Label("LabLastFileBadVal"), "shop\\caisse\\t1.txt");
  EXPECT_EQ(Window->Label("LabLastFileBadAtVal"), "01.12.2023 23:59:58");
  EXPECT_EQ(Window->Label("LabLastGroupVal"), "traité sans erreurs - 3, avec les erreurs - 1, en 1:02:03:004");
  EXPECT_EQ(Window->Label("LabLastGroupAtVal"), "02.01.2024 03:04:05");
  EXPECT_EQ(Window->Label("LabLastEvtTimeVal"), "31.05.2024 06:12:05");
  EXPECT_EQ(Window->Label("LabLastEvtTextVal"), "Fichiers envoyés: 3");
  EXPECT_EQ(Window->Label("LabLastErrTimeVal"), "31.05.2024 06:12:06");
  EXPECT_EQ(Window->Label("LabLastErrTextVal"), "Connexion refusée");
  EXPECT_EQ(Window->StatusText(), "") << "a good answer clears the status panel";

  // Idle again on the next answer.
  Service.Busy = 0;
  Query(StatsAnswer());
  EXPECT_FALSE(Window->Busy());
}

TEST_F(Statistics, NextCheckCountsWholeSecondsEitherWay) {
  const struct {
    double OffsetSeconds;  // a little over 30, so that the query's own time does not matter
    const char* Trace;
  } Cases[] = {{30.6, "30 s ahead"}, {-30.2, "30 s behind"}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Trace);
    Service.NextFileCheckAt = DateTimeToSystemTime(Now() + Case.OffsetSeconds / SecsPerDay);
    Query(StatsAnswer());
    EXPECT_EQ(Window->Label("LabNextFileCheckAtVal"),
              SystemTimeToStr(SYSTEMTIME(Service.NextFileCheckAt)) + " (dans 30 sec)");
  }
}

// Year 0 (nothing scheduled), no group, empty texts: those labels stay as they were.
TEST_F(Statistics, ValuesNotSetLeaveTheirLabelsAlone) {
  FillEveryLabel();
  Service = {};
  Service.RecordSize = sizeof(Service);
  Query(StatsAnswer());
  for (const char* Name : {"LabLastFileOkVal", "LabLastFileOkAtVal", "LabLastFileBadVal", "LabLastFileBadAtVal",
                           "LabLastGroupVal", "LabLastGroupAtVal", "LabNextFileCheckAtVal", "LabLastEvtTimeVal",
                           "LabLastEvtTextVal", "LabLastErrTimeVal", "LabLastErrTextVal"}) {
    EXPECT_EQ(Window->Label(Name), ShownBefore(Name)) << Name;
  }
  // A next check that is no date at all is left alone too, and raises nothing.
  Service.NextFileCheckAt = Time(2024, 13, 40, 25, 61, 61);
  EXPECT_NO_THROW(Query(StatsAnswer()));
  EXPECT_EQ(Window->Label("LabNextFileCheckAtVal"), ShownBefore("LabNextFileCheckAtVal"));
}

// Texts that fill their field to the last byte, with no NUL, stop at the field's end.
TEST_F(Statistics, TextsWithoutTheirNulStopAtTheirField) {
  std::memset(Service.LastEventText, 'E', sizeof(Service.LastEventText));
  std::memset(Service.LastErrorText, 'R', sizeof(Service.LastErrorText));
  std::memset(Service.LastFileOk, 'O', sizeof(Service.LastFileOk));
  Service.LastFileOkAt = Time(2024, 5, 31, 6, 12, 4);
  std::memset(Service.LastFileBad, 'B', sizeof(Service.LastFileBad));
  Service.LastFileBadAt = Time(2024, 5, 31, 6, 12, 4);
  Query(StatsAnswer());
  EXPECT_EQ(Window->Label("LabLastEvtTextVal"), std::string(128, 'E'));
  EXPECT_EQ(Window->Label("LabLastErrTextVal"), std::string(128, 'R'));
  EXPECT_EQ(Window->Label("LabLastFileOkVal"), std::string(65, 'O'));
  EXPECT_EQ(Window->Label("LabLastFileBadVal"), std::string(65, 'B'));
}

// ---- Answers that are not good statistics -------------------------------------------

TEST_F(Statistics, ShortOrWrongAnswersLeaveTheLabels) {
  FillEveryLabel();
  std::vector<uint8_t> Cut = StatsAnswer();
  Cut.resize(StatsAnswerSize - 1);
  Query(Cut);
  EXPECT_EQ(Window->StatusText(), "Length error") << "ANSGETSTATS one byte short";
  ExpectLabelsAsBefore();

  Window->ShowStatus("état précédent");
  Query(std::vector<uint8_t>(PipeHeaderSize - 1, 'A'));
  EXPECT_EQ(Window->StatusText(), "Length error") << "less than a header";
  ExpectLabelsAsBefore();

  Window->ShowStatus("état précédent");
  Query(PipeMessage(AnsReqUnknown));
  EXPECT_EQ(Window->StatusText(), "état précédent") << "another keyword changes nothing";
  ExpectLabelsAsBefore();

  // A keyword that fills its 16 bytes is not ANSGETSTATS, whatever follows.
  std::vector<uint8_t> Longer = StatsAnswer();
  std::memcpy(Longer.data(), "ANSGETSTATSXXXXX", 16);
  Query(Longer);
  EXPECT_EQ(Window->StatusText(), "état précédent");
  ExpectLabelsAsBefore();
}

TEST_F(Statistics, LongAndLateAnswersAreShown) {
  Pipe.Connections = 7;
  std::vector<uint8_t> Longer = StatsAnswer();
  Longer.resize(PipeBufferSize, 0xEE);
  Query(Longer);
  EXPECT_EQ(Window->Label("LabConnsVal"), Right12("7")) << "bytes behind the record are not looked at";

  Pipe.Connections = 8;
  Query(StatsAnswer(), 1500);
  EXPECT_EQ(Window->Label("LabConnsVal"), Right12("8")) << "a late answer is waited for";
  EXPECT_EQ(Window->StatusText(), "");
}

TEST_F(Statistics, UnreachablePipesShowTheSystemsTextAndLeaveTheLabels) {
  FillEveryLabel();
  // No server at all.
  Window->QueryStatistics();
  EXPECT_EQ(Window->StatusText(), SysErrorMessage(ERROR_FILE_NOT_FOUND));
  ExpectLabelsAsBefore();

  // An answer longer than the console's buffer.
  {
    TScriptedPipeServer Server(InfoName);
    Server.Answer({std::vector<uint8_t>(PipeBufferSize + 100, 'x')});
    Window->QueryStatistics();
  }
  EXPECT_EQ(Window->StatusText(), SysErrorMessage(ERROR_MORE_DATA));
  ExpectLabelsAsBefore();

  // Every instance busy: the call does not wait for one.
  const std::string Path = LocalPipePrefix + InfoName;
  HANDLE Only = CreateNamedPipeA(Path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1,
                                 PipeBufferSize, PipeBufferSize, 0, nullptr);
  ASSERT_NE(Only, INVALID_HANDLE_VALUE);
  HANDLE Holder = CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Holder, INVALID_HANDLE_VALUE);
  Window->QueryStatistics();
  // Windows says the pipe is busy; Wine that the wait timed out.
  const std::string Busy = Window->StatusText();
  EXPECT_TRUE(Busy == SysErrorMessage(ERROR_PIPE_BUSY) || Busy == SysErrorMessage(ERROR_SEM_TIMEOUT)) << Busy;
  ExpectLabelsAsBefore();
  CloseHandle(Holder);
  CloseHandle(Only);
}

}  // namespace
