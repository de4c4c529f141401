// The control pipe: hands out and replaces the service's configuration file.
#pragma once
#include <cstdint>
#include <string>

#include "service/guardedhandler.h"
#include "service/pipeserver.h"

class TOrdanixSrvControl : public TPipeServer {
public:
  // Administrators and LocalSystem only (ControlPipeSecurity): the file holds
  // passwords, so without that descriptor this raises EPipeSecurityError rather
  // than serve the pipe to everyone. ConfigFileName is relative to AppDir. Set
  // the handlers, then Start.
  TOrdanixSrvControl(const std::string& PipeName, int32_t Instances, const std::string& ConfigFileName);
  ~TOrdanixSrvControl() override;

  const std::string ConfigFileName;

  // Both run on the pipe thread. The service may Set and clear them (Set(nullptr))
  // from its own thread at any time: Set waits for a running call, so the setter
  // must not hold a lock that the handler takes.
  TGuardedHandler<void(TOrdanixSrvControl& Sender)> OnSetConfig;  // after the file was replaced
  TGuardedHandler<void(TOrdanixSrvControl& Sender)> OnGetConfig;  // after the file was read

  // Reads at most Size bytes; Count keeps its value when the file cannot be read.
  // PipeErrorConfigTooLong when the file holds more than Size bytes, else PipeErrorNone.
  int32_t ReadConfig(uint8_t* Buffer, int32_t Size, int32_t& Count);
  // Writes a new file beside the old one and puts it in its place in one step, so
  // that a failed write leaves the old file whole: PipeErrorConfigNotReplaced then.
  int32_t WriteConfig(const uint8_t* Buffer, int32_t Count);

protected:
  void ProcessRequest(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer, int32_t AnswerSize,
                      int32_t& AnswerLen, bool& UseDefaultAnswer) override;

private:
  std::string ConfigPath() const;
};
