// The configuration exchange with the service over its control pipe.
#include <cstring>

#include "console/basesvc_acess.h"
#include "console/resource.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"
#include "rtl/format.h"
#include "rtl/inifiles.h"

namespace {
// An owned file handle for the local copy.
class TFileHandle {
public:
  explicit TFileHandle(HANDLE Handle) : FHandle(Handle) {}
  ~TFileHandle() { if (FHandle != INVALID_HANDLE_VALUE) { CloseHandle(FHandle); } }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  HANDLE Handle() const { return FHandle; }
  explicit operator bool() const { return FHandle != INVALID_HANDLE_VALUE; }

private:
  HANDLE FHandle;
};

[[noreturn]] void RaiseLengthError() { throw Exception(LoadStr(IDS_LENGTH_ERROR)); }
}  // namespace

// Does not wait for a free instance: a busy or missing pipe fails at once.
bool TSvcWndBase::CallPipe(const std::string& PipeName, int32_t RequestSize, DWORD& AnswerSize) {
  AnswerSize = 0;
  return CallNamedPipeA((GetPipePrefix() + PipeName).c_str(), FRequest, RequestSize, FAnswer, sizeof(FAnswer),
                        &AnswerSize, NMPWAIT_NOWAIT) != FALSE;
}

void TSvcWndBase::ReceiveConfig() {
  SetStatusText(Format(LoadStr(IDS_RECEIVING_CONFIG), GetPcDisplayName()));
  RepaintStatus();
  CallGetConfig();
}

void TSvcWndBase::CallGetConfig() {
  WritePipeHeader(FRequest, ReqGetConfig, 0);
  DWORD Received = 0;
  if (!CallPipe(FControlPipe, PipeHeaderSize, Received)) { throw Exception(SysErrorMessage(GetLastError())); }
  if (Received < static_cast<DWORD>(PipeHeaderSize)) { RaiseLengthError(); }
  const TPipeMessageHeader Header = ReadPipeHeader(FAnswer);
  // Any other answer leaves no copy to edit: a dialog opened on an old or
  // missing copy would send that back over the service's real file.
  if (std::strcmp(Header.Keyword, AnsGetConfig) != 0) {
    throw Exception(Format(LoadStr(IDS_WRONG_ANSWER), FServiceName, std::string(Header.Keyword, strnlen(Header.Keyword, sizeof(Header.Keyword)))));
  }
  if (Header.DataLength < 0 || static_cast<DWORD>(Header.DataLength) > Received - PipeHeaderSize) {
    RaiseLengthError();
  }
  SaveLocalConfig(FAnswer + PipeHeaderSize, Header.DataLength);
}

void TSvcWndBase::SaveLocalConfig(const uint8_t* Data, int32_t Count) {
  TFileHandle File(CreateFileA(LocalConfigPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File) { RaiseLastOSError(); }
  DWORD Written = 0;
  if (!WriteFile(File.Handle(), Data, Count, &Written, nullptr) || Written != static_cast<DWORD>(Count)) {
    RaiseLastOSError();
  }
}

void TSvcWndBase::SendConfig() {
  try {
    SetStatusText(Format(LoadStr(IDS_SENDING_CONFIG), GetPcDisplayName()));
    RepaintStatus();
    CallSetConfig();
  } catch (const std::exception& Error) {
    SetStatusText(Error.what());
    ShowMessageBox(Handle(), Error.what(), mkError);
  }
}

void TSvcWndBase::CallSetConfig() {
  int32_t Count = 0;
  LoadLocalConfig(FRequest + PipeHeaderSize, MaxConfigDataSize, Count);
  WritePipeHeader(FRequest, ReqSetConfig, Count);
  DWORD Received = 0;
  if (!CallPipe(FControlPipe, PipeHeaderSize + Count, Received)) { throw Exception(SysErrorMessage(GetLastError())); }
  if (Received < static_cast<DWORD>(PipeHeaderSize)) { RaiseLengthError(); }
  if (std::strcmp(ReadPipeHeader(FAnswer).Keyword, AnsSetConfig) != 0) {
    throw Exception(Format(LoadStr(IDS_WRONG_ACK), FServiceName));
  }
}

void TSvcWndBase::LoadLocalConfig(uint8_t* Buffer, int32_t Size, int32_t& Count) {
  if (FTimeOverride > 0) {
    try {
      TIniFile Copy(LocalConfigPath());
      Copy.WriteInteger("General", "TimeBetweenActions", FTimeOverride);
    } catch (const Exception&) {
    }
  }
  TFileHandle File(CreateFileA(LocalConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File) { RaiseLastOSError(); }
  DWORD Read = 0;
  if (!ReadFile(File.Handle(), Buffer, Size, &Read, nullptr)) { RaiseLastOSError(); }
  Count = static_cast<int32_t>(Read);
}
