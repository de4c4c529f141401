#include "console/norvaskconfigdlg.h"

#include <utility>

#include "console/norvask_conntest_nocurl.h"
#include "console/resource.h"
#include "console/shellpickers.h"
#include "console/shopinfo.h"
#include "forms/msgbox.h"
#include "forms/resstrings.h"
#include "rtl/exceptions.h"
#include "rtl/files.h"
#include "rtl/strings.h"
#include "shared/rasutils.h"
#include "shared/transfercategories.h"

namespace {
const TFormDef Form{520, 470, fbDialog};
const char* const DisconnDelays[] = {"0", "5", "15", "30", "45"};
const char LocalSystem[] = ".\\LocalSystem";

std::string WithoutTrailingBackslash(const std::string& Path) {
  return !Path.empty() && Path.back() == '\\' ? Path.substr(0, Path.size() - 1) : Path;
}

bool StartsWith(const std::string& Text, const std::string& Start) { return Text.compare(0, Start.size(), Start) == 0; }
}  // namespace

TNorvaskConfigDlg::TNorvaskConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass)
    : TBaseSvcConfigDlg(Owner, std::move(RemotePc), std::move(IniFile), ConfigClass, Form) {
  LayOutBaseControls();
  SeFreq.SetBounds(60, 7200);
}

// The base dialog's controls in this dialog's larger form: the interval moves
// right of its radio button, the schedule and log switch make room for the
// exact times.
void TNorvaskConfigDlg::LayOutBaseControls() {
  PgcParams.SetPlace(8, 8, 504, 402);
  PnAcquisition.SetPlace(4, 4, 486, 150);
  LabVelmoraDir.SetPlace(8, 6, 470, 17);
  EdVelmoraDir.SetPlace(8, 26, 440, 21);
  BtnBrowseDir.SetPlace(452, 25, 26, 23);
  LabFreq.SetPlace(28, 64, 250, 17);
  SeFreq.SetPlace(282, 61, 80, 21);
  LabMin.SetPlace(368, 64, 40, 17);
  CbLogDetailed.SetPlace(8, 122, 300, 19);
  BtnOK.SetPlace(352, 418, 75, 25);
  BtnCancel.SetPlace(437, 418, 75, 25);
}

void TNorvaskConfigDlg::FormCreate() {
  TBaseSvcConfigDlg::FormCreate();
  // Captions from the string table.
  const std::pair<TControl*, UINT> Captions[] = {
    {&LabVelmoraDir, IDS_CFG_VELMORADIR}, {&RbExactTime, IDS_CFG_EXACTTIME}, {&CbAll, IDS_CFG_ALL},
    {&CbScb, IDS_CFG_SCB}, {&CbCss, IDS_CFG_CSS}, {&CbFlt, IDS_CFG_FLT}, {&CbHmp, IDS_CFG_HMP},
    {&CbMsg, IDS_CFG_MSG}, {&CbMet, IDS_CFG_MET}, {&CbEvt, IDS_CFG_EVT}, {&CbFot, IDS_CFG_FOT},
    {&TsTransfer, IDS_CFG_TSTRANSFER}, {&LabDest, IDS_CFG_DEST}, {&LabDestination0, IDS_CFG_DESTINATION0},
    {&CbDestination1, IDS_CFG_DESTINATION1}, {&LabUser, IDS_CFG_USER_CHAIN}, {&LabShop, IDS_CFG_SHOP},
    {&LabPassword, IDS_CFG_PASSWORD}, {&RbModeCopy, IDS_CFG_MODECOPY}, {&RbModeFTP, IDS_CFG_MODEFTP},
    {&LabInetConn, IDS_CFG_INETCONN}, {&LabInetDisconnDelay, IDS_CFG_DISCONNDELAY}, {&LabMin2, IDS_CFG_MIN},
    {&CbPassive, IDS_CFG_PASSIVE}, {&LabPort, IDS_CFG_PORT}, {&LabProxyType, IDS_CFG_PROXYTYPE},
    {&LabProxyHost, IDS_CFG_PROXYHOST}, {&LabProxyPort, IDS_CFG_PORT}, {&LabProxyUser, IDS_CFG_PROXYUSER},
    {&LabProxyPassword, IDS_CFG_PROXYPASSWORD}, {&TsAdditional, IDS_CFG_TSADDITIONAL}, {&CbRegion, IDS_CFG_REGION},
    {&LabRegion, IDS_CFG_REGIONNAME}, {&BtnTest, IDS_CFG_TEST},
  };
  for (const auto& [Control, Id] : Captions) { Control->SetText(LoadStr(Id)); }
  RbRegular.SetText("");  // its text is the label beside it
  BtnBrowseDir.SetHint(LoadStr(IDS_CFG_BROWSEDIR_HINT));
  BtnBrowseDest.SetText("...");
  BtnBrowseDest1.SetText("...");
  BtnBrowseDest.SetHint(LoadStr(IDS_CFG_BROWSEDEST_HINT));
  BtnBrowseDest1.SetHint(LoadStr(IDS_CFG_BROWSEDEST_HINT));
  EdUser.SetHint(LoadStr(IDS_CFG_USER_HINT));
  EdDestDir.SetHint(LoadStr(IDS_CFG_SHOP_HINT));
  UpdateTransferControls();
}

