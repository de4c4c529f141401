// FTP client over Winsock: log-on (also through the FTP and HTTP proxy kinds),
// binary uploads over a passive or active data channel, folder commands.
// Settings are read when they are used. Failures of the session raise EFtpError;
// a local file that cannot be read raises EOSError.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "ftp/ftplogon.h"
#include "ftp/ftpreply.h"
#include "ftp/ftpsocket.h"
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
  // Gives the client up, from any thread, for good: the wait in progress (connect,
  // reply, accept or send) ends at once, the session closes and every later call
  // that would talk to the server raises EFtpCancelled. A program that is being
  // stopped is thus never held by a server or a line that went quiet.
  void Cancel();
  // Says goodbye and closes; socket failures raise after the connection is closed.
  // A cancelled client closes without a word.
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
  void FinishAbortedTransfer();
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
  // Set once by Cancel and never reset; every socket of the session waits on it.
  std::atomic<bool> FCancelled{false};
  TEvent FCancelEvent;
  std::string FWorkingDir;  // the absolute folder the session entered last; empty when unknown
};
