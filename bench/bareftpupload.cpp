#include "bench/bareftpupload.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

SOCKET ConnectTo(u_long Address, int Port) {
  SOCKET S = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (S == INVALID_SOCKET) { return S; }
  sockaddr_in To{};
  To.sin_family = AF_INET;
  To.sin_addr.s_addr = Address;
  To.sin_port = htons(static_cast<u_short>(Port));
  if (connect(S, reinterpret_cast<sockaddr*>(&To), sizeof(To)) != 0) {
    closesocket(S);
    return INVALID_SOCKET;
  }
  return S;
}

class TBareControl {
public:
  explicit TBareControl(SOCKET S) : FSocket(S) {}
  ~TBareControl() { closesocket(FSocket); }

  // The code of the next final reply line ("ddd "), or -1 when the connection ends.
  int Reply() {
    for (;;) {
      size_t End;
      while ((End = FPending.find("\r\n")) != std::string::npos) {
        FLast = FPending.substr(0, End);
        FPending.erase(0, End + 2);
        if (FLast.size() >= 4 && FLast[3] == ' ') { return std::atoi(FLast.c_str()); }
      }
      char Buffer[4096];
      const int Got = recv(FSocket, Buffer, sizeof(Buffer), 0);
      if (Got <= 0) { return -1; }
      FPending.append(Buffer, Got);
    }
  }

  int Command(const std::string& Line) {
    const std::string Text = Line + "\r\n";
    if (send(FSocket, Text.data(), static_cast<int>(Text.size()), 0) != static_cast<int>(Text.size())) { return -1; }
    return Reply();
  }

  const std::string& LastLine() const { return FLast; }

private:
  SOCKET FSocket;
  std::string FPending, FLast;
};

// The port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply, or 0.
int PassivePort(const std::string& Line) {
  const size_t Open = Line.find('(');
  int H1, H2, H3, H4, P1, P2;
  if (Open == std::string::npos ||
      std::sscanf(Line.c_str() + Open + 1, "%d,%d,%d,%d,%d,%d", &H1, &H2, &H3, &H4, &P1, &P2) != 6) {
    return 0;
  }
  return P1 * 256 + P2;
}

bool Store(TBareControl& Control, u_long Address, const TBareUpload& File) {
  if (Control.Command("PASV") != 227) { return false; }
  const SOCKET Data = ConnectTo(Address, PassivePort(Control.LastLine()));
  if (Data == INVALID_SOCKET) { return false; }
  const int Started = Control.Command("STOR " + File.RemotePath);
  bool Sent = Started == 150 || Started == 125;
  HANDLE Local = CreateFileA(File.LocalPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  Sent = Sent && Local != INVALID_HANDLE_VALUE;
  char Buffer[65536];
  DWORD Read = 0;
  while (Sent && ReadFile(Local, Buffer, sizeof(Buffer), &Read, nullptr) && Read > 0) {
    Sent = send(Data, Buffer, static_cast<int>(Read), 0) == static_cast<int>(Read);
  }
  if (Local != INVALID_HANDLE_VALUE) { CloseHandle(Local); }
  // Wine's closesocket alone sends the end of the data later: the server's
  // closing reply would wait for it.
  shutdown(Data, SD_SEND);
  closesocket(Data);
  return Sent && Control.Reply() == 226;
}

}  // namespace

bool BareFtpUpload(int Port, const std::string& User, const std::string& Password,
                   const std::vector<std::string>& Folders, const std::vector<TBareUpload>& Files) {
  WSADATA WsaData;
  WSAStartup(MAKEWORD(2, 2), &WsaData);
  const u_long Loopback = htonl(INADDR_LOOPBACK);
  bool Ok = false;
  const SOCKET S = ConnectTo(Loopback, Port);
  if (S != INVALID_SOCKET) {
    TBareControl Control(S);
    Ok = Control.Reply() == 220 && Control.Command("USER " + User) == 331 &&
         Control.Command("PASS " + Password) == 230 && Control.Command("TYPE I") == 200;
    for (const std::string& Folder : Folders) {
      if (Ok) { Control.Command("MKD " + Folder); }
    }
    for (const TBareUpload& File : Files) {
      if (Ok) { Ok = Store(Control, Loopback, File); }
    }
    if (Ok) { Control.Command("QUIT"); }
  }
  WSACleanup();
  return Ok;
}