void TNorvaskConfigDlg::ConfigToControls(TBaseOdxConfig& Base) {
  TBaseSvcConfigDlg::ConfigToControls(Base);
  auto& Config = dynamic_cast<TTransportConfig&>(Base);
  FillConnections(Config.Connection);
  CbProxyType.Clear();
  for (int Kind = pkNone; Kind <= pkHttpFtp; ++Kind) {
    CbProxyType.AddItem(ProxyTypeToText(static_cast<TFtpProxyKind>(Kind)));
  }
  EdExactTimes.SetText(Config.ExactTime.GetLocalText());
  // The time-mode rule is applied in either mode, so that the edit of the
  // mode not in use is disabled from the start.
  if (Config.ExactTimeMode) {
    RbExactTime.SetChecked(true);
  } else {
    RbRegular.SetChecked(true);
  }
  RbTimeModeClick();

  bool All = true;
  for (size_t Index = 0; Index < TransferCategoryCount; ++Index) {
    const bool On = Config.*TransferCategories[Index].Switch;
    FileTypes[Index]->SetChecked(On);
    All = All && On;
  }
  CbAll.SetChecked(All);
  EnableFileTypes(All);

  EdDestination.SetText(Config.GetDestination(0));
  if (!Config.GetDestination(1).empty()) {
    CbDestination1.SetChecked(true);
    EdDestination1.SetText(Config.GetDestination(1));
  }
  EdDestDir.SetText(Config.DestinationDirectory);
  EdUser.SetText(Config.Username);
  EdPassword.SetText(Config.Password);
  if (Config.Transport == tkFtp) {
    RbModeFTP.SetChecked(true);
  } else {
    RbModeCopy.SetChecked(true);
  }
  CbInetConnChange();
  FillDisconnDelays(Config.DisconnDelay);
  EdPort.SetText(IntToStr(Config.Port));
  CbPassive.SetChecked(Config.PassiveMode);
  CbProxyType.SetItemIndex(CbProxyType.IndexOf(ProxyTypeToText(Config.ProxyType)));
  PnProxy.SetVisible(Config.ProxyType != pkNone);
  EdProxyHost.SetText(Config.ProxyHost);
  EdProxyPort.SetText(IntToStr(Config.ProxyPort));
  EdProxyUser.SetText(Config.ProxyUser);
  EdProxyPassword.SetText(Config.ProxyPassword);
  UpdateTransferControls();
  CbRegion.SetChecked(Config.RegionSend);
  EdRegion.SetText(Config.RegionName);
  CbRegionClick();
}

// "par défaut", then this PC's phonebook entries. A configured entry that is
// not among them (one made on the service's own PC) is kept as an item of its
// own, so that OK does not silently drop it.
void TNorvaskConfigDlg::FillConnections(const std::string& Configured) {
  TStringList Entries;
  GetRasEntries(Entries);
  CbInetConn.Clear();
  CbInetConn.AddItem(LoadStr(IDS_CFG_DEFAULT_CONN));
  for (int Index = 0; Index < Entries.Count(); ++Index) { CbInetConn.AddItem(Entries[Index]); }
  int Selected = Configured.empty() ? 0 : CbInetConn.IndexOf(Configured);
  if (Selected <= 0 && !Configured.empty()) {
    CbInetConn.AddItem(Configured);
    Selected = CbInetConn.ItemCount() - 1;
  }
  CbInetConn.SetItemIndex(Selected);
}

