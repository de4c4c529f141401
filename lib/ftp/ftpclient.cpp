#include "ftp/ftpclient.h"

#include <algorithm>

#include "ftp/ftperror.h"
#include "ftp/httptunnel.h"
#include "rtl/exceptions.h"
#include "rtl/handles.h"
#include "rtl/scopeexit.h"

namespace {

// Big enough that a fast link is not held back by file reads. The system is
// handed it in pieces of the line's pace (TLinePace).
constexpr DWORD UploadBufferSize = 1024 * 1024;
// How long an aborted transfer waits for the server's answers before giving up
// the session.
constexpr DWORD AbortReplyTimeoutMs = 10000;
// How long a cancelled client waits for the server's word on its ABOR or QUIT.
constexpr DWORD GoodbyeTimeoutMs = 2000;

uint16_t CheckedPort(int Port) {
  if (Port <= 0 || Port > 65535) {
    throw EFtpError("Invalid port: " + std::to_string(Port));
  }
  return static_cast<uint16_t>(Port);
}

[[noreturn]] void RaiseReply(const TFtpReply& Reply) { throw EFtpError(Reply.Text(), Reply.Code); }

THandle OpenLocalFile(const std::string& Name) {
  THandle File(CreateFileA(Name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!File.Valid()) {
    RaiseLastOSError();
  }
  return File;
}

// Marks the waits of a scope as finishing: a cancel with a stall limit lets them
// go on while something moves.
class TFinishingScope {
public:
  explicit TFinishingScope(TFtpCancel& Cancel) : FCancel(Cancel), FWas(Cancel.Finishing()) { FCancel.SetFinishing(true); }
  ~TFinishingScope() { FCancel.SetFinishing(FWas); }
  TFinishingScope(const TFinishingScope&) = delete;
  TFinishingScope& operator=(const TFinishingScope&) = delete;

private:
  TFtpCancel& FCancel;
  bool FWas;
};

}  // namespace

TFtpClient::TFtpClient() {
  WSADATA Data;
  WSAStartup(MAKEWORD(2, 2), &Data);
  for (TFtpSocket* Socket : {&FControl, &FData, &FListener}) { Socket->SetCancel(FCancel); }
  FData.SetOnSent([this](size_t Bytes, bool AfterWait) {
    FPace.Sent(Bytes, AfterWait, GetTickCount());
    // What the system holds moves unseen: a stop waits for it as for a file
    // that moves.
    FCancel.SetLineBusyUntil(FPace.BusyUntil());
    if (OnWork) { OnWork(); }
  });
  FCancel.OnLineBusy = [this] {
    if (OnWork) { OnWork(); }
  };
  // The server closes the data connection once it has read the file's end: the
  // line then holds nothing more of it, whenever the reply comes.
  FCancel.OnLineEndEvent = [this] {
    if (FData.TakePeerClosed()) { FCancel.ClearLineBusy(); }
  };
}

TFtpClient::~TFtpClient() {
  Disconnect();
  WSACleanup();
}

bool TFtpClient::Connected() {
  if (FControl.IsOpen() && FControl.PeerClosed()) {
    Disconnect();
  }
  return FControl.IsOpen();
}

void TFtpClient::RequireConnected() const {
  if (!FControl.IsOpen()) {
    throw EFtpError("Not connected.");
  }
}

void TFtpClient::Disconnect() {
  FWorkingDir.clear();
  FControl.Close();
  FReplies.Reset();
}

TFtpReply TFtpClient::ReadReply(DWORD TimeoutMs) {
  try {
    return FReplies.Read(TimeoutMs);
  } catch (...) {
    // After a lost or silent connection the session's state is unknown.
    Disconnect();
    throw;
  }
}

void TFtpClient::CheckCancelled() {
  if (FCancel.Requested()) {
    Disconnect();
    throw EFtpCancelled();
  }
}

TFtpReply TFtpClient::Command(const std::string& Line) {
  CheckCancelled();
  return Exchange(Line, WaitLimit());
}

TFtpReply TFtpClient::Exchange(const std::string& Line, DWORD TimeoutMs) {
  RequireConnected();
  try {
    FControl.SendText(Line + "\r\n", TimeoutMs);
  } catch (...) {
    Disconnect();
    throw;
  }
  return ReadReply(TimeoutMs);
}

TFtpReply TFtpClient::CommandOk(const std::string& Line) {
  TFtpReply Reply = Command(Line);
  if (!Reply.Positive()) {
    RaiseReply(Reply);
  }
  return Reply;
}

void TFtpClient::Connect() {
  CheckCancelled();
  if (FControl.IsOpen()) {
    throw EFtpError("Already connected.");
  }
  uint16_t TargetPort = CheckedPort(Port);
  FReplies.Reset();
  FLineRate = 0;
  try {
    if (ProxySettings.ProxyType == TFtpProxyType::None) {
      FControl.Connect(Host, TargetPort, ConnectTimeout);
    } else if (ThroughHttpProxy()) {
      CheckedPort(ProxySettings.Port);
      OpenHttpTunnel(FControl, ProxySettings, Host, TargetPort, ConnectTimeout, WaitLimit());
    } else {
      FControl.Connect(ProxySettings.Host, CheckedPort(ProxySettings.Port), ConnectTimeout);
    }
    TFtpReply Greeting = ReadReply(WaitLimit());
    while (Greeting.Preliminary()) {  // 120: ready in a moment
      Greeting = ReadReply(WaitLimit());
    }
    if (!Greeting.Positive()) {
      RaiseReply(Greeting);
    }
    LogOn();
    SetBinaryTransfer();
  } catch (...) {
    Disconnect();
    throw;
  }
}

void TFtpClient::LogOn() {
  std::vector<TFtpLogonStep> Steps = FtpLogonSteps(Host, Port, Username, Password, ProxySettings);
  for (size_t I = 0; I < Steps.size(); ++I) {
    const TFtpLogonStep& Step = Steps[I];
    TFtpReply Reply = Command(Step.Verb + " " + Step.Argument);
    if (Step.Verb == "USER") {
      if (Reply.Code == 230) {
        if (I + 1 < Steps.size() && Steps[I + 1].Verb == "PASS") {
          ++I;
        }
      } else if (!Reply.Intermediate()) {
        RaiseReply(Reply);
      }
    } else if (Step.Verb == "PASS") {
      if (!Reply.Positive()) {
        RaiseReply(Reply);
      }
    } else if (!Reply.Positive() && !Reply.Intermediate()) {
      RaiseReply(Reply);
    }
  }
}

void TFtpClient::SetBinaryTransfer() {
  if (FControl.IsOpen()) {
    CommandOk("TYPE I");
  }
}

void TFtpClient::ChangeDir(const std::string& Path) {
  FWorkingDir.clear();
  CommandOk("CWD " + Path);
  // A relative path's target depends on where the session was.
  if (!Path.empty() && Path[0] == '/') { FWorkingDir = Path; }
}

void TFtpClient::EnterDir(const std::string& Path) {
  if (Path.empty() || Path != FWorkingDir) { ChangeDir(Path); }
}

void TFtpClient::MakeDir(const std::string& Path) { CommandOk("MKD " + Path); }

void TFtpClient::Delete(const std::string& RemoteName) { CommandOk("DELE " + RemoteName); }

void TFtpClient::Quit() {
  if (FCancel.AtOnce()) {
    Disconnect();
  }
  if (!FControl.IsOpen()) {
    return;
  }
  // Whatever the server answers, the session ends.
  TFinishingScope Goodbye(FCancel);
  Exchange("QUIT", FCancel.Requested() ? GoodbyeTimeoutMs : WaitLimit());
  Disconnect();
}

void TFtpClient::Abort() {
  TLockGuard Guard(FTransferLock);
  if (FTransferActive) {
    FAbortRequested = true;
    FAbortEvent.SetEvent();
  }
}

void TFtpClient::Cancel(DWORD StallMs) { FCancel.Request(StallMs); }

void TFtpClient::BeginTransfer() {
  TLockGuard Guard(FTransferLock);
  FTransferActive = true;
}

void TFtpClient::EndTransfer() {
  FData.Close();
  FListener.Close();
  FCancel.ClearLineBusy();
  TLockGuard Guard(FTransferLock);
  FTransferActive = false;
  // Only an abort leaves the event set; most transfers need not touch it.
  if (FAbortRequested) {
    FAbortRequested = false;
    FAbortEvent.ResetEvent();
  }
}

void TFtpClient::OpenDataChannel() {
  if (Passive) {
    OpenPassiveDataChannel();
  } else {
    OpenActiveDataChannel();
  }
}

void TFtpClient::OpenPassiveDataChannel() {
  TFtpReply Reply = Command("PASV");
  if (Reply.Code != 227) {
    RaiseReply(Reply);
  }
  std::string DataHost;
  uint16_t DataPort;
  if (!ParsePassiveReply(Reply.Text(), DataHost, DataPort)) {
    throw EFtpError("Invalid passive reply: " + Reply.Text());
  }
  if (ThroughHttpProxy()) {
    OpenHttpTunnel(FData, ProxySettings, DataHost, DataPort, ConnectTimeout, WaitLimit());
  } else {
    FData.StartConnect(DataHost, DataPort);  // StartStore finishes it once STOR is on its way
  }
}

void TFtpClient::OpenActiveDataChannel() {
  FListener.Listen(FControl.LocalAddress());
  sockaddr_in Address = FListener.LocalAddress();
  const uint8_t* Ip = reinterpret_cast<const uint8_t*>(&Address.sin_addr);
  uint16_t ListenPort = ntohs(Address.sin_port);
  CommandOk("PORT " + std::to_string(Ip[0]) + "," + std::to_string(Ip[1]) + "," + std::to_string(Ip[2]) +
            "," + std::to_string(Ip[3]) + "," + std::to_string(ListenPort >> 8) + "," +
            std::to_string(ListenPort & 0xFF));
}

// Hands the file to the system in pieces no larger than the send buffer, both
// sized to the line's pace: on a slow line the system then never holds more than
// a second or two of it, and its piece sizes keep it from taking more at once.
void TFtpClient::SendFile(HANDLE File) {
  LARGE_INTEGER Size{};
  GetFileSizeEx(File, &Size);
  // Small files, the common case, do not pay for the large buffer.
  DWORD BufferSize = Size.QuadPart < UploadBufferSize ? static_cast<DWORD>(Size.QuadPart) + 1 : UploadBufferSize;
  std::string Buffer(BufferSize, '\0');
  FPace.Begin(FLineRate, GetTickCount());
  int SendBuffer = FPace.SendBufferSize();
  FData.SetSendBuffer(SendBuffer);
  for (;;) {
    DWORD Read = 0;
    if (!ReadFile(File, Buffer.data(), BufferSize, &Read, nullptr)) {
      RaiseLastOSError();
    }
    if (Read == 0) {
      break;
    }
    for (DWORD Done = 0; Done < Read;) {
      // Sends that never have to wait would not see the events: look between pieces.
      if (FCancel.AtOnce()) {
        throw EFtpCancelled();
      }
      if (FAbortRequested) {
        throw EFtpAborted();
      }
      if (FPace.SendBufferSize() != SendBuffer) {
        SendBuffer = FPace.SendBufferSize();
        FData.SetSendBuffer(SendBuffer);
      }
      const DWORD Piece = std::min<DWORD>(Read - Done, static_cast<DWORD>(SendBuffer));
      FData.SendAll(Buffer.data() + Done, Piece, WaitLimit(), FAbortEvent.Handle());
      Done += Piece;
    }
  }
  // What the system still holds goes out unseen, at the slowest line's pace
  // when no other is known.
  FPace.Finish();
  FCancel.SetLineBusyUntil(FPace.BusyUntil());
  if (const uint32_t Rate = FPace.MeasuredRate()) { FLineRate = Rate; }
}

// STOR goes out while the passive data connection is still being made, which
// saves waiting for the connection before the command. A data connection that
// fails then leaves the server's answer to STOR unread: the session is closed,
// so that no later reply is taken for another command's.
TFtpReply TFtpClient::StartStore(const std::string& RemoteName) {
  RequireConnected();
  try {
    FControl.SendText("STOR " + RemoteName + "\r\n", WaitLimit());
    FData.FinishConnect(ConnectTimeout);
  } catch (...) {
    Disconnect();
    throw;
  }
  return ReadReply(WaitLimit());
}

// The server owes the reply to STOR and the one to ABOR; a session that does
// not give them in time is closed.
void TFtpClient::FinishAbortedTransfer(DWORD TimeoutMs) {
  try {
    FControl.SendText("ABOR\r\n", TimeoutMs);
    FData.Close();
    ReadReply(TimeoutMs);
    ReadReply(TimeoutMs);
  } catch (const Exception&) {
    Disconnect();
  }
}

void TFtpClient::Put(const std::string& LocalFile, const std::string& RemoteName) {
  RequireConnected();
  if (!Passive && ThroughHttpProxy()) {
    throw EFtpError("Active mode is not possible through an HTTP proxy; use passive mode.");
  }
  const THandle File = OpenLocalFile(LocalFile);
  BeginTransfer();
  TScopeExit TransferEnd([this] { EndTransfer(); });

  OpenDataChannel();
  // From STOR on, the server holds the file under its name: a cancel with a
  // stall limit lets it go on to its end rather than leave it cut.
  TFinishingScope Finishing(FCancel);
  TFtpReply Reply = StartStore(RemoteName);
  if (!Reply.Preliminary()) {
    RaiseReply(Reply);
  }
  try {
    if (!Passive) {
      FData.Accept(FListener, ConnectTimeout, FAbortEvent.Handle());
      FListener.Close();
    }
    SendFile(File.Get());
    // The data connection stays until the reply, so that its close is heard.
    FData.ShutdownSend();
    FCancel.WatchLineEnd(FData.Event());
  } catch (const EFtpCancelled&) {
    // A file cut after a stall: the server hears so, when it still listens.
    if (FCancel.AtOnce()) {
      Disconnect();
    } else {
      FinishAbortedTransfer(GoodbyeTimeoutMs);
    }
    throw;
  } catch (const EFtpAborted&) {
    FinishAbortedTransfer(AbortReplyTimeoutMs);
    throw;
  } catch (const Exception&) {
    // The server's word on the failed transfer says more than the socket's.
    FData.Close();
    Reply = ReadReply(std::min(WaitLimit(), AbortReplyTimeoutMs));
    if (!Reply.Positive()) {
      RaiseReply(Reply);
    }
    throw;
  }
  Reply = ReadReply(WaitLimit());
  if (!Reply.Positive()) {
    RaiseReply(Reply);
  }
}
