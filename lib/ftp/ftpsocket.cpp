#include "ftp/ftpsocket.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "ftp/ftperror.h"

[[noreturn]] void RaiseSocketError(int ErrorCode) {
  throw EFtpError(SysErrorMessage(static_cast<uint32_t>(ErrorCode)));
}

[[noreturn]] void RaiseTimeout() { throw EFtpError("Read timed out."); }

namespace {

// How often a wait for a busy line tells the cancel's OnLineBusy that it goes on.
constexpr DWORD LineBusyReportMs = 1000;

sockaddr_in ResolveHost(const std::string& Host, uint16_t Port) {
  addrinfo Hints{};
  Hints.ai_family = AF_INET;
  Hints.ai_socktype = SOCK_STREAM;
  addrinfo* Found = nullptr;
  int Error = getaddrinfo(Host.c_str(), nullptr, &Hints, &Found);
  if (Error != 0 || Found == nullptr) {
    RaiseSocketError(Error != 0 ? Error : WSAHOST_NOT_FOUND);
  }
  sockaddr_in Address = *reinterpret_cast<sockaddr_in*>(Found->ai_addr);
  freeaddrinfo(Found);
  Address.sin_port = htons(Port);
  return Address;
}

}  // namespace

// The event outlives the sockets it serves: a data connection per file would
// otherwise pay for making and closing one each time. A wake-up left over from
// the last socket only costs WaitFor one more turn.
void TFtpSocket::Attach(SOCKET Socket) {
  FSocket = Socket;
  if (FEvent == WSA_INVALID_EVENT) { FEvent = WSACreateEvent(); }
  // WSAEventSelect also makes the socket non-blocking.
  if (FEvent == WSA_INVALID_EVENT ||
      WSAEventSelect(FSocket, FEvent, FD_READ | FD_WRITE | FD_CONNECT | FD_ACCEPT | FD_CLOSE) != 0) {
    int Error = WSAGetLastError();
    Close();
    RaiseSocketError(Error);
  }
}

