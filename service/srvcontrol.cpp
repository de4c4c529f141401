#include "service/srvcontrol.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "rtl/handles.h"
#include "shared/commonhelpers.h"

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
  THandle File(CreateFileA(ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File.Valid()) { return PipeErrorNone; }
  DWORD Read = 0;
  const bool Ok = ReadFile(File.Get(), Buffer, static_cast<DWORD>(Size), &Read, nullptr);
  // One byte more tells a file that does not fit.
  uint8_t Extra;
  DWORD ExtraRead = 0;
  const bool TooLong = Ok && ReadFile(File.Get(), &Extra, 1, &ExtraRead, nullptr) && ExtraRead == 1;
  File.Reset();
  if (!Ok) { return PipeErrorNone; }
  Count = static_cast<int32_t>(Read);
  OnGetConfig.Call(*this);
  return TooLong ? PipeErrorConfigTooLong : PipeErrorNone;
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
    const int32_t DataLength = ReadPipeHeader(Request).DataLength;
    const int64_t Received = static_cast<int64_t>(RequestLen) - PipeHeaderSize;
    const int32_t Error = DataLength < 0 || DataLength > Received ? PipeErrorDataMissing
                                                                  : WriteConfig(Request + PipeHeaderSize, DataLength);
    WritePipeHeader(Answer, AnsSetConfig, 0, Error);
    AnswerLen = PipeHeaderSize;
  } else {
    WritePipeHeader(Answer, AnsReqUnknown, 0);
    AnswerLen = PipeHeaderSize;
  }
}
