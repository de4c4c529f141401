// The transport service's parameters dialog: schedule and categories, the
// destinations with their account and transfer mode, dial-up, FTP and proxy,
// and the region; it checks a configuration before it is saved and runs the
// connectivity test on what the controls hold.
#pragma once
#include "console/svcconfigdlg.h"
#include "shared/transfercategories.h"
#include "shared/transportconfig.h"

class TNorvaskConfigDlg : public TBaseSvcConfigDlg {
public:
  TNorvaskConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile, TBaseOdxConfigClass ConfigClass);

  void ValidateConfig(TBaseOdxConfig& Config, bool& Failed) override;
  void ConfigToControls(TBaseOdxConfig& Config) override;
  void ControlsToConfig(TBaseOdxConfig& Config) override;
  // Raises the first rule that the configuration breaks, after shaping it.
  void NormalizeConfig(TTransportConfig& Config);

  void FormCreate() override;
  void RbTimeModeClick();
  void CbAllClick();
  void CbFileTypeClick();
  void RbModeClick();
  void CbDestination1Click();
  void CbProxyTypeClick();
  void CbInetConnChange();
  void CbRegionClick();
  void BtnBrowseDestClick();
  void BtnBrowseDest1Click();
  void BtnTestClick();

private:
  void UpdateTransferControls();
  void EnableFileTypes(bool All);
  void FillConnections(const std::string& Configured);
  void FillDisconnDelays(int32_t Configured);
  void LayOutBaseControls();

  using D = TNorvaskConfigDlg;
  //                                      name                 kind           parent           x    y    w    h  on click
  TRadioButton& RbRegular     = Add<D>({"RbRegular",           ckRadioButton, "PnAcquisition", 8,  62,  16,  19, &D::RbTimeModeClick, mrNone, bsNormal, coChecked});
  TRadioButton& RbExactTime   = Add<D>({"RbExactTime",         ckRadioButton, "PnAcquisition", 8,  90, 268,  19, &D::RbTimeModeClick});
  TEdit& EdExactTimes         = Add<D>({"EdExactTimes",        ckEdit,        "PnAcquisition", 282, 89, 196,  21});
  TCheckBox& CbAll            = Add<D>({"CbAll",               ckCheckBox,    "TsGeneral",    12, 162, 300,  19, &D::CbAllClick, mrNone, bsNormal, coChecked});
  TCheckBox& CbScb            = Add<D>({"CbScb",               ckCheckBox,    "TsGeneral",    32, 184, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbCss            = Add<D>({"CbCss",               ckCheckBox,    "TsGeneral",    32, 204, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbFlt            = Add<D>({"CbFlt",               ckCheckBox,    "TsGeneral",    32, 224, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbHmp            = Add<D>({"CbHmp",               ckCheckBox,    "TsGeneral",    32, 244, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbMsg            = Add<D>({"CbMsg",               ckCheckBox,    "TsGeneral",    32, 264, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbMet            = Add<D>({"CbMet",               ckCheckBox,    "TsGeneral",    32, 284, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbEvt            = Add<D>({"CbEvt",               ckCheckBox,    "TsGeneral",    32, 304, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});
  TCheckBox& CbFot            = Add<D>({"CbFot",               ckCheckBox,    "TsGeneral",    32, 324, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled});

  TTabSheet& TsTransfer       = Add<D>({"TsTransfer",          ckTabSheet,    "PgcParams",     0,   0,   0,   0});
  TLabel& LabDest             = Add<D>({"LabDest",             ckLabel,       "TsTransfer",    8,   8, 470,  17});
  TLabel& LabDestination0     = Add<D>({"LabDestination0",     ckLabel,       "TsTransfer",    8,  34, 150,  17});
  TEdit& EdDestination        = Add<D>({"EdDestination",       ckEdit,        "TsTransfer",  162,  32, 288,  21});
  TButton& BtnBrowseDest      = Add<D>({"BtnBrowseDest",       ckSpeedButton, "TsTransfer",  454,  31,  26,  23, &D::BtnBrowseDestClick});
  TCheckBox& CbDestination1   = Add<D>({"CbDestination1",      ckCheckBox,    "TsTransfer",    8,  60, 152,  19, &D::CbDestination1Click});
  TEdit& EdDestination1       = Add<D>({"EdDestination1",      ckEdit,        "TsTransfer",  162,  59, 288,  21, nullptr, mrNone, bsNormal, coDisabled});
  TButton& BtnBrowseDest1     = Add<D>({"BtnBrowseDest1",      ckSpeedButton, "TsTransfer",  454,  58,  26,  23, &D::BtnBrowseDest1Click});
  TLabel& LabUser             = Add<D>({"LabUser",             ckLabel,       "TsTransfer",    8,  92, 150,  17});
  TEdit& EdUser               = Add<D>({"EdUser",              ckEdit,        "TsTransfer",  162,  90, 140,  21});
  TLabel& LabShop             = Add<D>({"LabShop",             ckLabel,       "TsTransfer",    8, 118, 150,  17});
  TEdit& EdDestDir            = Add<D>({"EdDestDir",           ckEdit,        "TsTransfer",  162, 116, 140,  21});
  TLabel& LabPassword         = Add<D>({"LabPassword",         ckLabel,       "TsTransfer",    8, 144, 150,  17});
  TEdit& EdPassword           = Add<D>({"EdPassword",          ckEdit,        "TsTransfer",  162, 142, 140,  21});
  TPanel& PnTransferMode      = Add<D>({"PnTransferMode",      ckPanel,       "TsTransfer",  310,  88, 170,  50});
  TRadioButton& RbModeCopy    = Add<D>({"RbModeCopy",          ckRadioButton, "PnTransferMode", 4,  4, 160,  19, &D::RbModeClick});
  TRadioButton& RbModeFTP     = Add<D>({"RbModeFTP",           ckRadioButton, "PnTransferMode", 4, 26, 160,  19, &D::RbModeClick, mrNone, bsNormal, coChecked});
  TPanel& PnFtp               = Add<D>({"PnFtp",               ckPanel,       "TsTransfer",    4, 172, 484, 196});
  TLabel& LabInetConn         = Add<D>({"LabInetConn",         ckLabel,       "PnFtp",         4,   6, 210,  17});
  TComboBox& CbInetConn       = Add<D>({"CbInetConn",          ckComboList,   "PnFtp",       218,   2, 200,  21, &D::CbInetConnChange});
  TLabel& LabInetDisconnDelay = Add<D>({"LabInetDisconnDelay", ckLabel,       "PnFtp",         4,  34, 210,  17, nullptr, mrNone, bsNormal, coDisabled});
  TComboBox& CbDisconnDelay   = Add<D>({"CbDisconnDelay",      ckComboList,   "PnFtp",       218,  30,  60,  21, nullptr, mrNone, bsNormal, coDisabled});
  TLabel& LabMin2             = Add<D>({"LabMin2",             ckLabel,       "PnFtp",       284,  34,  40,  17, nullptr, mrNone, bsNormal, coDisabled});
  TCheckBox& CbPassive        = Add<D>({"CbPassive",           ckCheckBox,    "PnFtp",         4,  60, 210,  19});
  TLabel& LabPort             = Add<D>({"LabPort",             ckLabel,       "PnFtp",       340,  62,  40,  17});
  TEdit& EdPort               = Add<D>({"EdPort",              ckEdit,        "PnFtp",       384,  60,  60,  21});
  TLabel& LabProxyType        = Add<D>({"LabProxyType",        ckLabel,       "PnFtp",         4,  90, 210,  17});
  TComboBox& CbProxyType      = Add<D>({"CbProxyType",         ckComboList,   "PnFtp",       218,  86, 200,  21, &D::CbProxyTypeClick});
  TPanel& PnProxy             = Add<D>({"PnProxy",             ckPanel,       "PnFtp",         0, 112, 484,  84, nullptr, mrNone, bsNormal, coHidden});
  TLabel& LabProxyHost        = Add<D>({"LabProxyHost",        ckLabel,       "PnProxy",       4,   6, 210,  17});
  TEdit& EdProxyHost          = Add<D>({"EdProxyHost",         ckEdit,        "PnProxy",     218,   4, 180,  21});
  TLabel& LabProxyPort        = Add<D>({"LabProxyPort",        ckLabel,       "PnProxy",     404,   6,  32,  17});
  TEdit& EdProxyPort          = Add<D>({"EdProxyPort",         ckEdit,        "PnProxy",     438,   4,  46,  21});
  TLabel& LabProxyUser        = Add<D>({"LabProxyUser",        ckLabel,       "PnProxy",       4,  32, 210,  17});
  TEdit& EdProxyUser          = Add<D>({"EdProxyUser",         ckEdit,        "PnProxy",     218,  30, 200,  21});
  TLabel& LabProxyPassword    = Add<D>({"LabProxyPassword",    ckLabel,       "PnProxy",       4,  58, 210,  17});
  TEdit& EdProxyPassword      = Add<D>({"EdProxyPassword",     ckEdit,        "PnProxy",     218,  56, 200,  21});

  TTabSheet& TsAdditional     = Add<D>({"TsAdditional",        ckTabSheet,    "PgcParams",     0,   0,   0,   0});
  TCheckBox& CbRegion         = Add<D>({"CbRegion",            ckCheckBox,    "TsAdditional",  8,   8, 480,  34, &D::CbRegionClick, mrNone, bsNormal, coWordWrap});
  TLabel& LabRegion           = Add<D>({"LabRegion",           ckLabel,       "TsAdditional", 26,  52, 150,  17, nullptr, mrNone, bsNormal, coDisabled});
  TEdit& EdRegion             = Add<D>({"EdRegion",            ckEdit,        "TsAdditional",180,  50, 200,  21, nullptr, mrNone, bsNormal, coDisabled});

  TButton& BtnTest            = Add<D>({"BtnTest",             ckButton,      "",              8, 418,  75,  25, &D::BtnTestClick});
  // In the order of TransferCategories.
  TCheckBox* const FileTypes[TransferCategoryCount]{&CbScb, &CbCss, &CbFlt, &CbHmp, &CbMsg, &CbMet, &CbEvt, &CbFot};
};
