// What crosses the service's named pipes: sizes, keywords, the message header
// and the two statistics records. All integers little-endian, records packed.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

constexpr int32_t PipeBufferSize = 16384;  // the largest message either way
constexpr int32_t PipeHeaderSize = 28;
constexpr int32_t MaxConfigDataSize = PipeBufferSize - PipeHeaderSize;  // 16356

constexpr char LocalPipePrefix[] = "\\\\.\\pipe\\";

constexpr char ReqGetStats[] = "REQGETSTATS";
constexpr char ReqGetConfig[] = "REQGETCONFIG";
constexpr char ReqSetConfig[] = "REQSETCONFIG";
constexpr char AnsGetStats[] = "ANSGETSTATS";
constexpr char AnsGetConfig[] = "ANSGETCONFIG";
constexpr char AnsSetConfig[] = "ANSSETCONFIG";
constexpr char AnsReqUnknown[] = "ANSREQUNKNOWN";

// ErrorCode of an answer.
constexpr int32_t PipeErrorNone = 0;
constexpr int32_t PipeErrorDataMissing = 1;        // REQSETCONFIG declared more data than it carried
constexpr int32_t PipeErrorConfigNotReplaced = 2;  // REQSETCONFIG: the old file is still in place
constexpr int32_t PipeErrorConfigTooLong = 3;      // ANSGETCONFIG carries only the file's first bytes

#pragma pack(push, 1)

struct TPipeMessageHeader {
  char Keyword[16];  // NUL-terminated, the rest zero
  int32_t ErrorCode;
  int32_t Reserved;
  int32_t DataLength;  // bytes that follow the header
};

struct TPipeServerStats {
  SYSTEMTIME StartTime;  // local time the pipes were created
  uint32_t Connections;
  uint32_t ConnectErrors;
  uint32_t Requests;
  int64_t BytesReceived;
  uint32_t Reserved;
  uint32_t Answers;
  int64_t BytesSent;
  uint32_t WriteErrors;
};

struct TServiceStatsRecord {
  uint16_t RecordSize;  // 511
  uint16_t VersionMajor;
  uint16_t VersionMinor;
  uint16_t VersionRelease;
  uint8_t Busy;
  SYSTEMTIME LastEventTime;
  uint32_t Reserved1;
  SYSTEMTIME LastErrorTime;
  uint32_t Reserved2;
  char LastEventText[128];
  char LastErrorText[128];
  char LastFileOk[65];
  SYSTEMTIME LastFileOkAt;
  char LastFileBad[65];
  SYSTEMTIME LastFileBadAt;
  int32_t LastGroupOk;
  int32_t LastGroupBad;
  int32_t LastGroupMs;
  SYSTEMTIME LastGroupAt;
  SYSTEMTIME NextFileCheckAt;  // all zero before the first cycle is scheduled
};

#pragma pack(pop)

// "ANSGETSTATS": the pipe statistics, then the service statistics.
constexpr int32_t PipeStatsOffset = PipeHeaderSize;
constexpr int32_t ServiceStatsOffset = PipeStatsOffset + static_cast<int32_t>(sizeof(TPipeServerStats));
constexpr int32_t StatsDataLength = static_cast<int32_t>(sizeof(TPipeServerStats) + sizeof(TServiceStatsRecord));
constexpr int32_t StatsAnswerSize = PipeHeaderSize + StatsDataLength;

// Writes a whole header: every byte the fields leave free is zero.
inline void WritePipeHeader(uint8_t* Message, const char* Keyword, int32_t DataLength,
                            int32_t ErrorCode = PipeErrorNone) {
  TPipeMessageHeader Header{};
  std::strncpy(Header.Keyword, Keyword, sizeof(Header.Keyword) - 1);
  Header.ErrorCode = ErrorCode;
  Header.DataLength = DataLength;
  std::memcpy(Message, &Header, sizeof(Header));
}

// The header at the start of a message of at least PipeHeaderSize bytes.
inline TPipeMessageHeader ReadPipeHeader(const uint8_t* Message) {
  TPipeMessageHeader Header;
  std::memcpy(&Header, Message, sizeof(Header));
  return Header;
}

// Keywords compare as whole NUL-terminated strings, case-sensitive.
inline bool HasKeyword(const uint8_t* Message, const char* Keyword) {
  return std::strncmp(reinterpret_cast<const char*>(Message), Keyword, sizeof(TPipeMessageHeader::Keyword)) == 0;
}

