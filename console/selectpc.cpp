#include "console/selectpc.h"

#include "console/resource.h"
#include "console/shellpickers.h"
#include "forms/resstrings.h"

namespace {
const TFormDef Form{271, 131, fbDialog};
}

TSelectPcDlg::TSelectPcDlg(HWND Owner) : TForm(Owner, Form) {}

void TSelectPcDlg::FormCreate() { LocalizeCaptions(); }

void TSelectPcDlg::LocalizeCaptions() {
  SetCaption(LoadStr(IDS_SELECTPC_CAPTION));
  LabPrompt.SetCaption(LoadStr(IDS_SELECTPC_PROMPT));
  BtnPc.SetText("...");
  BtnPc.SetHint(LoadStr(IDS_SELECTPC_HINT));
  BtnOK.SetText(LoadStr(IDS_OK));
  BtnCancel.SetText(LoadStr(IDS_CANCEL));
}

void TSelectPcDlg::BtnPcClick() {
  std::string Name = PcName();
  if (BrowseForComputer(Handle(), LoadStr(IDS_SELECTPC_HINT), Name)) { SetPcName(Name); }
}
