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

  static const TControlDef<TNorvaskConfigDlg> Controls[];
  TButton& BtnTest;
  TRadioButton& RbRegular;
  TRadioButton& RbExactTime;
  TEdit& EdExactTimes;
  TCheckBox& CbAll;
  TCheckBox* FileTypes[TransferCategoryCount];  // in the order of TransferCategories
  TTabSheet& TsTransfer;
  TLabel& LabDest;
  TLabel& LabDestination0;
  TEdit& EdDestination;
  TButton& BtnBrowseDest;
  TCheckBox& CbDestination1;
  TEdit& EdDestination1;
  TButton& BtnBrowseDest1;
  TLabel& LabUser;
  TEdit& EdUser;
  TLabel& LabShop;
  TEdit& EdDestDir;
  TLabel& LabPassword;
  TEdit& EdPassword;
  TRadioButton& RbModeCopy;
  TRadioButton& RbModeFTP;
  TPanel& PnFtp;
  TLabel& LabInetConn;
  TComboBox& CbInetConn;
  TLabel& LabInetDisconnDelay;
  TComboBox& CbDisconnDelay;
  TLabel& LabMin2;
  TCheckBox& CbPassive;
  TLabel& LabPort;
  TEdit& EdPort;
  TLabel& LabProxyType;
  TComboBox& CbProxyType;
  TPanel& PnProxy;
  TEdit& EdProxyHost;
  TEdit& EdProxyPort;
  TEdit& EdProxyUser;
  TEdit& EdProxyPassword;
  TTabSheet& TsAdditional;
  TCheckBox& CbRegion;
  TLabel& LabRegion;
  TEdit& EdRegion;
};
