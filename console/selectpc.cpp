#include "console/selectpc.h"

#include "console/resource.h"
#include "console/shellpickers.h"
#include "forms/resstrings.h"

namespace {
const TFormDef Form{271, 131, fbDialog};
}

// Tab order: OK, Cancel, then the name.
const TControlDef<TSelectPcDlg> TSelectPcDlg::Controls[] = {
  // name         kind            parent  x    y    w    h  on click                    modal result style
  {"LabPrompt",   ckLabel,        "",     7,   6, 257,  49, nullptr, mrNone, bsNormal, coWordWrap},
  {"BtnOK",       ckButton,       "",    52,  98,  75,  25, nullptr, mrOK, bsDefault},
  {"BtnCancel",   ckButton,       "",   144,  98,  75,  25, nullptr, mrCancel, bsCancel},
  {"EdPc",        ckEdit,         "",     7,  62, 217,  21},
  {"BtnPc",       ckSpeedButton,  "",   232,  60,  26,  24, &TSelectPcDlg::BtnPcClick},
};

TSelectPcDlg::TSelectPcDlg(HWND Owner)
    : TForm(Owner),
      // The window and its controls are built first, then looked up by name.
      LabPrompt((CreateForm(Form, Controls), Find<TLabel>("LabPrompt"))),
      EdPc(Find<TEdit>("EdPc")),
      BtnPc(Find<TButton>("BtnPc")),
      BtnOK(Find<TButton>("BtnOK")),
      BtnCancel(Find<TButton>("BtnCancel")) {}

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
