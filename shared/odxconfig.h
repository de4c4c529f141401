// The base configuration of both programs: the schedule, detailed logging and
// the 64 tracked directories, copied and kept in INI files.
#pragma once
#include <cstdint>
#include <string>

#include "rtl/inifiles.h"
#include "rtl/persistent.h"
#include "shared/timelist.h"

constexpr int MaxTrackDirectories = 64;

class TBaseOdxConfig : public TPersistent {
public:
  TBaseOdxConfig();

  // Raise EConvertError "Attemp to assign wront object to TBaseOdxConfig." for another class.
  void Assign(const TPersistent& Source) override;
  virtual void CopyFrom(const TBaseOdxConfig& Source);
  virtual void LoadFromIni(TCustomIniFile& Ini);
  virtual void SaveToIni(TCustomIniFile& Ini);

  // Never raise for an error of the Exception family: they log it and go on.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  const std::string& GetTrackDirectory(int32_t Index) const { return FTrackDirectory[Index]; }
  void SetTrackDirectory(int32_t Index, const std::string& Value) { FTrackDirectory[Index] = Value; }

  bool LogDetailed = false;
  int32_t TimeBetweenActions = 60;
  bool ExactTimeMode = false;
  TTimeList ExactTime{"18:00"};

protected:
  void AssignTo(TPersistent& Dest) const override;
  [[noreturn]] static void RaiseWrongObject();

private:
  std::string FTrackDirectory[MaxTrackDirectories];
};
