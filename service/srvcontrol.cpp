#include "service/srvcontrol.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "rtl/handles.h"
#include "shared/commonhelpers.h"
#include "shared/configpayload.h"

TOrdanixSrvControl::TOrdanixSrvControl(const std::string& PipeName, int32_t Instances,
                                       const std::string& ConfigFileName)
    : TPipeServer(PipeName, Instances, &ControlPipeSecurity()), ConfigFileName(ConfigFileName) {}

TOrdanixSrvControl::~TOrdanixSrvControl() {
  // The thread uses our fields and handlers: it must end before they go.
  Stop();
  WaitFor();
}

std::string TOrdanixSrvControl::ConfigPath() const { return AppDir + "\\" + ConfigFileName; }

int32_t TOrdanixSrvControl::ReadConfig(uint8_t* Buffer, int32_t Size, int32_t& Count) {
  const TPayloadRead File = ReadConfigPayload(ConfigPath(), Buffer, Size);
  if (!File.Ok) { return PipeErrorNone; }
  Count = File.Count;
  OnGetConfig.Call(*this);
  return File.TooLong ? PipeErrorConfigTooLong : PipeErrorNone;
}

int32_t TOrdanixSrvControl::WriteConfig(const uint8_t* Buffer, int32_t Count) {
  const std::string FileName = ConfigPath();
  const std::string NewFileName = FileName + ".new";
  THandle File(CreateFileA(NewFileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
  if (!File.Valid()) { return PipeErrorConfigNotReplaced; }
  DWORD Written = 0;
  const bool Ok = WriteFile(File.Get(), Buffer, static_cast<DWORD>(Count), &Written, nullptr) &&
                  Written == static_cast<DWORD>(Count) && FlushFileBuffers(File.Get());
  File.Reset();  // closed before it is moved into place
  if (!Ok || !MoveFileExA(NewFileName.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(NewFileName.c_str());
    return PipeErrorConfigNotReplaced;
  }
  OnSetConfig.Call(*this);
  return PipeErrorNone;
}

void TOrdanixSrvControl::ProcessRequest(const uint8_t* Request, uint32_t RequestLen, uint8_t* Answer,
                                        int32_t AnswerSize, int32_t& AnswerLen, bool& UseDefaultAnswer) {
  UseDefaultAnswer = false;
  std::memset(Answer, 0, AnswerSize);
  if (RequestLen < static_cast<uint32_t>(PipeHeaderSize)) {
    WritePipeHeader(Answer, AnsReqUnknown, 0);
    AnswerLen = PipeHeaderSize;
  } else if (HasKeyword(Request, ReqGetConfig)) {
    int32_t Count = 0;
    const int32_t Error = ReadConfig(Answer + PipeHeaderSize, std::min(MaxConfigDataSize, AnswerSize - PipeHeaderSize), Count);
    WritePipeHeader(Answer, AnsGetConfig, Count, Error);
    AnswerLen = PipeHeaderSize + Count;
  } else if (HasKeyword(Request, ReqSetConfig)) {
    const int32_t Error = CarriesAnnouncedData(Request, RequestLen)
                              ? WriteConfig(Request + PipeHeaderSize, ReadPipeHeader(Request).DataLength)
                              : PipeErrorDataMissing;
    WritePipeHeader(Answer, AnsSetConfig, 0, Error);
    AnswerLen = PipeHeaderSize;
  } else {
    WritePipeHeader(Answer, AnsReqUnknown, 0);
    AnswerLen = PipeHeaderSize;
  }
}
