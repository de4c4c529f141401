// The one log of a process: a dated line per call in the log file and, while a
// service is attached, the text in the event log.
#pragma once
#include <cstdint>
#include <string>

#include "rtl/formatsettings.h"

// What the log writer needs of a service: its event-log write.
class TLogEventSink {
public:
  virtual ~TLogEventSink() = default;
  // EventType: EVENTLOG_INFORMATION_TYPE or EVENTLOG_ERROR_TYPE.
  virtual void LogMessage(const std::string& Message, uint16_t EventType, uint16_t Category, uint32_t ID) = 0;
};

// The log file, "debug.txt" (the current directory) until a service sets its own.
std::string LogFileName();
// The log's own date and time formats, the same under every locale.
const TFormatSettings& LogFormat();
// Locale's settings with the log's separators and patterns fixed over them.
TFormatSettings MakeLogFormat(const TFormatSettings& Locale);

// Fixes the log's formats; part of the program's start-up.
void InitLogWriter();

// The levels in use; 1 and 2 would also be information entries in the event log.
constexpr int32_t LogInformation = 0;
constexpr int32_t LogError = 3;

void DebugLog(int32_t Level, const std::string& Text);
void SetLogTarget(TLogEventSink* Service, const std::string& FileName);
// Waits for an entry being written to the service; none reaches it afterwards.
void ClearLogTarget();
// Deletes the log file when it is larger than 0x20000 bytes.
void TrimLogFile();
void AppendLogLine(const std::string& Line);
