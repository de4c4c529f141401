#include "shared/debuglog.h"

#include <windows.h>

#include "rtl/datetime.h"
#include "rtl/formatdatetime.h"
#include "rtl/handles.h"
#include "rtl/strings.h"
#include "rtl/sync.h"
#include "shared/commonhelpers.h"

namespace {

constexpr uint64_t MaxLogFileSize = 0x20000;

// Both guarded by TargetLock: the service thread sets and clears them while pipe
// threads log.
std::string FLogFileName = "debug.txt";
TLogEventSink* FLogService = nullptr;

// Appends from the service thread and both pipe threads take turns here, and a
// target is not cleared while an entry is written to it: once ClearLogTarget
// returns, no call reaches the service any more.
TCriticalSection& TargetLock() {
  static TCriticalSection Lock;
  return Lock;
}

}  // namespace

TFormatSettings MakeLogFormat(const TFormatSettings& Locale) {
  TFormatSettings F = Locale;
  F.DecimalSeparator = '.';
  F.DateSeparator = '/';
  F.TimeSeparator = ':';
  F.ShortDateFormat = "dd/mm/yyyy";
  F.ShortTimeFormat = "hh:nn";
  F.LongTimeFormat = "hh:nn:ss";
  return F;
}

std::string LogFileName() {
  TLockGuard Guard(TargetLock());
  return FLogFileName;
}

const TFormatSettings& LogFormat() {
  static const TFormatSettings Format = MakeLogFormat(GetLocaleFormatSettings());
  return Format;
}

void InitLogWriter() { LogFormat(); }

void DebugLog(int32_t Level, const std::string& Text) {
  const TDateTime Time = Now();
  AppendLogLine(FormatDateTime("ddddd", Time, LogFormat()) + " " + FormatDateTime("tt", Time, LogFormat()) + "\t" +
                Text);
  TLockGuard Guard(TargetLock());
  if (FLogService) {
    try {
      FLogService->LogMessage(Text, Level >= 0 && Level <= 2 ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_ERROR_TYPE, 0, 0);
    } catch (...) {
      // The event log is a report only; its failure must not reach the caller.
    }
  }
}

void SetLogTarget(TLogEventSink* Service, const std::string& FileName) {
  TLockGuard Guard(TargetLock());
  FLogService = Service;
  FLogFileName = FileName;
}

void ClearLogTarget() {
  TLockGuard Guard(TargetLock());
  FLogService = nullptr;
}

void TrimLogFile() {
  TLockGuard Guard(TargetLock());
  if (GetFileSize64(FLogFileName) > MaxLogFileSize) { DeleteFileA(FLogFileName.c_str()); }
}

void AppendLogLine(const std::string& Line) {
  const std::string Text = ReplaceAll(Line, "\r\n", " ") + "\r\n";
  TLockGuard Guard(TargetLock());
  const THandle File(CreateFileA(FLogFileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File.Valid()) { return; }  // the line is lost; logging never fails its caller
  DWORD Written;
  WriteFile(File.Get(), Text.data(), static_cast<DWORD>(Text.size()), &Written, nullptr);
}
