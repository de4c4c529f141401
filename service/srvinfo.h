// The information pipe: answers "REQGETSTATS" with the pipe and service statistics.
#pragma once
#include <cstdint>
#include <string>

#include "service/guardedhandler.h"
#include "service/pipeserver.h"
#include "shared/pipemessages.h"

class TOrdanixSrvInfo : public TPipeServer {
public:
  // Open security (PipeSecurityAttributes). The owner sets the handlers, then Start.
  TOrdanixSrvInfo(const std::string& PipeName, int32_t Instances);
  ~TOrdanixSrvInfo() override;

  // Both handlers run on the pipe thread. The service may Set and clear them
  // (Set(nullptr)) from its own thread at any time: Set waits for a running call,
  // so the setter must not hold a lock that the handler takes.
  // Fills the service statistics record (511 bytes, zero before the call).
  TGuardedHandler<void(TOrdanixSrvInfo& Sender, TServiceStatsRecord& Record)> OnGetStats;
  // Answers other keywords; true when it built the answer in Answer and AnswerLen.
  TGuardedHandler<bool(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer, int32_t AnswerSize,
                       int32_t& AnswerLen)>
      OnRequest;

  // The pipe server's statistics, and the service's through OnGetStats.
  void BuildStatsAnswer(TPipeServerStats& PipeStats, TServiceStatsRecord& ServiceStats);

protected:
  void ProcessRequest(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer, int32_t AnswerSize,
                      int32_t& AnswerLen, bool& UseDefaultAnswer) override;
};
