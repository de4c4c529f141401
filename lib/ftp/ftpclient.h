// FTP client over Winsock: log-on (also through the FTP and HTTP proxy kinds),
// binary uploads over a passive or active data channel, folder commands.
// Settings are read when they are used. Failures of the session raise EFtpError;
// a local file that cannot be read raises EOSError.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "ftp/ftpcancel.h"
#include "ftp/ftplogon.h"
#include "ftp/ftpreply.h"
#include "ftp/ftpsocket.h"
#include "ftp/linepace.h"
#include "rtl/sync.h"

class TFtpClient {
public:
  TFtpClient();
  ~TFtpClient();
  TFtpClient(const TFtpClient&) = delete;
  TFtpClient& operator=(const TFtpClient&) = delete;

  std::string Host;
  int Port = 21;
  std::string Username;
  std::string Password;
  bool Passive = false;
  DWORD ReadTimeout = 0;        // ms for every wait on the server; 0 = no limit
  DWORD ConnectTimeout = 30000; // ms for every TCP connect
  TFtpProxySettings ProxySettings;
  // Called on the uploading thread each time more of a file goes out, and about
  // once a second while a cancel waits for the line to carry what it was handed.
  std::function<void()> OnWork;

  // False once the server has closed the control connection.
  bool Connected();
  // Connects and logs on, then selects binary transfers.
  void Connect();
  // Selects binary transfers (TYPE I); the only type this client sends in.
  void SetBinaryTransfer();
  void ChangeDir(const std::string& Path);
  // ChangeDir, unless the session is known to be in that absolute folder already
  // (it entered it with the last folder command): saves a round trip per file.
  void EnterDir(const std::string& Path);
  void MakeDir(const std::string& Path);
  // Uploads LocalFile as RemoteName, replacing it (STOR).
  void Put(const std::string& LocalFile, const std::string& RemoteName);
  void Delete(const std::string& RemoteName);
  // Ends a running Put, from any thread: Put then raises EFtpAborted and the
  // session stays usable (or is closed when the server does not answer).
  // Does nothing when no transfer runs.
  void Abort();
  // Gives the client up, from any thread, for good; every later call that would
  // talk to the server raises EFtpCancelled. With StallMs 0 the wait in progress
  // (connect, reply, accept or send) ends at once and the session closes: a
  // program that is going down is never held by a server or a line that went
  // quiet. With a stall limit, only the waits before a file goes out end at once:
  // a file the server has begun to store goes on to its end, data and reply, for
  // as long as something moves, and is cut (with ABOR, when the server still
  // answers) after StallMs in which nothing moved; the time the line needs, at
  // its measured pace, to carry what the system holds is not counted as such
  // (after the last byte, at a 33.6k modem's pace while none is known). The
  // goodbye of Quit is still said. Cancel(0) after a stall limit ends the rest
  // at once.
  void Cancel(DWORD StallMs = 0);
  // Says goodbye and closes; socket failures raise after the connection is closed.
  // A client cancelled at once closes without a word; one cancelled with a stall
  // limit gives the server only a short while to answer.
  void Quit();
  // Closes without a word to the server.
  void Disconnect();

private:
  DWORD WaitLimit() const { return ReadTimeout == 0 ? INFINITE : ReadTimeout; }
  bool ThroughHttpProxy() const { return ProxySettings.ProxyType == TFtpProxyType::HttpProxyWithFtp; }
  void RequireConnected() const;
  // Closes the session and raises EFtpCancelled once Cancel was called.
  void CheckCancelled();
  // Sends one command and reads its reply; a socket failure closes the session.
  TFtpReply Command(const std::string& Line);
  TFtpReply Exchange(const std::string& Line, DWORD TimeoutMs);
  TFtpReply ReadReply(DWORD TimeoutMs);
  // The command's reply when it is positive (2xx); otherwise raises with its text.
  TFtpReply CommandOk(const std::string& Line);
  void LogOn();
  void OpenDataChannel();
  // PASV: the connection to the server's port is started here, finished by StartStore.
  void OpenPassiveDataChannel();
  // PORT: the server connects to a listener of ours, taken by Put.
  void OpenActiveDataChannel();
  TFtpReply StartStore(const std::string& RemoteName);
  void SendFile(HANDLE File);
  // Sends ABOR and reads the two replies the server owes, each within TimeoutMs.
  void FinishAbortedTransfer(DWORD TimeoutMs);
  void BeginTransfer();
  void EndTransfer();

  TFtpSocket FControl;
  // The data connection and, in active mode, its listener: kept by the session
  // so that each transfer reuses their events.
  TFtpSocket FData;
  TFtpSocket FListener;
  TFtpReplyReader FReplies{FControl};
  TCriticalSection FTransferLock;
  bool FTransferActive = false;
  // Set with the event by Abort; read without the lock by the sending thread.
  std::atomic<bool> FAbortRequested{false};
  TEvent FAbortEvent;
  // Requested by Cancel and never withdrawn; every socket of the session waits on it.
  TFtpCancel FCancel;
  std::string FWorkingDir;  // the absolute folder the session entered last; empty when unknown
  TLinePace FPace;          // the file in transfer
  uint32_t FLineRate = 0;   // bytes a second the session's line last carried; 0 when unknown
};
