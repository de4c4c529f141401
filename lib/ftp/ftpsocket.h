// One TCP socket of the FTP client, IPv4 only. The socket is non-blocking and every
// wait goes through its event, so a wait can also end on the session's cancel,
// on an abort event handed to the call (both set from another thread) or on a
// time-out. Failures raise EFtpError.
#pragma once
#include <winsock2.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ftp/ftpcancel.h"

class TFtpSocket {
public:
  TFtpSocket() = default;
  ~TFtpSocket();
  TFtpSocket(const TFtpSocket&) = delete;
  TFtpSocket& operator=(const TFtpSocket&) = delete;

  bool IsOpen() const { return FSocket != INVALID_SOCKET; }
  // Once Cancel is requested, the waits of this socket raise EFtpCancelled: at
  // once, or after its stall limit without movement while the client is finishing.
  void SetCancel(const TFtpCancel& Cancel) { FCancel = &Cancel; }
  // Called each time the system takes more bytes to send, with their count and
  // whether the system first had to wait for room (the line then sets the pace).
  void SetOnSent(std::function<void(size_t Bytes, bool AfterWait)> OnSent) { FOnSent = std::move(OnSent); }
  void Connect(const std::string& Host, uint16_t Port, DWORD TimeoutMs);
  // Connect in two halves, so that other work can go on while the connection is
  // made: the first starts it, the second waits until it is made (or raises).
  // Unlike Connect, leaves Nagle's algorithm on: fit for a data connection, whose
  // last segment goes out with the close.
  void StartConnect(const std::string& Host, uint16_t Port);
  void FinishConnect(DWORD TimeoutMs);
  // Listens on an ephemeral port of the given local address.
  void Listen(const sockaddr_in& LocalAddress);
  // Takes the first connection of a listening socket; the listener stays open.
  void Accept(TFtpSocket& Listener, DWORD TimeoutMs, HANDLE AbortEvent);
  // AbortEvent ends only a wait for room to send: a caller that sends in pieces
  // also looks for its abort between them.
  void SendAll(const char* Data, size_t Size, DWORD TimeoutMs, HANDLE AbortEvent = nullptr);
  void SendText(const std::string& Text, DWORD TimeoutMs) { SendAll(Text.data(), Text.size(), TimeoutMs); }
  // Some bytes, at most Size; 0 when the peer closed the connection.
  size_t Receive(char* Buffer, size_t Size, DWORD TimeoutMs);
  // True when the peer has closed the connection or it broke (never waits).
  bool PeerClosed();
  // True once the socket's event has told that the peer closed the connection
  // or it broke, or the socket is closed. Takes what set the event, so that a
  // wait on it (Event) does not wake again for the same.
  bool TakePeerClosed();
  // What a wait on the socket waits for; it serves every socket this object opens.
  HANDLE Event() const { return FEvent; }
  sockaddr_in LocalAddress() const;
  // Sets what the system queues for sending (SO_SNDBUF).
  void SetSendBuffer(int Bytes);
  // Sends what is queued, then the end of the stream; the socket stays open to
  // hear the peer close its side.
  void ShutdownSend();
  // Closes the socket; the object can open another one.
  void Close();

private:
  // Waits for one of Events; false on a time-out, raises on cancel or abort.
  bool WaitFor(long Events, DWORD TimeoutMs, HANDLE AbortEvent);
  void Attach(SOCKET Socket);

  SOCKET FSocket = INVALID_SOCKET;
  WSAEVENT FEvent = WSA_INVALID_EVENT;
  const TFtpCancel* FCancel = nullptr;
  std::function<void(size_t Bytes, bool AfterWait)> FOnSent;
  bool FConnecting = false;  // StartConnect left the connection under way
};

// The text of a Winsock error code, as EFtpError raises it.
[[noreturn]] void RaiseSocketError(int ErrorCode);
// "Read timed out." and the like.
[[noreturn]] void RaiseTimeout();
