#include "shared/transportconfig.h"

#include "rtl/strings.h"
#include "shared/transfercategories.h"

const char* const DefaultProxyHost = "192.168.1.1";

namespace {
const char* const TransportSection = "Transport";
const char* const TransferSection = "Transfer";
}  // namespace

TTransportConfig::TTransportConfig()
    : Transport(TextToTransport("COPY")), ProxyType(TextToProxyType("")), ProxyHost(DefaultProxyHost) {
  for (const TTransferCategory& Category : TransferCategories) { this->*Category.Switch = Category.Default; }
}

void TTransportConfig::Assign(const TPersistent& Source) {
  const auto* Config = dynamic_cast<const TTransportConfig*>(&Source);
  if (!Config) { RaiseWrongObject(); }
  CopyFrom(*Config);
}

void TTransportConfig::AssignTo(TPersistent& Dest) const {
  auto* Config = dynamic_cast<TTransportConfig*>(&Dest);
  if (!Config) { RaiseWrongObject(); }
  Config->CopyFrom(*this);
}

void TTransportConfig::CopyFrom(const TBaseOdxConfig& Source) {
  TBaseOdxConfig::CopyFrom(Source);
  // A plain base object has none of our fields: only the base part is copied.
  if (const auto* Config = dynamic_cast<const TTransportConfig*>(&Source)) { CopyOwnFields(*Config); }
}

void TTransportConfig::CopyOwnFields(const TTransportConfig& S) {
  Connection = S.Connection;
  DisconnDelay = S.DisconnDelay;
  FDestination[0] = S.FDestination[0];
  FDestination[1] = S.FDestination[1];
  DestinationDirectory = S.DestinationDirectory;
  Username = S.Username;
  Password = S.Password;
  for (const TTransferCategory& Category : TransferCategories) { this->*Category.Switch = S.*Category.Switch; }
  Transport = S.Transport;
  Port = S.Port;
  PassiveMode = S.PassiveMode;
  ProxyType = S.ProxyType;
  ProxyHost = S.ProxyHost;
  ProxyPort = S.ProxyPort;
  ProxyUser = S.ProxyUser;
  ProxyPassword = S.ProxyPassword;
  CurlProxy = S.CurlProxy;
  RegionSend = S.RegionSend;
  RegionName = S.RegionName;
}

void TTransportConfig::LoadFromIni(TCustomIniFile& Ini) {
  TBaseOdxConfig::LoadFromIni(Ini);
  Connection = Ini.ReadString(TransportSection, "Connection", "");
  DisconnDelay = Ini.ReadInteger(TransportSection, "DisconnDelay", 0);
  for (const TTransferCategory& Category : TransferCategories) {
    this->*Category.Switch = Ini.ReadBool(TransferSection, Category.Key, Category.Default);
  }
  FDestination[0] = Ini.ReadString(TransportSection, "Destination0", "");
  FDestination[1] = Ini.ReadString(TransportSection, "Destination1", "");
  // Older files name the first destination in [FTP] Host.
  if (FDestination[0].empty()) { FDestination[0] = Trim(Ini.ReadString("FTP", "Host", "")); }
  DestinationDirectory = Trim(Ini.ReadString(TransportSection, "DestinationDirectory", ""));
  Username = Trim(Ini.ReadString(TransportSection, "Username", ""));
  Password = Trim(Ini.ReadString(TransportSection, "Password", ""));
  Transport = TextToTransport(Ini.ReadString(TransportSection, "Transport", "COPY"));
  Port = Ini.ReadInteger(TransportSection, "Port", 21);
  PassiveMode = Ini.ReadBool(TransportSection, "PassiveMode", false);
  ProxyType = TextToProxyType(Ini.ReadString(TransportSection, "ProxyType", ""));
  ProxyHost = Ini.ReadString(TransportSection, "ProxyHost", DefaultProxyHost);
  ProxyPort = Ini.ReadInteger(TransportSection, "ProxyPort", 8021);
  ProxyUser = Ini.ReadString(TransportSection, "ProxyUser", "");
  ProxyPassword = Ini.ReadString(TransportSection, "ProxyPassword", "");
  CurlProxy = Ini.ReadString(TransportSection, "CurlProxy", "");
  RegionSend = Ini.ReadBool(TransportSection, "RegionSend", false);
  RegionName = Trim(Ini.ReadString(TransportSection, "RegionName", "France"));
}

void TTransportConfig::SaveToIni(TCustomIniFile& Ini) {
  TBaseOdxConfig::SaveToIni(Ini);
  Ini.WriteString(TransportSection, "Connection", Connection);
  Ini.WriteInteger(TransportSection, "DisconnDelay", DisconnDelay);
  for (const TTransferCategory& Category : TransferCategories) {
    Ini.WriteBool(TransferSection, Category.Key, this->*Category.Switch);
  }
  Ini.WriteString(TransportSection, "Destination0", FDestination[0]);
  Ini.WriteString(TransportSection, "Destination1", FDestination[1]);
  Ini.WriteString(TransportSection, "DestinationDirectory", DestinationDirectory);
  Ini.WriteString(TransportSection, "Username", Username);
  Ini.WriteString(TransportSection, "Password", Password);
  Ini.WriteString(TransportSection, "Transport", TransportToText(Transport));
  Ini.WriteInteger(TransportSection, "Port", Port);
  Ini.WriteBool(TransportSection, "PassiveMode", PassiveMode);
  Ini.WriteString(TransportSection, "ProxyType", ProxyTypeToText(ProxyType));
  Ini.WriteString(TransportSection, "ProxyHost", ProxyHost);
  Ini.WriteInteger(TransportSection, "ProxyPort", ProxyPort);
  Ini.WriteString(TransportSection, "ProxyUser", ProxyUser);
  Ini.WriteString(TransportSection, "ProxyPassword", ProxyPassword);
  Ini.WriteString(TransportSection, "CurlProxy", CurlProxy);
  Ini.WriteBool(TransportSection, "RegionSend", RegionSend);
  Ini.WriteString(TransportSection, "RegionName", RegionName);
}