// The five usual pauses; another configured pause is kept as an item of its own.
void TNorvaskConfigDlg::FillDisconnDelays(int32_t Configured) {
  CbDisconnDelay.Clear();
  for (const char* Delay : DisconnDelays) { CbDisconnDelay.AddItem(Delay); }
  int Selected = CbDisconnDelay.IndexOf(IntToStr(Configured));
  if (Selected < 0) {
    CbDisconnDelay.AddItem(IntToStr(Configured));
    Selected = CbDisconnDelay.ItemCount() - 1;
  }
  CbDisconnDelay.SetItemIndex(Selected);
}

void TNorvaskConfigDlg::ControlsToConfig(TBaseOdxConfig& Base) {
  TBaseSvcConfigDlg::ControlsToConfig(Base);
  auto& Config = dynamic_cast<TTransportConfig&>(Base);
  Config.ExactTime.SetLocalText(EdExactTimes.Text());
  Config.ExactTimeMode = RbExactTime.Checked();
  for (size_t Index = 0; Index < TransferCategoryCount; ++Index) {
    Config.*TransferCategories[Index].Switch = FileTypes[Index]->Checked();
  }
  Config.SetDestination(0, WithoutTrailingBackslash(EdDestination.Text()));
  Config.SetDestination(1, CbDestination1.Checked() ? WithoutTrailingBackslash(EdDestination1.Text()) : "");
  Config.DestinationDirectory = EdDestDir.Text();
  Config.Username = EdUser.Text();
  Config.Password = EdPassword.Text();
  Config.Transport = RbModeFTP.Checked() ? tkFtp : tkCopy;
  Config.Connection = CbInetConn.ItemIndex() > 0 ? CbInetConn.Item(CbInetConn.ItemIndex()) : "";
  Config.DisconnDelay =
      CbDisconnDelay.ItemIndex() > 0 ? StrToIntDef(CbDisconnDelay.Item(CbDisconnDelay.ItemIndex()), 0) : 0;
  Config.Port = StrToIntDef(EdPort.Text(), 21);
  Config.PassiveMode = CbPassive.Checked();
  Config.ProxyType = TextToProxyType(CbProxyType.Item(CbProxyType.ItemIndex()));
  Config.ProxyHost = EdProxyHost.Text();
  Config.ProxyPort = StrToIntDef(EdProxyPort.Text(), 8021);
  Config.ProxyUser = EdProxyUser.Text();
  Config.ProxyPassword = EdProxyPassword.Text();
  Config.RegionSend = CbRegion.Checked();
  Config.RegionName = Trim(EdRegion.Text());
  NormalizeConfig(Config);
}

void TNorvaskConfigDlg::NormalizeConfig(TTransportConfig& Config) {
  if (Config.ExactTimeMode && Config.ExactTime.Count() == 0) { throw Exception(LoadStr(IDS_CFG_NO_EXACT_TIME)); }
  Config.Username = Trim(Config.Username);
  Config.Password = Trim(Config.Password);
  Config.ProxyUser = Trim(Config.ProxyUser);
  Config.ProxyPassword = Trim(Config.ProxyPassword);
  if (Config.Transport != tkCopy) {
    Config.SetDestination(0, Trim(Config.GetDestination(0)));
    if (StartsWith(Config.Username, ".\\")) { Config.Username.erase(0, 2); }
    Config.Username = CheckShopName(Config.Username);
    Config.DestinationDirectory = CheckShopName(Config.DestinationDirectory);
    Config.Password = Trim(Config.Password);
    if (Config.Password.empty()) { throw Exception(LoadStr(IDS_CFG_BAD_PASSWORD)); }
  } else {
    if (Config.Username.empty()) { Config.Username = LocalSystem; }
    if (Config.Username.find('\\') == std::string::npos) { Config.Username = ".\\" + Config.Username; }
    if (StartsWith(Config.Username, "\\")) { Config.Username = "." + Config.Username; }
    if (AnsiSameText(Config.Username, LocalSystem)) { Config.Password.clear(); }
  }
}

