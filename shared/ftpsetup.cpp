#include "shared/ftpsetup.h"

#include "shared/ftpproxykind.h"

void SetUpFtpClient(TFtpClient& Client, const TTransportConfig& Config, int32_t Destination, DWORD ReadTimeout) {
  Client.Host = Config.GetDestination(Destination);
  Client.Passive = Config.PassiveMode;
  Client.Port = Config.Port;
  Client.Username = Config.Username;
  Client.Password = Config.Password;
  Client.ReadTimeout = ReadTimeout;
  Client.ProxySettings.ProxyType = FtpClientProxyType(Config.ProxyType);
  Client.ProxySettings.Host = Config.ProxyHost;
  Client.ProxySettings.Port = Config.ProxyPort;
  Client.ProxySettings.UserName = Config.ProxyUser;
  Client.ProxySettings.Password = Config.ProxyPassword;
}
