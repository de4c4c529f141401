#include "ftp/httptunnel.h"

#include "ftp/ftperror.h"

namespace {

constexpr size_t MaxHeaderSize = 16384;

std::string Base64(const std::string& Text) {
  static const char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string Result;
  for (size_t I = 0; I < Text.size(); I += 3) {
    uint32_t Group = static_cast<uint8_t>(Text[I]) << 16;
    if (I + 1 < Text.size()) Group |= static_cast<uint8_t>(Text[I + 1]) << 8;
    if (I + 2 < Text.size()) Group |= static_cast<uint8_t>(Text[I + 2]);
    Result += Digits[(Group >> 18) & 63];
    Result += Digits[(Group >> 12) & 63];
    Result += I + 1 < Text.size() ? Digits[(Group >> 6) & 63] : '=';
    Result += I + 2 < Text.size() ? Digits[Group & 63] : '=';
  }
  return Result;
}

// The response header, read byte by byte so that nothing of the tunnelled
// stream (the FTP greeting) is taken from the socket.
std::string ReadResponseHeader(TFtpSocket& Socket, DWORD TimeoutMs) {
  std::string Header;
  while (Header.size() < 4 || Header.compare(Header.size() - 4, 4, "\r\n\r\n") != 0) {
    if (Header.size() > MaxHeaderSize) {
      throw EFtpError("HTTP proxy reply too long.");
    }
    char Byte;
    if (Socket.Receive(&Byte, 1, TimeoutMs) == 0) {
      throw EFtpError("HTTP proxy closed the connection.");
    }
    Header += Byte;
  }
  return Header;
}

}  // namespace

void OpenHttpTunnel(TFtpSocket& Socket, const TFtpProxySettings& Proxy, const std::string& Host,
                    uint16_t Port, DWORD ConnectTimeoutMs, DWORD ReadTimeoutMs) {
  Socket.Connect(Proxy.Host, static_cast<uint16_t>(Proxy.Port), ConnectTimeoutMs);
  std::string Target = Host + ":" + std::to_string(Port);
  std::string Request = "CONNECT " + Target + " HTTP/1.0\r\nHost: " + Target + "\r\n";
  if (!Proxy.UserName.empty()) {
    Request += "Proxy-Authorization: Basic " + Base64(Proxy.UserName + ":" + Proxy.Password) + "\r\n";
  }
  Request += "\r\n";
  try {
    Socket.SendText(Request, ReadTimeoutMs);
    std::string Header = ReadResponseHeader(Socket, ReadTimeoutMs);
    std::string StatusLine = Header.substr(0, Header.find("\r\n"));
    // "HTTP/1.x 200 ..."
    size_t Blank = StatusLine.find(' ');
    if (Blank == std::string::npos || StatusLine.compare(Blank + 1, 3, "200") != 0) {
      throw EFtpError("HTTP proxy refused the connection to " + Target + ": " + StatusLine);
    }
  } catch (...) {
    Socket.Close();
    throw;
  }
}