bool TFtpSocket::WaitFor(long Events, DWORD TimeoutMs, HANDLE AbortEvent) {
  // The cancel goes before the socket, so that it wins over a socket that is
  // ready at the same time; the abort goes after it. A cancel with a stall limit
  // that finds the client finishing is seen once: from then on the wait is only
  // shortened to that limit, counted from when the line should be through with
  // what it was handed, or from when it is known to be.
  const DWORD Start = GetTickCount();
  bool Stalling = false;
  DWORD StallStart = 0;
  for (;;) {
    const DWORD Now = GetTickCount();
    const DWORD LineBusyFor = Stalling ? FCancel->LineBusyFor(Now) : 0;
    HANDLE Handles[4];
    DWORD Count = 0;
    DWORD AtOnceSlot = MAXDWORD, StalledSlot = MAXDWORD, LineEndSlot = MAXDWORD;
    if (FCancel) {
      AtOnceSlot = Count;
      Handles[Count++] = FCancel->AtOnceEvent();
      if (!Stalling) {
        StalledSlot = Count;
        Handles[Count++] = FCancel->StalledEvent();
      } else if (LineBusyFor > 0 && FCancel->LineEndEvent()) {
        LineEndSlot = Count;
        Handles[Count++] = FCancel->LineEndEvent();
      }
    }
    const DWORD SocketSlot = Count;
    Handles[Count++] = FEvent;
    if (AbortEvent) { Handles[Count++] = AbortEvent; }

    DWORD Wait = TimeoutMs == INFINITE ? INFINITE : TimeoutMs - std::min(TimeoutMs, Now - Start);
    enum { EndsByTimeout, EndsByStall, EndsByLineReport } Ends = EndsByTimeout;
    if (Stalling) {
      if (LineBusyFor > 0) {
        StallStart = Now + LineBusyFor;
      } else if (static_cast<LONG>(StallStart - Now) > 0) {
        StallStart = Now;  // the line was through before its time
      }
      const LONG StallLeft = static_cast<LONG>(StallStart + FCancel->StallMs() - Now);
      const DWORD Left = StallLeft > 0 ? static_cast<DWORD>(StallLeft) : 0;
      if (LineBusyFor > 0 && LineBusyReportMs < std::min(Wait, Left)) {
        Wait = LineBusyReportMs;
        Ends = EndsByLineReport;
      } else if (Left <= Wait) {
        Wait = Left;
        Ends = EndsByStall;
      }
    }
    const DWORD Waited = WaitForMultipleObjects(Count, Handles, FALSE, Wait);
    if (Waited == WAIT_TIMEOUT) {
      if (Ends == EndsByLineReport) {
        if (FCancel->OnLineBusy) { FCancel->OnLineBusy(); }
        continue;
      }
      if (Ends == EndsByStall) { throw EFtpCancelled(); }
      return false;
    }
    const DWORD Slot = Waited - WAIT_OBJECT_0;
    if (Slot >= Count) {
      RaiseSocketError(static_cast<int>(GetLastError()));
    }
    if (Slot == AtOnceSlot) {
      throw EFtpCancelled();
    }
    if (Slot == StalledSlot) {
      if (!FCancel->Finishing()) { throw EFtpCancelled(); }
      Stalling = true;
      StallStart = GetTickCount();
      continue;
    }
    if (Slot == LineEndSlot) {
      FCancel->OnLineEndEvent();
      continue;
    }
    if (Slot > SocketSlot) {
      throw EFtpAborted();
    }
    WSANETWORKEVENTS Network{};
    if (WSAEnumNetworkEvents(FSocket, FEvent, &Network) != 0) {
      RaiseSocketError(WSAGetLastError());
    }
    if (Network.lNetworkEvents & FD_CONNECT && Network.iErrorCode[FD_CONNECT_BIT] != 0) {
      RaiseSocketError(Network.iErrorCode[FD_CONNECT_BIT]);
    }
    // A close also ends a wait for reading or writing: the next call reports it.
    if (Network.lNetworkEvents & (Events | FD_CLOSE)) {
      return true;
    }
  }
}

void TFtpSocket::Connect(const std::string& Host, uint16_t Port, DWORD TimeoutMs) {
  StartConnect(Host, Port);
  // Commands are short lines that must not wait for the last one's ack.
  BOOL NoDelay = TRUE;
  setsockopt(FSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&NoDelay), sizeof(NoDelay));
  FinishConnect(TimeoutMs);
}

