#include "service/srvinfo.h"

#include <cstring>

TOrdanixSrvInfo::TOrdanixSrvInfo(const std::string& PipeName, int32_t Instances)
    : TPipeServer(PipeName, Instances, &PipeSecurityAttributes) {}

TOrdanixSrvInfo::~TOrdanixSrvInfo() {
  // The thread calls our handlers: it must end before they go.
  Stop();
  WaitFor();
}

void TOrdanixSrvInfo::BuildStatsAnswer(TPipeServerStats& PipeStats, TServiceStatsRecord& ServiceStats) {
  GetStats(PipeStats);
  OnGetStats.Call(*this, ServiceStats);
}

void TOrdanixSrvInfo::ProcessRequest(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer,
                                     int32_t AnswerSize, int32_t& AnswerLen, bool& UseDefaultAnswer) {
  UseDefaultAnswer = false;
  std::memset(Answer, 0, AnswerSize);
  if (RequestLen >= static_cast<uint32_t>(PipeHeaderSize)) {
    if (HasKeyword(Request, ReqGetStats)) {
      TPipeServerStats PipeStats{};
      TServiceStatsRecord ServiceStats{};
      BuildStatsAnswer(PipeStats, ServiceStats);
      WritePipeHeader(Answer, AnsGetStats, StatsDataLength);
      std::memcpy(Answer + PipeStatsOffset, &PipeStats, sizeof(PipeStats));
      std::memcpy(Answer + ServiceStatsOffset, &ServiceStats, sizeof(ServiceStats));
      AnswerLen = StatsAnswerSize;
      return;
    }
    bool Answered = false;
    if (OnRequest.Call(Answered, Request, RequestLen, Answer, AnswerSize, AnswerLen) && Answered) { return; }
  }
  WritePipeHeader(Answer, AnsReqUnknown, 0);
  AnswerLen = PipeHeaderSize;
}
