#include "console/norvaskconfigdlg.h"

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

// Captions set from the string table when the form is created.
const struct {
  const char* Name;
  UINT Id;
} Captions[] = {
  {"LabVelmoraDir", IDS_CFG_VELMORADIR}, {"RbExactTime", IDS_CFG_EXACTTIME}, {"CbAll", IDS_CFG_ALL},
  {"CbScb", IDS_CFG_SCB}, {"CbCss", IDS_CFG_CSS}, {"CbFlt", IDS_CFG_FLT}, {"CbHmp", IDS_CFG_HMP},
  {"CbMsg", IDS_CFG_MSG}, {"CbMet", IDS_CFG_MET}, {"CbEvt", IDS_CFG_EVT}, {"CbFot", IDS_CFG_FOT},
  {"TsTransfer", IDS_CFG_TSTRANSFER}, {"LabDest", IDS_CFG_DEST}, {"LabDestination0", IDS_CFG_DESTINATION0},
  {"CbDestination1", IDS_CFG_DESTINATION1}, {"LabUser", IDS_CFG_USER_CHAIN}, {"LabShop", IDS_CFG_SHOP},
  {"LabPassword", IDS_CFG_PASSWORD}, {"RbModeCopy", IDS_CFG_MODECOPY}, {"RbModeFTP", IDS_CFG_MODEFTP},
  {"LabInetConn", IDS_CFG_INETCONN}, {"LabInetDisconnDelay", IDS_CFG_DISCONNDELAY}, {"LabMin2", IDS_CFG_MIN},
  {"CbPassive", IDS_CFG_PASSIVE}, {"LabPort", IDS_CFG_PORT}, {"LabProxyType", IDS_CFG_PROXYTYPE},
  {"LabProxyHost", IDS_CFG_PROXYHOST}, {"LabProxyPort", IDS_CFG_PORT}, {"LabProxyUser", IDS_CFG_PROXYUSER},
  {"LabProxyPassword", IDS_CFG_PROXYPASSWORD}, {"TsAdditional", IDS_CFG_TSADDITIONAL}, {"CbRegion", IDS_CFG_REGION},
  {"LabRegion", IDS_CFG_REGIONNAME}, {"BtnTest", IDS_CFG_TEST},
};
}  // namespace

