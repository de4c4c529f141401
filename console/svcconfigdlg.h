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

  using D = TBaseSvcConfigDlg;
  //                                   name             kind           parent           x    y    w    h  on click
  TPageControl& PgcParams  = Add<D>({"PgcParams",       ckPageControl, "",              8,   8, 404, 170});
  TTabSheet& TsGeneral     = Add<D>({"TsGeneral",       ckTabSheet,    "PgcParams",     0,   0,   0,   0});
  TPanel& PnAcquisition    = Add<D>({"PnAcquisition",   ckPanel,       "TsGeneral",     4,   4, 390, 130});
  TLabel& LabVelmoraDir    = Add<D>({"LabVelmoraDir",   ckLabel,       "PnAcquisition", 8,   8, 370,  17});
  TEdit& EdVelmoraDir      = Add<D>({"EdVelmoraDir",    ckEdit,        "PnAcquisition", 8,  28, 340,  21});
  TButton& BtnBrowseDir    = Add<D>({"BtnBrowseDir",    ckSpeedButton, "PnAcquisition", 352, 27, 26,  23, &D::BtnBrowseDirClick});
  TLabel& LabFreq          = Add<D>({"LabFreq",         ckLabel,       "PnAcquisition", 8,  64, 256,  17});
  TSpinEdit& SeFreq        = Add<D>({"SeFreq",          ckSpinEdit,    "PnAcquisition", 266, 60, 70,  21});
  TLabel& LabMin           = Add<D>({"LabMin",          ckLabel,       "PnAcquisition", 342, 64, 40,  17});
  TCheckBox& CbLogDetailed = Add<D>({"CbLogDetailed",   ckCheckBox,    "PnAcquisition", 8,  98, 300,  19});
  TButton& BtnOK           = Add<D>({"BtnOK",           ckButton,      "",            252, 186,  75,  25, &D::BtnOKClick, mrNone, bsDefault});
  TButton& BtnCancel       = Add<D>({"BtnCancel",       ckButton,      "",            337, 186,  75,  25, nullptr, mrCancel, bsCancel});
  TStatusBar& SbMain       = Add<D>({"SbMain",          ckStatusBar,   "",              0,   0,   0,  19});
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
