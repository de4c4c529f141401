// The transport kinds and FTP proxy kinds, with their texts in INI files and logs.
#pragma once
#include <cstdint>
#include <string>

enum TTransportKind : uint8_t { tkCopy = 0, tkFtp = 1, tkFtps = 2, tkSftp = 3 };

// The numbers are stored in the configuration; FtpClientProxyType (ftpproxykind.h)
// gives the FTP client's type of each.
enum TFtpProxyKind : uint8_t {
  pkNone = 0,
  pkUserSite = 1,
  pkSite = 2,
  pkOpen = 3,
  pkUserPass = 4,
  pkUserPassUserPass = 5,
  pkHttpFtp = 6
};

// "COPY", "FTP", "FTPS", "SFTP"; any other value gives "FTP".
std::string TransportToText(TTransportKind Kind);
// Compared ignoring case; any other text, the empty one included, gives tkFtp.
TTransportKind TextToTransport(const std::string& Text);
// "None" ... "HTTPFTP"; any other value gives "None".
std::string ProxyTypeToText(TFtpProxyKind Kind);
// Compared ignoring case; any other text gives pkNone.
TFtpProxyKind TextToProxyType(const std::string& Text);
