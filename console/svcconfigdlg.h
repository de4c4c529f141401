// The generic parameters dialog: edits one INI file through a configuration
// object of a given class; descendants add their own pages.
#pragma once
#include <memory>
#include <string>

#include "forms/form.h"
#include "forms/pagecontrol.h"
#include "forms/spinedit.h"
#include "forms/statusbar.h"
#include "forms/stdctrls.h"
#include "shared/odxconfig.h"

// A configuration class: makes a new object of that class.
using TBaseOdxConfigClass = std::unique_ptr<TBaseOdxConfig> (*)();
template <class T>
std::unique_ptr<TBaseOdxConfig> ConfigClassOf() {
  return std::make_unique<T>();
}

class TBaseSvcConfigDlg : public TForm {
public:
  TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile, TBaseOdxConfigClass ConfigClass);

  virtual void ValidateConfig(TBaseOdxConfig& Config, bool& Failed);
  virtual void ConfigToControls(TBaseOdxConfig& Config);
  virtual void ControlsToConfig(TBaseOdxConfig& Config);

  void FormCreate() override;
  void FormDestroy() override;
  void FormCloseQuery(bool& CanClose) override;
  void BtnOKClick();
  void BtnBrowseDirClick();

  const std::string& IniFile() const { return FIniFile; }
  TBaseOdxConfig* Config() const { return FConfig.get(); }

protected:
  // A descendant's form: its own size, the base controls first.
  TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile, TBaseOdxConfigClass ConfigClass,
                    const TFormDef& Def);
  void LocalizeCaptions();

  std::string FRemotePc;
  std::string FIniFile;
  TBaseOdxConfigClass FConfigClass;
  std::unique_ptr<TBaseOdxConfig> FConfig;

  static const TControlDef<TBaseSvcConfigDlg> Controls[];
  TButton& BtnOK;
  TButton& BtnCancel;
  TPageControl& PgcParams;
  TTabSheet& TsGeneral;
  TPanel& PnAcquisition;
  TLabel& LabVelmoraDir;
  TEdit& EdVelmoraDir;
  TButton& BtnBrowseDir;
  TLabel& LabFreq;
  TSpinEdit& SeFreq;
  TLabel& LabMin;
  TCheckBox& CbLogDetailed;
  TStatusBar& SbMain;
};

// A parameters dialog class: builds a dialog of that class, the way the main
// window builds whichever class it was given.
using TBaseSvcConfigDlgClass = TFormPtr<TBaseSvcConfigDlg> (*)(HWND Owner, const std::string& RemotePc,
                                                               const std::string& IniFile,
                                                               TBaseOdxConfigClass ConfigClass);
template <class T>
TFormPtr<TBaseSvcConfigDlg> ConfigDlgClassOf(HWND Owner, const std::string& RemotePc, const std::string& IniFile,
                                             TBaseOdxConfigClass ConfigClass) {
  return NewForm<T>(Owner, RemotePc, IniFile, ConfigClass);
}
