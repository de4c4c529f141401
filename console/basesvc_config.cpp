// The configuration flow of the main window: the service's file fetched over
// its control pipe into the local copy, edited in the parameters dialog, sent
// back, and the service restarted on it.
#include "console/basesvc_acess.h"
#include "console/resource.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"
#include "forms/waitcursor.h"
#include "rtl/format.h"
#include "rtl/handles.h"
#include "rtl/inifiles.h"
#include "shared/commonhelpers.h"
#include "shared/configpayload.h"

namespace {
[[noreturn]] void RaiseLengthError() { throw Exception(LoadStr(IDS_LENGTH_ERROR)); }
}  // namespace

std::string TSvcWndBase::LocalConfigPath() const { return AppDir + "\\" + FLocalIniName; }

void TSvcWndBase::BtnConfigureClick() { ConfigureService(); }

void TSvcWndBase::ConfigureService() {
  try {
    ReceiveConfig();
    auto Dialog = FConfigDlgClass(Handle(), FRemotePc, LocalConfigPath(), FConfigClass);
    if (Dialog->ShowModal() == mrOK) {
      THourglass Wait;
      // Restarted after a failed send, the service would run on its old file
      // under the account of the copy it never got.
      if (!SendConfig()) {
        HoldStatusText(LoadStr(IDS_NOT_RESTARTED));
        return;
      }
      SetBusy(false);
      RestartService();
      ClearStateLabels();
    }
  } catch (const std::exception& Error) {
    SetStatusText(Error.what());
    throw;
  }
}

void TSvcWndBase::ReceiveConfig() {
  ShowProgress(Format(LoadStr(IDS_RECEIVING_CONFIG), GetPcDisplayName()));
  CallGetConfig();
}

void TSvcWndBase::CallGetConfig() {
  WritePipeHeader(FRequest, ReqGetConfig, 0);
  DWORD Received = 0;
  if (!CallPipe(FControlPipe, PipeHeaderSize, Received)) { throw Exception(SysErrorMessage(GetLastError())); }
  const TAnswerCheck Check = CheckAnswer(FAnswer, Received, AnsGetConfig);
  if (Check == acLengthError) { RaiseLengthError(); }
  const TPipeMessageHeader Header = ReadPipeHeader(FAnswer);
  // Any other answer leaves no copy to edit: a dialog opened on an old or
  // missing copy would send that back over the service's real file.
  if (Check == acOtherKeyword) {
    throw Exception(Format(LoadStr(IDS_WRONG_ANSWER), FServiceName, PipeText(Header.Keyword)));
  }
  if (!CarriesAnnouncedData(FAnswer, Received)) { RaiseLengthError(); }
  // Only the file's first part came: edited and sent back, it would replace the whole.
  if (Header.ErrorCode == PipeErrorConfigTooLong) {
    throw Exception(Format(LoadStr(IDS_CONFIG_TOO_LARGE), FServiceName, MaxConfigDataSize));
  }
  SaveLocalConfig(FAnswer + PipeHeaderSize, Header.DataLength);
}

void TSvcWndBase::SaveLocalConfig(const uint8_t* Data, int32_t Count) {
  const THandle File(CreateFileA(LocalConfigPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File.Valid()) { RaiseLastOSError(); }
  DWORD Written = 0;
  if (!WriteFile(File.Get(), Data, Count, &Written, nullptr) || Written != static_cast<DWORD>(Count)) {
    RaiseLastOSError();
  }
}

bool TSvcWndBase::SendConfig() {
  try {
    ShowProgress(Format(LoadStr(IDS_SENDING_CONFIG), GetPcDisplayName()));
    CallSetConfig();
    return true;
  } catch (const std::exception& Error) {
    SetStatusText(Error.what());
    ShowMessageBox(Handle(), Error.what(), mkError);
    return false;
  }
}

void TSvcWndBase::CallSetConfig() {
  int32_t Count = 0;
  LoadLocalConfig(FRequest + PipeHeaderSize, MaxConfigDataSize, Count);
  WritePipeHeader(FRequest, ReqSetConfig, Count);
  DWORD Received = 0;
  if (!CallPipe(FControlPipe, PipeHeaderSize + Count, Received)) { throw Exception(SysErrorMessage(GetLastError())); }
  switch (CheckAnswer(FAnswer, Received, AnsSetConfig)) {
    case acLengthError: RaiseLengthError();
    case acOtherKeyword: throw Exception(Format(LoadStr(IDS_WRONG_ACK), FServiceName));
    case acExpected: break;
  }
  // The service keeps its old file whenever it reports an error.
  switch (const int32_t Error = ReadPipeHeader(FAnswer).ErrorCode) {
    case PipeErrorNone: return;
    case PipeErrorDataMissing: throw Exception(Format(LoadStr(IDS_CONFIG_INCOMPLETE), FServiceName));
    case PipeErrorConfigNotReplaced: throw Exception(Format(LoadStr(IDS_CONFIG_NOT_REPLACED), FServiceName));
    default: throw Exception(Format(LoadStr(IDS_CONFIG_REFUSED), FServiceName, Error));
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
  const TPayloadRead Copy = ReadConfigPayload(LocalConfigPath(), Buffer, Size);
  if (!Copy.Ok) { RaiseLastOSError(Copy.Error); }
  // A copy that does not fit one message would replace the service's file
  // with its first part: it is not sent at all.
  if (Copy.TooLong) { throw Exception(Format(LoadStr(IDS_LOCAL_CONFIG_TOO_LARGE), LocalConfigPath(), Size)); }
  Count = Copy.Count;
}