using D = TNorvaskConfigDlg;
const TControlDef<D> D::Controls[] = {
  // name                 kind           parent           x    y    w    h  on click
  {"RbRegular",           ckRadioButton, "PnAcquisition", 8,  62,  16,  19, &D::RbTimeModeClick, mrNone, bsNormal, coChecked},
  {"RbExactTime",         ckRadioButton, "PnAcquisition", 8,  90, 268,  19, &D::RbTimeModeClick},
  {"EdExactTimes",        ckEdit,        "PnAcquisition", 282, 89, 196,  21},
  {"CbAll",               ckCheckBox,    "TsGeneral",    12, 162, 300,  19, &D::CbAllClick, mrNone, bsNormal, coChecked},
  {"CbScb",               ckCheckBox,    "TsGeneral",    32, 184, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbCss",               ckCheckBox,    "TsGeneral",    32, 204, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbFlt",               ckCheckBox,    "TsGeneral",    32, 224, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbHmp",               ckCheckBox,    "TsGeneral",    32, 244, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbMsg",               ckCheckBox,    "TsGeneral",    32, 264, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbMet",               ckCheckBox,    "TsGeneral",    32, 284, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbEvt",               ckCheckBox,    "TsGeneral",    32, 304, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},
  {"CbFot",               ckCheckBox,    "TsGeneral",    32, 324, 200,  19, &D::CbFileTypeClick, mrNone, bsNormal, coChecked | coDisabled},

  {"TsTransfer",          ckTabSheet,    "PgcParams",     0,   0,   0,   0},
  {"LabDest",             ckLabel,       "TsTransfer",    8,   8, 470,  17},
  {"LabDestination0",     ckLabel,       "TsTransfer",    8,  34, 150,  17},
  {"EdDestination",       ckEdit,        "TsTransfer",  162,  32, 288,  21},
  {"BtnBrowseDest",       ckSpeedButton, "TsTransfer",  454,  31,  26,  23, &D::BtnBrowseDestClick},
  {"CbDestination1",      ckCheckBox,    "TsTransfer",    8,  60, 152,  19, &D::CbDestination1Click},
  {"EdDestination1",      ckEdit,        "TsTransfer",  162,  59, 288,  21, nullptr, mrNone, bsNormal, coDisabled},
  {"BtnBrowseDest1",      ckSpeedButton, "TsTransfer",  454,  58,  26,  23, &D::BtnBrowseDest1Click},
  {"LabUser",             ckLabel,       "TsTransfer",    8,  92, 150,  17},
  {"EdUser",              ckEdit,        "TsTransfer",  162,  90, 140,  21},
  {"LabShop",             ckLabel,       "TsTransfer",    8, 118, 150,  17},
  {"EdDestDir",           ckEdit,        "TsTransfer",  162, 116, 140,  21},
  {"LabPassword",         ckLabel,       "TsTransfer",    8, 144, 150,  17},
  {"EdPassword",          ckEdit,        "TsTransfer",  162, 142, 140,  21},
  {"PnTransferMode",      ckPanel,       "TsTransfer",  310,  88, 170,  50},
  {"RbModeCopy",          ckRadioButton, "PnTransferMode", 4,  4, 160,  19, &D::RbModeClick},
  {"RbModeFTP",           ckRadioButton, "PnTransferMode", 4, 26, 160,  19, &D::RbModeClick, mrNone, bsNormal, coChecked},
  {"PnFtp",               ckPanel,       "TsTransfer",    4, 172, 484, 196},
  {"LabInetConn",         ckLabel,       "PnFtp",         4,   6, 210,  17},
  {"CbInetConn",          ckComboList,   "PnFtp",       218,   2, 200,  21, &D::CbInetConnChange},
  {"LabInetDisconnDelay", ckLabel,       "PnFtp",         4,  34, 210,  17, nullptr, mrNone, bsNormal, coDisabled},
  {"CbDisconnDelay",      ckComboList,   "PnFtp",       218,  30,  60,  21, nullptr, mrNone, bsNormal, coDisabled},
  {"LabMin2",             ckLabel,       "PnFtp",       284,  34,  40,  17, nullptr, mrNone, bsNormal, coDisabled},
  {"CbPassive",           ckCheckBox,    "PnFtp",         4,  60, 210,  19},
  {"LabPort",             ckLabel,       "PnFtp",       340,  62,  40,  17},
  {"EdPort",              ckEdit,        "PnFtp",       384,  60,  60,  21},
  {"LabProxyType",        ckLabel,       "PnFtp",         4,  90, 210,  17},
  {"CbProxyType",         ckComboList,   "PnFtp",       218,  86, 200,  21, &D::CbProxyTypeClick},
  {"PnProxy",             ckPanel,       "PnFtp",         0, 112, 484,  84, nullptr, mrNone, bsNormal, coHidden},
  {"LabProxyHost",        ckLabel,       "PnProxy",       4,   6, 210,  17},
  {"EdProxyHost",         ckEdit,        "PnProxy",     218,   4, 180,  21},
  {"LabProxyPort",        ckLabel,       "PnProxy",     404,   6,  32,  17},
  {"EdProxyPort",         ckEdit,        "PnProxy",     438,   4,  46,  21},
  {"LabProxyUser",        ckLabel,       "PnProxy",       4,  32, 210,  17},
  {"EdProxyUser",         ckEdit,        "PnProxy",     218,  30, 200,  21},
  {"LabProxyPassword",    ckLabel,       "PnProxy",       4,  58, 210,  17},
  {"EdProxyPassword",     ckEdit,        "PnProxy",     218,  56, 200,  21},

  {"TsAdditional",        ckTabSheet,    "PgcParams",     0,   0,   0,   0},
  {"CbRegion",            ckCheckBox,    "TsAdditional",  8,   8, 480,  34, &D::CbRegionClick, mrNone, bsNormal, coWordWrap},
  {"LabRegion",           ckLabel,       "TsAdditional", 26,  52, 150,  17, nullptr, mrNone, bsNormal, coDisabled},
  {"EdRegion",            ckEdit,        "TsAdditional",180,  50, 200,  21, nullptr, mrNone, bsNormal, coDisabled},

  {"BtnTest",             ckButton,      "",              8, 418,  75,  25, &D::BtnTestClick},
};

