#include "shared/odxconfig.h"

#include "rtl/format.h"
#include "shared/debuglog.h"

namespace {
const char* const General = "General";
std::string DirectorySection(int32_t Index) { return "Directory" + std::to_string(Index); }
}  // namespace

TBaseOdxConfig::TBaseOdxConfig() = default;

void TBaseOdxConfig::RaiseWrongObject() { throw EConvertError("Attemp to assign wront object to TBaseOdxConfig."); }

void TBaseOdxConfig::Assign(const TPersistent& Source) {
  const auto* Config = dynamic_cast<const TBaseOdxConfig*>(&Source);
  if (!Config) { RaiseWrongObject(); }
  CopyFrom(*Config);
}

void TBaseOdxConfig::AssignTo(TPersistent& Dest) const {
  auto* Config = dynamic_cast<TBaseOdxConfig*>(&Dest);
  if (!Config) { RaiseWrongObject(); }
  Config->CopyFrom(*this);
}

void TBaseOdxConfig::CopyFrom(const TBaseOdxConfig& Source) {
  LogDetailed = Source.LogDetailed;
  TimeBetweenActions = Source.TimeBetweenActions;
  for (int32_t I = 0; I < MaxTrackDirectories; ++I) { FTrackDirectory[I] = Source.FTrackDirectory[I]; }
  ExactTimeMode = Source.ExactTimeMode;
  ExactTime.SetText(Source.ExactTime.GetText());
}

void TBaseOdxConfig::LoadFromIni(TCustomIniFile& Ini) {
  LogDetailed = Ini.ReadBool(General, "LogDetailed", false);
  TimeBetweenActions = Ini.ReadInteger(General, "TimeBetweenActions", 60);
  ExactTimeMode = Ini.ReadBool(General, "ExactTimeMode", false);
  ExactTime.SetText(Ini.ReadString(General, "ExactTime", "18:00"));
  if (ExactTime.Count() == 0) { ExactTime.SetText("18:00"); }
  for (int32_t I = 0; I < MaxTrackDirectories; ++I) {
    FTrackDirectory[I] = Ini.ReadString(DirectorySection(I), "TrackDirectory", "");
  }
}

void TBaseOdxConfig::SaveToIni(TCustomIniFile& Ini) {
  Ini.WriteBool(General, "LogDetailed", LogDetailed);
  Ini.WriteInteger(General, "TimeBetweenActions", TimeBetweenActions);
  Ini.WriteBool(General, "ExactTimeMode", ExactTimeMode);
  Ini.WriteString(General, "ExactTime", ExactTime.GetText());
  for (int32_t I = 0; I < MaxTrackDirectories; ++I) {
    Ini.WriteString(DirectorySection(I), "TrackDirectory", FTrackDirectory[I]);
  }
}

void TBaseOdxConfig::LoadFromFile(const std::string& FileName) {
  TIniFile Ini(FileName);
  try {
    LoadFromIni(Ini);
  } catch (const Exception& E) {
    DebugLog(LogError, Format("Error reading data from %s : %s", FileName, E.Message()));
  }
}

void TBaseOdxConfig::SaveToFile(const std::string& FileName) {
  TIniFile Ini(FileName);
  try {
    SaveToIni(Ini);
  } catch (const Exception& E) {
    DebugLog(LogError, Format("Error writing data to %s : %s", FileName, E.Message()));
  }
  Ini.UpdateFile();
}
