#include "console/svcconfigdlg.h"

#include "console/resource.h"
#include "console/shellpickers.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"

namespace {
const TFormDef BaseForm{420, 250, fbDialog};
}

TBaseSvcConfigDlg::TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass)
    : TBaseSvcConfigDlg(Owner, std::move(RemotePc), std::move(IniFile), ConfigClass, BaseForm) {}

TBaseSvcConfigDlg::TBaseSvcConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass, const TFormDef& Def)
    : TForm(Owner, Def),
      FRemotePc(std::move(RemotePc)),
      FIniFile(std::move(IniFile)),
      FConfigClass(ConfigClass) {
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
