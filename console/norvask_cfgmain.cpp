#include "console/norvask_cfgmain.h"

#include "console/norvaskconfigdlg.h"
#include "console/resource.h"
#include "console/svcctrl.h"
#include "forms/resstrings.h"
#include "shared/transportconfig.h"

TMainWnd* MainWnd = nullptr;

void TMainWnd::FormCreate() {
  FIniName = "norvask_cfg.ini";
  FServiceName = "TransportSvc";
  FLocalIniName = "norvask_local.ini";
  FInfoPipe = "TrSvcInfo";
  FControlPipe = "TrSvcControl";
  FConfigDlgClass = &ConfigDlgClassOf<TNorvaskConfigDlg>;
  FConfigClass = &ConfigClassOf<TTransportConfig>;
  TSvcWndBase::FormCreate();
  SetCaption(LoadStr(IDS_MAIN_CAPTION));
  LabPc.SetCaption(LoadStr(IDS_MAIN_LABPC));
  TsHardware.SetText(LoadStr(IDS_MAIN_TSHARDWARE_TRANSPORT));
}

void TMainWnd::ChangeServiceLogon(SC_HANDLE ServiceManager) {
  TTransportConfig Config;
  Config.LoadFromFile(LocalConfigPath());
  std::string Account, Password;
  ChooseServiceLogon(Config, Account, Password);
  SetServiceLogon(ServiceManager, FServiceName, Account, Password);
}
