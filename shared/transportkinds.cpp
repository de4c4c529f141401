#include "shared/transportkinds.h"

#include "rtl/strings.h"

namespace {
const char* const ProxyTexts[] = {"None", "User@Site", "SITE", "OPEN", "USER-PASS", "USER-PASS-USER-PASS", "HTTPFTP"};
constexpr int ProxyKindCount = sizeof ProxyTexts / sizeof ProxyTexts[0];
}  // namespace

std::string TransportToText(TTransportKind Kind) {
  switch (Kind) {
    case tkCopy: return "COPY";
    case tkFtps: return "FTPS";
    case tkSftp: return "SFTP";
    default: return "FTP";
  }
}

TTransportKind TextToTransport(const std::string& Text) {
  if (AnsiSameText(Text, "FTPS")) { return tkFtps; }
  if (AnsiSameText(Text, "SFTP")) { return tkSftp; }
  if (AnsiSameText(Text, "COPY")) { return tkCopy; }
  return tkFtp;
}

std::string ProxyTypeToText(TFtpProxyKind Kind) { return Kind < ProxyKindCount ? ProxyTexts[Kind] : ProxyTexts[0]; }

TFtpProxyKind TextToProxyType(const std::string& Text) {
  for (int K = 1; K < ProxyKindCount; ++K) {
    if (AnsiSameText(Text, ProxyTexts[K])) { return static_cast<TFtpProxyKind>(K); }
  }
  return pkNone;
}