// How an answer stands against the keyword that the client asked for.
enum TAnswerCheck { acLengthError, acOtherKeyword, acExpected };

// The client's check of an answer of Received bytes: shorter than a header is a
// length error whatever it says; then another keyword is just that; the expected
// keyword in fewer than MinimumSize bytes is a length error again.
inline TAnswerCheck CheckAnswer(const uint8_t* Answer, DWORD Received, const char* Keyword,
                                int32_t MinimumSize = PipeHeaderSize) {
  if (Received < static_cast<DWORD>(PipeHeaderSize)) { return acLengthError; }
  if (!HasKeyword(Answer, Keyword)) { return acOtherKeyword; }
  return Received < static_cast<DWORD>(MinimumSize) ? acLengthError : acExpected;
}

// Whether the DataLength bytes that the header of a message of Size bytes
// announces all follow it; a negative DataLength never does.
inline bool CarriesAnnouncedData(const uint8_t* Message, uint32_t Size) {
  const int32_t DataLength = ReadPipeHeader(Message).DataLength;
  return DataLength >= 0 && DataLength <= static_cast<int64_t>(Size) - PipeHeaderSize;
}

// A text field of a message up to its NUL, never past the field: a field
// that arrives without one is read to its end and no further.
template <size_t N>
std::string PipeText(const char (&Field)[N]) {
  return std::string(Field, strnlen(Field, N));
}

static_assert(sizeof(TPipeMessageHeader) == PipeHeaderSize);
static_assert(offsetof(TPipeMessageHeader, Keyword) == 0);
static_assert(offsetof(TPipeMessageHeader, ErrorCode) == 16);
static_assert(offsetof(TPipeMessageHeader, Reserved) == 20);
static_assert(offsetof(TPipeMessageHeader, DataLength) == 24);

static_assert(sizeof(SYSTEMTIME) == 16);
static_assert(sizeof(TPipeServerStats) == 56);
static_assert(offsetof(TPipeServerStats, StartTime) == 0);
static_assert(offsetof(TPipeServerStats, Connections) == 16);
static_assert(offsetof(TPipeServerStats, ConnectErrors) == 20);
static_assert(offsetof(TPipeServerStats, Requests) == 24);
static_assert(offsetof(TPipeServerStats, BytesReceived) == 28);
static_assert(offsetof(TPipeServerStats, Reserved) == 36);
static_assert(offsetof(TPipeServerStats, Answers) == 40);
static_assert(offsetof(TPipeServerStats, BytesSent) == 44);
static_assert(offsetof(TPipeServerStats, WriteErrors) == 52);

static_assert(sizeof(TServiceStatsRecord) == 511);
static_assert(offsetof(TServiceStatsRecord, RecordSize) == 0);
static_assert(offsetof(TServiceStatsRecord, VersionMajor) == 2);
static_assert(offsetof(TServiceStatsRecord, VersionMinor) == 4);
static_assert(offsetof(TServiceStatsRecord, VersionRelease) == 6);
static_assert(offsetof(TServiceStatsRecord, Busy) == 8);
static_assert(offsetof(TServiceStatsRecord, LastEventTime) == 9);
static_assert(offsetof(TServiceStatsRecord, Reserved1) == 25);
static_assert(offsetof(TServiceStatsRecord, LastErrorTime) == 29);
static_assert(offsetof(TServiceStatsRecord, Reserved2) == 45);
static_assert(offsetof(TServiceStatsRecord, LastEventText) == 49);
static_assert(offsetof(TServiceStatsRecord, LastErrorText) == 177);
static_assert(offsetof(TServiceStatsRecord, LastFileOk) == 305);
static_assert(offsetof(TServiceStatsRecord, LastFileOkAt) == 370);
static_assert(offsetof(TServiceStatsRecord, LastFileBad) == 386);
static_assert(offsetof(TServiceStatsRecord, LastFileBadAt) == 451);
static_assert(offsetof(TServiceStatsRecord, LastGroupOk) == 467);
static_assert(offsetof(TServiceStatsRecord, LastGroupBad) == 471);
static_assert(offsetof(TServiceStatsRecord, LastGroupMs) == 475);
static_assert(offsetof(TServiceStatsRecord, LastGroupAt) == 479);
static_assert(offsetof(TServiceStatsRecord, NextFileCheckAt) == 495);

static_assert(MaxConfigDataSize == 16356);
static_assert(PipeStatsOffset == 28 && ServiceStatsOffset == 84);
static_assert(StatsDataLength == 567 && StatsAnswerSize == 595);
