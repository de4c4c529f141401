// The service's statistics over its information pipe, shown on both pages.
#include <cstring>

#include "console/basesvc_acess.h"
#include "console/resource.h"
#include "forms/resstrings.h"
#include "rtl/datetime.h"
#include "rtl/format.h"
#include "rtl/formatdatetime.h"
#include "shared/commonhelpers.h"

namespace {
// Right-aligned in 12 characters with the user's thousands separators.
std::string CounterText(double Value) { return Format("%12.0n", Value); }

// Milliseconds as a time of day: hours wrap past a day.
std::string DurationText(uint32_t Milliseconds) {
  return FormatDateTime("h:mm:ss:zzz", Milliseconds / MSecsPerDay);
}
}  // namespace

void TSvcWndBase::QueryStatistics() {
  WritePipeHeader(FRequest, ReqGetStats, 0);
  DWORD Received = 0;
  if (!CallPipe(FInfoPipe, PipeHeaderSize, Received)) {
    SetTickStatusText(SysErrorMessage(GetLastError()));
    return;
  }
  switch (CheckAnswer(FAnswer, Received, AnsGetStats, StatsAnswerSize)) {
    case acLengthError: SetTickStatusText(LoadStr(IDS_LENGTH_ERROR)); return;
    case acOtherKeyword: return;
    case acExpected: break;
  }
  std::memcpy(&FPipeStats, FAnswer + PipeStatsOffset, sizeof(FPipeStats));
  std::memcpy(&FServiceStats, FAnswer + ServiceStatsOffset, sizeof(FServiceStats));
  ShowStatistics();
  SetTickStatusText("");
}

// The record is packed: its times are copied out before they are passed on.
void TSvcWndBase::ShowStatistics() {
  const TPipeServerStats& Pipe = FPipeStats;
  const TServiceStatsRecord& Service = FServiceStats;
  LabVersionVal.SetCaption(Format("%d.%d.%d", Service.VersionMajor, Service.VersionMinor, Service.VersionRelease));
  LabSartedVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Pipe.StartTime)));
  LabConnsVal.SetCaption(CounterText(Pipe.Connections));
  LabConErrorsVal.SetCaption(CounterText(Pipe.ConnectErrors));
  LabReqVal.SetCaption(CounterText(Pipe.Requests));
  LabReqBytesVal.SetCaption(CounterText(static_cast<double>(Pipe.BytesReceived)));
  LabAnsVal.SetCaption(CounterText(Pipe.Answers));
  LabAnsBytesVal.SetCaption(CounterText(static_cast<double>(Pipe.BytesSent)));
  LabWriteErrVal.SetCaption(CounterText(Pipe.WriteErrors));
  SetBusy(Service.Busy != 0);

  const std::string FileOk = PipeText(Service.LastFileOk);
  if (!FileOk.empty()) {
    LabLastFileOkVal.SetCaption(FileOk);
    LabLastFileOkAtVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Service.LastFileOkAt)));
  }
  const std::string FileBad = PipeText(Service.LastFileBad);
  if (!FileBad.empty()) {
    LabLastFileBadVal.SetCaption(FileBad);
    LabLastFileBadAtVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Service.LastFileBadAt)));
  }
  if (Service.LastGroupOk != 0 || Service.LastGroupBad != 0) {
    LabLastGroupVal.SetCaption(Format(LoadStr(IDS_LAST_GROUP_TEXT), Service.LastGroupOk, Service.LastGroupBad) +
                               DurationText(static_cast<uint32_t>(Service.LastGroupMs)));
    LabLastGroupAtVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Service.LastGroupAt)));
  }
  // Year 0: nothing scheduled yet. A time that is no date cannot be counted
  // down either; both leave the label as it was.
  const SYSTEMTIME NextCheck = Service.NextFileCheckAt;
  TDateTime NextCheckAt;
  if (NextCheck.wYear != 0 && TrySystemTimeToDateTime(NextCheck, NextCheckAt)) {
    LabNextFileCheckAtVal.SetCaption(
        Format(LoadStr(IDS_NEXT_CHECK_TEXT), SystemTimeToStr(NextCheck), SecondsBetween(Now(), NextCheckAt)));
  }
  const std::string EventText = PipeText(Service.LastEventText);
  if (!EventText.empty()) {
    LabLastEvtTimeVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Service.LastEventTime)));
    LabLastEvtTextVal.SetCaption(EventText);
  }
  const std::string ErrorText = PipeText(Service.LastErrorText);
  if (!ErrorText.empty()) {
    LabLastErrTimeVal.SetCaption(SystemTimeToStr(SYSTEMTIME(Service.LastErrorTime)));
    LabLastErrTextVal.SetCaption(ErrorText);
  }
}
