// Proxy settings and the log-on command sequence for each proxy kind.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

enum class TFtpProxyType : uint8_t {
  None,             // straight to the server
  UserSite,         // USER user@host[:port]
  Site,             // proxy log-on, SITE host, then the server's log-on
  Open,             // proxy log-on, OPEN host, then the server's log-on
  UserPass,         // USER user@proxyuser@host, PASS pass@proxypass
  Transparent,      // proxy log-on, then USER user@host
  HttpProxyWithFtp  // HTTP proxy, tunnelled with CONNECT
};

struct TFtpProxySettings {
  TFtpProxyType ProxyType = TFtpProxyType::None;
  std::string Host;
  int Port = 0;
  std::string UserName;
  std::string Password;
};

struct TFtpLogonStep {
  std::string Verb;      // USER, PASS, SITE or OPEN
  std::string Argument;
};

// The commands that log on to Host:Port as User through Proxy, in order. A PASS
// step is skipped when the USER before it is answered with 230.
std::vector<TFtpLogonStep> FtpLogonSteps(const std::string& Host, int Port, const std::string& User,
                                         const std::string& Password, const TFtpProxySettings& Proxy);
