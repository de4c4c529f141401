#include "console/svcconfigdlg.h"

#include "console/resource.h"
#include "console/shellpickers.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"

namespace {
const TFormDef BaseForm{420, 250, fbDialog};
}

const TControlDef<TBaseSvcConfigDlg> TBaseSvcConfigDlg::Controls[] = {
  // name             kind           parent           x    y    w    h  on click
  {"PgcParams",       ckPageControl, "",              8,   8, 404, 170},
  {"TsGeneral",       ckTabSheet,    "PgcParams",     0,   0,   0,   0},
  {"PnAcquisition",   ckPanel,       "TsGeneral",     4,   4, 390, 130},
  {"LabVelmoraDir",   ckLabel,       "PnAcquisition", 8,   8, 370,  17},
  {"EdVelmoraDir",    ckEdit,        "PnAcquisition", 8,  28, 340,  21},
  {"BtnBrowseDir",    ckSpeedButton, "PnAcquisition", 352, 27, 26,  23, &TBaseSvcConfigDlg::BtnBrowseDirClick},
  {"LabFreq",         ckLabel,       "PnAcquisition", 8,  64, 256,  17},
  {"SeFreq",          ckSpinEdit,    "PnAcquisition", 266, 60, 70,  21},
  {"LabMin",          ckLabel,       "PnAcquisition", 342, 64, 40,  17},
  {"CbLogDetailed",   ckCheckBox,    "PnAcquisition", 8,  98, 300,  19},
  {"BtnOK",           ckButton,      "",            252, 186,  75,  25, &TBaseSvcConfigDlg::BtnOKClick, mrNone, bsDefault},
  {"BtnCancel",       ckButton,      "",            337, 186,  75,  25, nullptr, mrCancel, bsCancel},
  {"SbMain",          ckStatusBar,   "",              0,   0,   0,  19},
};

TBaseSvcConfigDlg::TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass)
    : TBaseSvcConfigDlg(Owner, std::move(RemotePc), std::move(IniFile), ConfigClass, BaseForm) {}

// The fields are stored before the form is built: its creation handler needs them.
TBaseSvcConfigDlg::TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass, const TFormDef& Def)
    : TForm(Owner),
      FRemotePc(std::move(RemotePc)),
      FIniFile(std::move(IniFile)),
      FConfigClass(ConfigClass),
      BtnOK((CreateForm(Def, Controls), Find<TButton>("BtnOK"))),
      BtnCancel(Find<TButton>("BtnCancel")),
      PgcParams(Find<TPageControl>("PgcParams")),
      TsGeneral(Find<TTabSheet>("TsGeneral")),
      PnAcquisition(Find<TPanel>("PnAcquisition")),
      LabVelmoraDir(Find<TLabel>("LabVelmoraDir")),
      EdVelmoraDir(Find<TEdit>("EdVelmoraDir")),
      BtnBrowseDir(Find<TButton>("BtnBrowseDir")),
      LabFreq(Find<TLabel>("LabFreq")),
      SeFreq(Find<TSpinEdit>("SeFreq")),
      LabMin(Find<TLabel>("LabMin")),
      CbLogDetailed(Find<TCheckBox>("CbLogDetailed")),
      SbMain(Find<TStatusBar>("SbMain")) {
  SeFreq.SetBounds(2, 3600);
  SbMain.SetSimple("");
}

void TBaseSvcConfigDlg::FormCreate() {
  LocalizeCaptions();
  if (FIniFile.empty()) { FIniFile = "cfg_local.ini"; }
  FConfig = FConfigClass();
  FConfig->LoadFromFile(FIniFile);
  ConfigToControls(*FConfig);
  BtnBrowseDir.SetVisible(FRemotePc.empty());
}

void TBaseSvcConfigDlg::LocalizeCaptions() {
  SetCaption(LoadStr(IDS_CONFIG_CAPTION));
  BtnOK.SetText(LoadStr(IDS_OK));
  BtnCancel.SetText(LoadStr(IDS_CANCEL));
  TsGeneral.SetText(LoadStr(IDS_TSGENERAL));
  LabVelmoraDir.SetCaption(LoadStr(IDS_VELMORADIR));
  BtnBrowseDir.SetText("...");
  BtnBrowseDir.SetHint(LoadStr(IDS_BROWSEDIR_HINT));
  LabFreq.SetCaption(LoadStr(IDS_FREQ));
  LabMin.SetCaption(LoadStr(IDS_SEC));
  CbLogDetailed.SetText(LoadStr(IDS_LOGDETAILED));
}

void TBaseSvcConfigDlg::FormDestroy() { FConfig.reset(); }

void TBaseSvcConfigDlg::FormCloseQuery(bool& CanClose) { CanClose = true; }

void TBaseSvcConfigDlg::ValidateConfig(TBaseOdxConfig&, bool& Failed) { Failed = false; }

void TBaseSvcConfigDlg::ConfigToControls(TBaseOdxConfig& Config) {
  EdVelmoraDir.SetText(Config.GetTrackDirectory(0));
  CbLogDetailed.SetChecked(Config.LogDetailed);
  SeFreq.SetValue(Config.TimeBetweenActions);
}

void TBaseSvcConfigDlg::ControlsToConfig(TBaseOdxConfig& Config) {
  Config.SetTrackDirectory(0, EdVelmoraDir.Text());
  Config.TimeBetweenActions = SeFreq.Value();
  Config.LogDetailed = CbLogDetailed.Checked();
}

void TBaseSvcConfigDlg::BtnOKClick() {
  try {
    ControlsToConfig(*FConfig);
    bool Failed = false;
    ValidateConfig(*FConfig, Failed);
    if (Failed) {
      SetModalResult(mrNone);
      return;
    }
    // A file that cannot be written keeps the dialog open with the reason, so
    // that the caller never sends the old copy believing it saved.
    TIniFile Ini(FIniFile);
    FConfig->SaveToIni(Ini);
    Ini.UpdateFile();
    SetModalResult(mrOK);
  } catch (const std::exception& Error) {
    SetModalResult(mrNone);
    ShowMessageBox(Handle(), Error.what(), mkInformation);
  }
}

void TBaseSvcConfigDlg::BtnBrowseDirClick() {
  std::string Path = EdVelmoraDir.Text();
  if (BrowseForFolder(Handle(), LoadStr(IDS_SELECT_TARGET_FOLDER), Path)) { EdVelmoraDir.SetText(Path); }
}
