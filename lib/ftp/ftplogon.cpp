#include "ftp/ftplogon.h"

std::vector<TFtpLogonStep> FtpLogonSteps(const std::string& Host, int Port, const std::string& User,
                                         const std::string& Password, const TFtpProxySettings& Proxy) {
  std::vector<TFtpLogonStep> Steps;
  auto LogOnToProxy = [&] {
    // A proxy without an account of its own is not logged on to.
    if (!Proxy.UserName.empty()) {
      Steps.push_back({"USER", Proxy.UserName});
      Steps.push_back({"PASS", Proxy.Password});
    }
  };
  switch (Proxy.ProxyType) {
    case TFtpProxyType::None:
    case TFtpProxyType::HttpProxyWithFtp:
      Steps.push_back({"USER", User});
      Steps.push_back({"PASS", Password});
      break;
    case TFtpProxyType::UserSite: {
      std::string Site = Host;
      if (Port != 21) {
        Site += ':';
        Site += std::to_string(Port);
      }
      Steps.push_back({"USER", User + "@" + Site});
      Steps.push_back({"PASS", Password});
      break;
    }
    case TFtpProxyType::Site:
    case TFtpProxyType::Open:
      LogOnToProxy();
      Steps.push_back({Proxy.ProxyType == TFtpProxyType::Site ? "SITE" : "OPEN", Host});
      Steps.push_back({"USER", User});
      Steps.push_back({"PASS", Password});
      break;
    case TFtpProxyType::UserPass:
      Steps.push_back({"USER", User + "@" + Proxy.UserName + "@" + Host});
      Steps.push_back({"PASS", Password + "@" + Proxy.Password});
      break;
    case TFtpProxyType::Transparent:
      LogOnToProxy();
      Steps.push_back({"USER", User + "@" + Host});
      Steps.push_back({"PASS", Password});
      break;
  }
  return Steps;
}