void TNorvaskConfigDlg::ValidateConfig(TBaseOdxConfig& Base, bool& Failed) {
  TBaseSvcConfigDlg::ValidateConfig(Base, Failed);
  auto& Config = dynamic_cast<TTransportConfig&>(Base);
  const std::string Directory = Trim(Config.GetTrackDirectory(0));
  if (!Config.RegionSend || Config.RegionName.empty() || Directory.empty()) { return; }
  const std::string FileName = IncludeTrailingPathDelimiter(Directory) + "shopinfo.arg";
  try {
    WriteRegistrationRequest(FileName, Config.DestinationDirectory, LoadStr(IDS_REGISTRATION_COMMENT), "", "",
                             Config.RegionName, "", "", "", "");
  } catch (const std::exception& Error) {
    ShowMessageBox(Handle(),
                   FileName + " (" + LoadStr(IDS_CFG_REGIONNAME) + " \"" + Config.RegionName + "\"): \r" + Error.what(),
                   mkError);
    Failed = true;
  }
}

void TNorvaskConfigDlg::RbTimeModeClick() {
  const bool Regular = RbRegular.Checked();
  SeFreq.SetEnabled(Regular);
  LabMin.SetEnabled(Regular);
  EdExactTimes.SetEnabled(!Regular);
}

void TNorvaskConfigDlg::EnableFileTypes(bool All) {
  for (TCheckBox* Box : FileTypes) { Box->SetEnabled(!All); }
}

void TNorvaskConfigDlg::CbAllClick() {
  EnableFileTypes(CbAll.Checked());
  if (CbAll.Checked()) {
    for (TCheckBox* Box : FileTypes) { Box->SetChecked(true); }
  }
}

void TNorvaskConfigDlg::CbFileTypeClick() {
  bool All = true;
  for (TCheckBox* Box : FileTypes) { All = All && Box->Checked(); }
  EnableFileTypes(All);
  if (CbAll.Checked() != All) { CbAll.SetChecked(All); }
}

void TNorvaskConfigDlg::RbModeClick() { UpdateTransferControls(); }

void TNorvaskConfigDlg::CbDestination1Click() { UpdateTransferControls(); }

void TNorvaskConfigDlg::CbProxyTypeClick() { PnProxy.SetVisible(CbProxyType.ItemIndex() != 0); }

void TNorvaskConfigDlg::CbInetConnChange() {
  const bool Dialled = CbInetConn.ItemIndex() > 0;
  LabInetDisconnDelay.SetEnabled(Dialled);
  LabMin2.SetEnabled(Dialled);
  CbDisconnDelay.SetEnabled(Dialled);
}

void TNorvaskConfigDlg::CbRegionClick() {
  LabRegion.SetEnabled(CbRegion.Checked());
  EdRegion.SetEnabled(CbRegion.Checked());
}

// The folder pickers browse this PC's disks: they are offered only when the
// configuration is this PC's. The account fields stay visible in COPY mode,
// where they hold the account that the service logs on with.
void TNorvaskConfigDlg::UpdateTransferControls() {
  const bool Ftp = RbModeFTP.Checked();
  const bool Second = CbDestination1.Checked();
  EdDestination1.SetEnabled(Second);
  EdDestination1.SetColor(GetSysColor(Second ? COLOR_WINDOW : COLOR_BTNFACE));
  PnFtp.SetVisible(Ftp);
  BtnBrowseDest.SetVisible(!Ftp && FRemotePc.empty());
  BtnBrowseDest1.SetVisible(!Ftp && Second && FRemotePc.empty());
  LabUser.SetCaption(LoadStr(Ftp ? IDS_CFG_USER_CHAIN : IDS_CFG_USER_ACCOUNT));
}

void TNorvaskConfigDlg::BtnBrowseDestClick() {
  std::string Path = EdDestination.Text();
  if (BrowseForFolder(Handle(), LoadStr(IDS_SELECT_TARGET_FOLDER), Path)) { EdDestination.SetText(Path); }
}

void TNorvaskConfigDlg::BtnBrowseDest1Click() {
  std::string Path = EdDestination1.Text();
  if (BrowseForFolder(Handle(), LoadStr(IDS_SELECT_TARGET_FOLDER), Path)) { EdDestination1.SetText(Path); }
}

// The test runs on a configuration of its own: the dialog's configuration, its
// controls and the file stay as they are.
void TNorvaskConfigDlg::BtnTestClick() {
  TTransportConfig Config;
  ControlsToConfig(Config);
  auto Test = NewForm<TConnectionTestDlg>(Handle());
  Test->SetConfig(&Config);
  Test->SetContinueMode(false);
  Test->ShowModal();
}