void TFtpSocket::StartConnect(const std::string& Host, uint16_t Port) {
  Close();
  sockaddr_in Address = ResolveHost(Host, Port);
  SOCKET Socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (Socket == INVALID_SOCKET) {
    RaiseSocketError(WSAGetLastError());
  }
  Attach(Socket);
  if (connect(FSocket, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0) {
    int Error = WSAGetLastError();
    if (Error != WSAEWOULDBLOCK) {
      Close();
      RaiseSocketError(Error);
    }
    FConnecting = true;
  }
}

void TFtpSocket::FinishConnect(DWORD TimeoutMs) {
  if (!FConnecting) {
    return;
  }
  try {
    if (!WaitFor(FD_CONNECT, TimeoutMs, nullptr)) {
      RaiseSocketError(WSAETIMEDOUT);
    }
    FConnecting = false;
  } catch (...) {
    Close();
    throw;
  }
}

void TFtpSocket::Listen(const sockaddr_in& LocalAddress) {
  Close();
  SOCKET Socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (Socket == INVALID_SOCKET) {
    RaiseSocketError(WSAGetLastError());
  }
  Attach(Socket);
  sockaddr_in Address = LocalAddress;
  Address.sin_port = 0;
  if (bind(FSocket, reinterpret_cast<sockaddr*>(&Address), sizeof(Address)) != 0 || listen(FSocket, 1) != 0) {
    int Error = WSAGetLastError();
    Close();
    RaiseSocketError(Error);
  }
}

void TFtpSocket::Accept(TFtpSocket& Listener, DWORD TimeoutMs, HANDLE AbortEvent) {
  Close();
  for (;;) {
    SOCKET Socket = accept(Listener.FSocket, nullptr, nullptr);
    if (Socket != INVALID_SOCKET) {
      // An accepted socket inherits the listener's event selection: give it its own.
      WSAEventSelect(Socket, nullptr, 0);
      Attach(Socket);
      return;
    }
    int Error = WSAGetLastError();
    if (Error != WSAEWOULDBLOCK) {
      RaiseSocketError(Error);
    }
    if (!Listener.WaitFor(FD_ACCEPT, TimeoutMs, AbortEvent)) {
      RaiseTimeout();
    }
  }
}

void TFtpSocket::SendAll(const char* Data, size_t Size, DWORD TimeoutMs, HANDLE AbortEvent) {
  bool Waited = false;
  while (Size > 0) {
    int Sent = send(FSocket, Data, static_cast<int>(Size), 0);
    if (Sent > 0) {
      Data += Sent;
      Size -= static_cast<size_t>(Sent);
      if (FOnSent) { FOnSent(static_cast<size_t>(Sent), Waited); }
      Waited = false;
      continue;
    }
    int Error = WSAGetLastError();
    if (Error != WSAEWOULDBLOCK) {
      RaiseSocketError(Error);
    }
    Waited = true;
    if (!WaitFor(FD_WRITE, TimeoutMs, AbortEvent)) {
      RaiseTimeout();
    }
  }
}

size_t TFtpSocket::Receive(char* Buffer, size_t Size, DWORD TimeoutMs) {
  for (;;) {
    int Received = recv(FSocket, Buffer, static_cast<int>(Size), 0);
    if (Received >= 0) {
      return static_cast<size_t>(Received);
    }
    int Error = WSAGetLastError();
    if (Error != WSAEWOULDBLOCK) {
      RaiseSocketError(Error);
    }
    if (!WaitFor(FD_READ, TimeoutMs, nullptr)) {
      RaiseTimeout();
    }
  }
}

bool TFtpSocket::PeerClosed() {
  char Byte;
  int Received = recv(FSocket, &Byte, 1, MSG_PEEK);
  return Received == 0 || (Received < 0 && WSAGetLastError() != WSAEWOULDBLOCK);
}

sockaddr_in TFtpSocket::LocalAddress() const {
  sockaddr_in Address{};
  int Length = sizeof(Address);
  if (getsockname(FSocket, reinterpret_cast<sockaddr*>(&Address), &Length) != 0) {
    RaiseSocketError(WSAGetLastError());
  }
  return Address;
}

void TFtpSocket::SetSendBuffer(int Bytes) {
  setsockopt(FSocket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&Bytes), sizeof(Bytes));
}

void TFtpSocket::ShutdownSend() { shutdown(FSocket, SD_SEND); }

// Only the event's record, not a peek: a peek would arm FD_READ again, and a
// peer that sends what nobody reads would wake the wait without end.
bool TFtpSocket::TakePeerClosed() {
  if (!IsOpen()) {
    WSAResetEvent(FEvent);
    return true;
  }
  WSANETWORKEVENTS Taken{};
  if (WSAEnumNetworkEvents(FSocket, FEvent, &Taken) != 0) { return true; }
  return (Taken.lNetworkEvents & FD_CLOSE) != 0;
}

void TFtpSocket::Close() {
  FConnecting = false;
  if (FSocket != INVALID_SOCKET) {
    closesocket(FSocket);
    FSocket = INVALID_SOCKET;
  }
}

TFtpSocket::~TFtpSocket() {
  Close();
  if (FEvent != WSA_INVALID_EVENT) {
    WSACloseEvent(FEvent);
    FEvent = WSA_INVALID_EVENT;
  }
}
