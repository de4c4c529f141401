// The transport service's configuration: dial-up, destinations, account, transport
// kind, FTP and proxy settings, category switches and region.
#pragma once
#include <cstdint>
#include <string>

#include "shared/odxconfig.h"
#include "shared/transportkinds.h"

// The default FTP proxy host, for a new object and for a missing ProxyHost key.
extern const char* const DefaultProxyHost;

class TTransportConfig : public TBaseOdxConfig {
public:
  TTransportConfig();

  void Assign(const TPersistent& Source) override;
  void CopyFrom(const TBaseOdxConfig& Source) override;
  void LoadFromIni(TCustomIniFile& Ini) override;
  void SaveToIni(TCustomIniFile& Ini) override;

  // Index is 0 or 1.
  const std::string& GetDestination(int32_t Index) const { return FDestination[Index]; }
  void SetDestination(int32_t Index, const std::string& Value) { FDestination[Index] = Value; }

  std::string Connection;
  int32_t DisconnDelay = 0;
  std::string DestinationDirectory;
  std::string Username;
  std::string Password;
  // The category switches; their defaults stand in TransferCategories.
  bool Scb;
  bool Caisse;
  bool Filters;
  bool Messages;
  bool Meteo;
  bool Heatmap;
  bool Events;
  bool Footfall;
  TTransportKind Transport;
  int32_t Port = 21;
  bool PassiveMode = false;
  TFtpProxyKind ProxyType;
  std::string ProxyHost;
  int32_t ProxyPort = 8021;
  std::string ProxyUser;
  std::string ProxyPassword;
  std::string CurlProxy;
  bool RegionSend = false;
  std::string RegionName = "France";

protected:
  void AssignTo(TPersistent& Dest) const override;

private:
  void CopyOwnFields(const TTransportConfig& Source);
  std::string FDestination[2];
};