TNorvaskConfigDlg::TNorvaskConfigDlg(HWND Owner, std::string RemotePc, std::string IniFile,
                                     TBaseOdxConfigClass ConfigClass)
    : TBaseSvcConfigDlg(Owner, std::move(RemotePc), std::move(IniFile), ConfigClass, Form),
      BtnTest((AddControls(Controls), Find<TButton>("BtnTest"))),
      RbRegular(Find<TRadioButton>("RbRegular")),
      RbExactTime(Find<TRadioButton>("RbExactTime")),
      EdExactTimes(Find<TEdit>("EdExactTimes")),
      CbAll(Find<TCheckBox>("CbAll")),
      FileTypes{&Find<TCheckBox>("CbScb"), &Find<TCheckBox>("CbCss"), &Find<TCheckBox>("CbFlt"),
                &Find<TCheckBox>("CbHmp"), &Find<TCheckBox>("CbMsg"), &Find<TCheckBox>("CbMet"),
                &Find<TCheckBox>("CbEvt"), &Find<TCheckBox>("CbFot")},
      TsTransfer(Find<TTabSheet>("TsTransfer")),
      LabDest(Find<TLabel>("LabDest")),
      LabDestination0(Find<TLabel>("LabDestination0")),
      EdDestination(Find<TEdit>("EdDestination")),
      BtnBrowseDest(Find<TButton>("BtnBrowseDest")),
      CbDestination1(Find<TCheckBox>("CbDestination1")),
      EdDestination1(Find<TEdit>("EdDestination1")),
      BtnBrowseDest1(Find<TButton>("BtnBrowseDest1")),
      LabUser(Find<TLabel>("LabUser")),
      EdUser(Find<TEdit>("EdUser")),
      LabShop(Find<TLabel>("LabShop")),
      EdDestDir(Find<TEdit>("EdDestDir")),
      LabPassword(Find<TLabel>("LabPassword")),
      EdPassword(Find<TEdit>("EdPassword")),
      RbModeCopy(Find<TRadioButton>("RbModeCopy")),
      RbModeFTP(Find<TRadioButton>("RbModeFTP")),
      PnFtp(Find<TPanel>("PnFtp")),
      LabInetConn(Find<TLabel>("LabInetConn")),
      CbInetConn(Find<TComboBox>("CbInetConn")),
      LabInetDisconnDelay(Find<TLabel>("LabInetDisconnDelay")),
      CbDisconnDelay(Find<TComboBox>("CbDisconnDelay")),
      LabMin2(Find<TLabel>("LabMin2")),
      CbPassive(Find<TCheckBox>("CbPassive")),
      LabPort(Find<TLabel>("LabPort")),
      EdPort(Find<TEdit>("EdPort")),
      LabProxyType(Find<TLabel>("LabProxyType")),
      CbProxyType(Find<TComboBox>("CbProxyType")),
      PnProxy(Find<TPanel>("PnProxy")),
      EdProxyHost(Find<TEdit>("EdProxyHost")),
      EdProxyPort(Find<TEdit>("EdProxyPort")),
      EdProxyUser(Find<TEdit>("EdProxyUser")),
      EdProxyPassword(Find<TEdit>("EdProxyPassword")),
      TsAdditional(Find<TTabSheet>("TsAdditional")),
      CbRegion(Find<TCheckBox>("CbRegion")),
      LabRegion(Find<TLabel>("LabRegion")),
      EdRegion(Find<TEdit>("EdRegion")) {
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
  for (const auto& Caption : Captions) { Find<TControl>(Caption.Name).SetText(LoadStr(Caption.Id)); }
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
